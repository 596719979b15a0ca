#include "platform/qt/qt_status_bar.h"

#include "platform/qt/panel_ink.h"

#include <QCursor>
#include <QMetaObject>
#include <QTimer>

#include <chrono>

namespace platform {

QtStatusItemButton::QtStatusItemButton(TrayIconPainter paintIcon, const StatusItemTexts& texts,
                                       const std::vector<MenuEntry>& menu)
    : paintIcon_(std::move(paintIcon)), notifierItem_(texts.id, texts.title)
{
    if (!menu.empty()) {
        notifierItem_.setMenu(menu);
        menu_ = std::make_unique<QMenu>();
        for (const auto& entry : menu)
            menu_->addAction(entry.label, entry.action);
        connect(&notifierItem_, &StatusNotifierItem::contextMenuRequested, this,
                [this](QPoint position) { menu_->popup(position.isNull() ? QCursor::pos() : position); });
    }
    connect(&notifierItem_, &StatusNotifierItem::activated, this, [this](QPoint position) {
        activationPoint_ = position;
        if (action_)
            action_(this);
    });
    connect(&notifierItem_, &StatusNotifierItem::registeredChanged, this, &QtStatusItemButton::showNotifierItem);
    // With a bus, the watcher's answer decides, in a moment; without one there is only XEmbed.
    if (notifierItem_.serviceName().isEmpty())
        showNotifierItem(false);
    // An icon that shows nowhere is the commonest puzzle: say once why, and that it is waiting.
    if (!texts.noTrayWarning.isEmpty()) {
        QTimer::singleShot(std::chrono::seconds(5), this, [this, warning = texts.noTrayWarning] {
            if (!showsNotifierItem_ && !QSystemTrayIcon::isSystemTrayAvailable())
                qWarning("%s", qUtf8Printable(warning));
        });
    }
}

void QtStatusItemButton::showNotifierItem(bool show)
{
    showsNotifierItem_ = show;
    // The host that took the item may draw its label, or another may not: drawn again either way.
    shown_.reset();
    scheduleRender();
    if (show) {
        if (trayIcon_)
            trayIcon_->hide();
        return;
    }
    if (!trayIcon_) {
        trayIcon_ = std::make_unique<QSystemTrayIcon>();
        connect(trayIcon_.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
            if (reason == QSystemTrayIcon::Trigger && action_)
                action_(this);
        });
        trayIcon_->setContextMenu(menu_.get());
        render();
    }
    // Qt docks the icon again whenever a tray host appears, also one started after us.
    trayIcon_->show();
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

void QtStatusItemButton::setToolTip(std::string toolTip)
{
    toolTip_ = std::move(toolTip);
    scheduleRender();
}

Rect QtStatusItemButton::bounds() const
{
    if (showsNotifierItem_ || !trayIcon_)
        return {0, 0, 1, 1};
    const QRect geometry = trayIcon_->geometry();
    return {0, 0, double(geometry.width()), double(geometry.height())};
}

std::optional<Rect> QtStatusItemButton::rectOnScreen(Rect rect) const
{
    if (showsNotifierItem_) { // the point the host clicked, when it says
        if (activationPoint_.isNull())
            return std::nullopt;
        return Rect{double(activationPoint_.x()), double(activationPoint_.y()), 1, 1};
    }
    if (!trayIcon_)
        return std::nullopt;
    const QRect geometry = trayIcon_->geometry();
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
    const StatusImage* shown = image_ && imagePosition_ != ImagePosition::NoImage ? &*image_ : nullptr;
    const QColor ink = image_ && !image_->isTemplate ? QColor(Qt::black) : panelInk();
    Shown now{title_, toolTip_, shown ? std::optional(*shown) : std::nullopt, ink.rgba()};
    if (shown_ == now)
        return; // the ten-second tick on a level that stood still
    shown_ = std::move(now);
    const auto picture = [&](int size) { return paintIcon_(shown, title, ink, size); };
    const QString toolTip = QString::fromStdString(toolTip_);
    // Where the host draws the item's label, the level is there and not in the icon as well.
    const QString inIcon = notifierItem_.hostDrawsLabel() ? QString() : title;
    notifierItem_.setContent(paintIcon_(shown, inIcon, ink, 22), paintIcon_(shown, inIcon, ink, 44), title, toolTip);
    if (!trayIcon_)
        return;
    // Drawn afresh at each size tray hosts ask for, HiDPI ones included.
    QIcon icon;
    for (const int size : {16, 22, 24, 32, 44, 48, 64})
        icon.addPixmap(QPixmap::fromImage(picture(size)));
    trayIcon_->setIcon(icon);
    const QString description = image_ ? QString::fromStdString(image_->accessibilityDescription) : QString();
    const QString heading = (description + title).trimmed();
    trayIcon_->setToolTip(toolTip.isEmpty() ? heading : heading + u'\n' + toolTip);
}

std::shared_ptr<StatusItem> QtStatusBar::statusItem(double)
{
    return std::make_shared<QtStatusItem>(paintIcon_, texts_, menu_);
}

} // namespace platform
