#include "platform/qt_status_bar.h"

#include "platform/panel_ink.h"
#include "platform/symbols.h"
#include "platform/tray_icon_art.h"

#include <QMetaObject>

namespace platform {

QtStatusItemButton::QtStatusItemButton()
{
    connect(&trayIcon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && action_)
            action_(this);
    });
    // Qt docks the icon again whenever a tray host appears, also one started after us.
    trayIcon_.show();
}

void QtStatusItemButton::setAction(Action action)
{
    action_ = std::move(action);
}

void QtStatusItemButton::setTitle(std::string title)
{
    title_ = std::move(title);
    scheduleRender();
}

void QtStatusItemButton::setImage(StatusImage image)
{
    image_ = std::move(image);
    scheduleRender();
}

void QtStatusItemButton::setImagePosition(ImagePosition position)
{
    imagePosition_ = position;
    scheduleRender();
}

Rect QtStatusItemButton::bounds() const
{
    const QRect geometry = trayIcon_.geometry();
    return {0, 0, double(geometry.width()), double(geometry.height())};
}

std::optional<Rect> QtStatusItemButton::rectOnScreen(Rect rect) const
{
    const QRect geometry = trayIcon_.geometry();
    if (geometry.isEmpty()) // hosts that keep the icon's place to themselves
        return std::nullopt;
    return Rect{geometry.x() + rect.x, geometry.y() + rect.y, rect.width, rect.height};
}

void QtStatusItemButton::scheduleRender()
{
    // Title and image change together in one update: draw the icon once, after both.
    if (std::exchange(renderPending_, true))
        return;
    QMetaObject::invokeMethod(this, &QtStatusItemButton::render, Qt::QueuedConnection);
}

void QtStatusItemButton::render()
{
    renderPending_ = false;
    const QString title = QString::fromStdString(title_);
    std::optional<Symbol> symbol;
    if (image_ && imagePosition_ != ImagePosition::NoImage)
        symbol = systemSymbol(image_->symbolName);
    const QColor ink = image_ && !image_->isTemplate ? QColor(Qt::black) : panelInk();
    trayIcon_.setIcon(platform::trayIcon(symbol, title, ink));
    const QString description = image_ ? QString::fromStdString(image_->accessibilityDescription) : QString();
    trayIcon_.setToolTip((description + title).trimmed());
}

std::shared_ptr<StatusItem> QtStatusBar::statusItem(double)
{
    return std::make_shared<QtStatusItem>();
}

std::optional<StatusImage> systemSymbolImage(const std::string& symbolName, const std::string& accessibilityDescription)
{
    if (!systemSymbol(symbolName))
        return std::nullopt;
    return StatusImage{symbolName, accessibilityDescription, false};
}

} // namespace platform
