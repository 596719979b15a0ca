#pragma once

#include "platform/status_bar.h"

#include <QObject>
#include <QSystemTrayIcon>

#include <memory>

namespace platform {

// The status item's button over a tray icon. Tray hosts draw one square icon and no text, so
// title and image are composed into that icon, and the title goes into the tooltip as well.
class QtStatusItemButton final : public QObject, public StatusItemButton {
    Q_OBJECT
public:
    QtStatusItemButton();

    void setAction(Action action) override;
    void setTitle(std::string title) override;
    void setImage(StatusImage image) override;
    void setImagePosition(ImagePosition position) override;
    Rect bounds() const override;
    std::optional<Rect> rectOnScreen(Rect rect) const override;

    const QSystemTrayIcon& trayIcon() const { return trayIcon_; }

private:
    void scheduleRender();
    void render();

    QSystemTrayIcon trayIcon_;
    Action action_;
    std::string title_;
    std::optional<StatusImage> image_;
    ImagePosition imagePosition_ = ImagePosition::NoImage;
    bool renderPending_ = false;
};

class QtStatusItem final : public StatusItem {
public:
    StatusItemButton* button() override { return &button_; }

private:
    QtStatusItemButton button_;
};

class QtStatusBar final : public StatusBar {
public:
    std::shared_ptr<StatusItem> statusItem(double length) override;
};

// Every symbol of the system set that the tray can draw.
std::optional<StatusImage> systemSymbolImage(const std::string& symbolName, const std::string& accessibilityDescription);

} // namespace platform
