#include "platform/freedesktop/status_notifier_item.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QFile>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QImage>
#include <QTimer>
#include <QtEndian>

#include <chrono>

namespace platform {
namespace {

const QString busService = QStringLiteral("org.freedesktop.DBus");
const QString busPath = QStringLiteral("/org/freedesktop/DBus");
const QString watcherPath = QStringLiteral("/StatusNotifierWatcher");

// The name of the program that owns `service` on the bus, from /proc; empty when unknown.
QString processName(const QDBusConnection& bus, const QString& service)
{
    const QDBusReply<uint> pid = bus.interface()->servicePid(service);
    if (!pid.isValid())
        return {};
    QFile command(QStringLiteral("/proc/%1/comm").arg(pid.value()));
    return command.open(QIODevice::ReadOnly) ? QString::fromUtf8(command.readAll().trimmed()) : QString();
}

StatusNotifierPixmap pixmap(const QImage& picture)
{
    const QImage image = picture.convertToFormat(QImage::Format_ARGB32);
    StatusNotifierPixmap pixmap{image.width(), image.height(), {}};
    pixmap.bytes.resize(qsizetype(image.width()) * image.height() * 4);
    auto* out = reinterpret_cast<quint32*>(pixmap.bytes.data());
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x)
            *out++ = qToBigEndian(line[x]);
    }
    return pixmap;
}

} // namespace

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierPixmap& pixmap)
{
    argument.beginStructure();
    argument << pixmap.width << pixmap.height << pixmap.bytes;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierPixmap& pixmap)
{
    argument.beginStructure();
    argument >> pixmap.width >> pixmap.height >> pixmap.bytes;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierToolTip& toolTip)
{
    argument.beginStructure();
    argument << toolTip.iconName << toolTip.iconPixmap << toolTip.title << toolTip.description;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierToolTip& toolTip)
{
    argument.beginStructure();
    argument >> toolTip.iconName >> toolTip.iconPixmap >> toolTip.title >> toolTip.description;
    argument.endStructure();
    return argument;
}

StatusNotifierItem::StatusNotifierItem(QString id, QString title)
    : id_(std::move(id)), title_(std::move(title)), bus_(QDBusConnection::sessionBus())
{
    qDBusRegisterMetaType<StatusNotifierPixmap>();
    qDBusRegisterMetaType<StatusNotifierPixmaps>();
    qDBusRegisterMetaType<StatusNotifierToolTip>();
    if (!bus_.isConnected())
        return;
    serviceName_ = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
    bus_.registerObject(QString::fromLatin1(objectPath), this,
                        QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
    // Not registerService, which waits for the bus's answer. The bus handles one connection's
    // messages in order, so the name is ours before any watcher hears of it.
    QDBusMessage request = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("RequestName"));
    request << serviceName_ << 4u; // do not queue behind another owner
    bus_.send(request);

    auto* watcher = new QDBusServiceWatcher(QString::fromLatin1(watcherService), bus_,
                                            QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, this,
            [this](const QString&, const QString&, const QString& newOwner) {
                if (newOwner.isEmpty())
                    emit registeredChanged(false);
                else
                    registerWithWatcher();
            });
    bus_.connect(QString::fromLatin1(watcherService), watcherPath, QString::fromLatin1(watcherService),
                 QStringLiteral("StatusNotifierItemUnregistered"), this, SLOT(itemUnregistered(QString)));
    registerWithWatcher();
}

StatusNotifierItem::~StatusNotifierItem()
{
    if (!bus_.isConnected())
        return;
    bus_.unregisterObject(QString::fromLatin1(objectPath));
    QDBusMessage release = QDBusMessage::createMethodCall(busService, busPath, busService, QStringLiteral("ReleaseName"));
    release << serviceName_;
    bus_.send(release);
}

void StatusNotifierItem::setContent(const QImage& small, const QImage& large, const QString& level,
                                    const QString& details)
{
    // Each update sets the content again; hosts fetch the pictures anew only when they change.
    StatusNotifierPixmaps pixmaps{pixmap(small), pixmap(large)};
    const bool newIcon = pixmaps != pixmaps_;
    if (newIcon)
        pixmaps_ = std::move(pixmaps);
    // The icon's accessible description has the level: hosts read it again with the icon.
    if (newIcon || level != label_)
        emit NewIcon();
    if (level != label_) {
        label_ = level;
        details_ = details;
        emit NewToolTip();
        if (hostIsGnomeShell_)
            emit XAyatanaNewLabel(label(), labelGuide());
    } else if (details != details_) {
        details_ = details;
        emit NewToolTip();
    }
}

void StatusNotifierItem::Activate(int x, int y)
{
    const QString caller = callerName();
    // waybar (as Debian ships it) sends the click's place within its icon, not on the screen:
    // such a point says nothing of where the item is.
    emit activated(caller == QLatin1String("waybar") ? QPoint() : QPoint(x, y));
    // GNOME Shell's AppIndicator extension (46) calls Activate on a single click only until one
    // has succeeded, and from then on on a double click only. Answered as failed (but done),
    // every single click keeps coming here.
    if (caller == QLatin1String("gnome-shell"))
        sendErrorReply(QDBusError::NotSupported, QStringLiteral("done; keep calling Activate on a single click"));
}

QString StatusNotifierItem::callerName() const
{
    return calledFromDBus() ? processName(bus_, message().service()) : QString();
}

void StatusNotifierItem::SecondaryActivate(int x, int y)
{
    emit activated(callerName() == QLatin1String("waybar") ? QPoint() : QPoint(x, y));
}

void StatusNotifierItem::ContextMenu(int x, int y)
{
    emit contextMenuRequested(QPoint(x, y));
}

void StatusNotifierItem::setMenu(std::vector<MenuEntry> entries)
{
    if (menu_ || !bus_.isConnected())
        return;
    menu_ = new DBusMenu(std::move(entries), this);
    menu_->setEntriesShown(!hostIsGnomeShell_);
    bus_.registerObject(QString::fromLatin1(menuPath), menu_,
                        QDBusConnection::ExportScriptableContents | QDBusConnection::ExportAllProperties);
}

void StatusNotifierItem::Scroll(int, const QString&) {}

void StatusNotifierItem::registerWithWatcher()
{
    // Known before the host first reads the item: a change it heard of while still setting up
    // would be lost to it.
    setHostIsGnomeShell(processName(bus_, QString::fromLatin1(watcherService)) == QLatin1String("gnome-shell"));
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromLatin1(watcherService),
                                                       QStringLiteral("/StatusNotifierWatcher"),
                                                       QString::fromLatin1(watcherService),
                                                       QStringLiteral("RegisterStatusNotifierItem"));
    // GNOME Shell's extension (46) watches an item registered by its name, and when it hears
    // that the name has an owner after it has read the item, it forgets what it read, fails to
    // read it again and drops the item: about one start in ten. By its object path (as Ayatana's
    // items register) it watches only its connection, and takes it every time.
    call << (hostIsGnomeShell_ ? QString::fromLatin1(objectPath) : serviceName_);
    auto* pending = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(pending, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        const bool refused = finished->isError();
        finished->deleteLater();
        emit registeredChanged(!refused);
        // A watcher that is there but busy (its host still starting, a loaded machine) may fail
        // the call: ask again a moment later, a few times, rather than stay out of its tray.
        constexpr int retries = 5;
        if (!refused)
            registrationRetries_ = 0;
        else if (registrationRetries_ < retries && bus_.interface()->isServiceRegistered(QString::fromLatin1(watcherService))) {
            ++registrationRetries_;
            QTimer::singleShot(std::chrono::seconds(1), this, &StatusNotifierItem::registerWithWatcher);
        }
    });
}

// The extension drops an item now and then, when its first questions to it fail on a busy
// machine, and never asks again: the item registers anew, a moment later.
void StatusNotifierItem::itemUnregistered(const QString& service)
{
    if (service == serviceName_ || service == bus_.baseService() + u'@' + QLatin1String(objectPath))
        QTimer::singleShot(std::chrono::milliseconds(500), this, &StatusNotifierItem::registerWithWatcher);
}

void StatusNotifierItem::setHostIsGnomeShell(bool gnomeShell)
{
    if (gnomeShell == hostIsGnomeShell_)
        return;
    hostIsGnomeShell_ = gnomeShell;
    // A menu with entries takes the extension's single click for itself (and a right click only
    // ever opens what a left click opens too): there the panel's own buttons stand for it.
    if (menu_)
        menu_->setEntriesShown(!gnomeShell);
    emit XAyatanaNewLabel(label(), labelGuide());
}

} // namespace platform
