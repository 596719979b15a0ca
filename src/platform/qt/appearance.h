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

// Whether the desktop prefers dark, from the XDG desktop portal's colour-scheme setting, and
// from the application palette while the portal has not answered or where there is none.
// Needs a QGuiApplication.
class Appearance : public QObject {
    Q_OBJECT
public:
    explicit Appearance(QObject* parent = nullptr);

    bool isDark() const { return dark_; }

signals:
    void changed(bool isDark);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void onSettingChanged(const QString& settingNamespace, const QString& key, const QDBusVariant& value);

private:
    void ask(const QString& method);
    void update();

    std::optional<bool> portalDark_;
    bool dark_ = false;
};

} // namespace platform
