#pragma once

#include "platform/status_bar.h"
#include "platform/freedesktop/status_notifier_item.h"

#include <QColor>
#include <QImage>
#include <QMenu>
#include <QObject>
#include <QString>
#include <QSystemTrayIcon>

#include <functional>
#include <memory>

namespace platform {

// Draws the item's picture, `size` pixels square: the image when one is shown (else null) and
// the title, in `ink`. What the picture looks like is the application's business.
using TrayIconPainter =
    std::function<QImage(const StatusImage* image, const QString& title, const QColor& ink, int size)>;

// The application's words that its status item carries.
struct StatusItemTexts {
    QString id;            // its name to StatusNotifierItem hosts
    QString title;         // the title of its tooltip there
    QString noTrayWarning; // logged when, 5 s after start, no tray shows it; nothing when empty
};

// The status item's button: a StatusNotifierItem while a watcher on the session bus has taken
// it, else an XEmbed tray icon, switching as watchers come and go. Tray hosts draw one square
// icon and mostly no text, so title and image are composed into that icon, and the title goes
// into the tooltip (and the label, for hosts that draw one) as well.
class QtStatusItemButton final : public QObject, public StatusItemButton {
    Q_OBJECT
public:
    QtStatusItemButton(TrayIconPainter paintIcon, const StatusItemTexts& texts, const std::vector<MenuEntry>& menu = {});

    void setAction(Action action) override;
    void setTitle(std::string title) override;
    void setImage(StatusImage image) override;
    void setImagePosition(ImagePosition position) override;
    void setToolTip(std::string toolTip) override;
    Rect bounds() const override;
    std::optional<Rect> rectOnScreen(Rect rect) const override;

    // The XEmbed icon, once the button has needed one.
    const QSystemTrayIcon* trayIcon() const { return trayIcon_.get(); }
    bool showsStatusNotifierItem() const { return showsNotifierItem_; }
    // The host's startup-notification id for the window its last click opens, where it gives one.
    QByteArray activationToken() const { return notifierItem_.activationToken().toUtf8(); }

private:
    void showNotifierItem(bool show);
    void scheduleRender();
    void render();

    TrayIconPainter paintIcon_;
    StatusNotifierItem notifierItem_;
    // Made only while no watcher is on the bus: Qt's tray icon would otherwise export a second
    // StatusNotifierItem of its own.
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    bool showsNotifierItem_ = false;
    QPoint activationPoint_;
    Action action_;
    std::string title_;
    std::string toolTip_;
    std::optional<StatusImage> image_;
    ImagePosition imagePosition_ = ImagePosition::NoImage;
    bool renderPending_ = false;
    // What the item last showed: an update that changes nothing draws nothing.
    struct Shown {
        std::string title, toolTip;
        std::optional<StatusImage> image;
        QRgb ink;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    std::optional<Shown> shown_;
    // The right click's menu, for the XEmbed icon and for hosts that ask for it.
    std::unique_ptr<QMenu> menu_;
};

class QtStatusItem final : public StatusItem {
public:
    QtStatusItem(TrayIconPainter paintIcon, const StatusItemTexts& texts, const std::vector<MenuEntry>& menu)
        : button_(std::move(paintIcon), texts, menu)
    {
    }
    StatusItemButton* button() override { return &button_; }

private:
    QtStatusItemButton button_;
};

class QtStatusBar final : public StatusBar {
public:
    QtStatusBar(TrayIconPainter paintIcon, StatusItemTexts texts)
        : paintIcon_(std::move(paintIcon)), texts_(std::move(texts))
    {
    }
    std::shared_ptr<StatusItem> statusItem(double length) override;
    // The menu that items made from now on show on a right click.
    void setMenu(std::vector<MenuEntry> entries) { menu_ = std::move(entries); }

private:
    TrayIconPainter paintIcon_;
    StatusItemTexts texts_;
    std::vector<MenuEntry> menu_;
};

} // namespace platform
