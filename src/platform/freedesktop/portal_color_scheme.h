#pragma once

#include <QObject>
#include <QVariant>

#include <optional>

class QDBusVariant;

namespace platform {

// What the desktop's colour-scheme setting means: dark for 1; light for 0 (no preference) and 2.
// `value` may be wrapped in up to two D-Bus variants, as the portal's Read and ReadOne answer.
// Nothing for values the portal does not define.
std::optional<bool> darkFromPortalValue(const QVariant& value);

// The XDG desktop portal's colour-scheme setting: asked once, then followed as it changes.
// Every bus call is asynchronous, so an absent or hung portal only means no answer.
class PortalColorScheme : public QObject {
    Q_OBJECT
public:
    explicit PortalColorScheme(QObject* parent = nullptr);

    // Whether the desktop prefers dark; nothing until the portal has answered with a known value.
    std::optional<bool> prefersDark() const { return dark_; }

signals:
    void changed(bool prefersDark);

private slots:
    void onSettingChanged(const QString& settingNamespace, const QString& key, const QDBusVariant& value);

private:
    void ask(const QString& method);
    void learn(const QVariant& value);

    std::optional<bool> dark_;
};

} // namespace platform
