#pragma once

#include <QObject>

namespace platform {

class PortalColorScheme;

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

private:
    void update();

    PortalColorScheme* portal_; // a child
    bool dark_ = false;
};

} // namespace platform
