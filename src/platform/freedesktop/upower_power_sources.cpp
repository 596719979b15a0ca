#include "platform/freedesktop/upower_power_sources.h"

#include "platform/freedesktop/upower_description.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>

#include <utility>
#include <vector>

namespace platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.UPower");
const QString daemonPath = QStringLiteral("/org/freedesktop/UPower");
const QString displayPath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

QDBusMessage getAll(const QString& path, const QString& interface)
{
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, propertiesInterface, QStringLiteral("GetAll"));
    message << interface;
    return message;
}

// The reply's properties; nothing for an error or a reply of another shape.
std::optional<QVariantMap> properties(const QDBusMessage& reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("a{sv}"))
        return std::nullopt;
    return qdbus_cast<QVariantMap>(reply.arguments().constFirst());
}

std::vector<QString> objectPaths(const QDBusMessage& reply)
{
    std::vector<QString> paths;
    if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("ao"))
        return paths;
    for (const QDBusObjectPath& path : qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().constFirst())) {
        if (path.path() != displayPath)
            paths.push_back(path.path());
    }
    return paths;
}

} // namespace

// One round of calls: the daemon, the display device, the device list and each device.
struct UPowerPowerSources::Reading {
    std::optional<QVariantMap> daemon;
    std::optional<QVariantMap> display;
    std::vector<std::pair<QString, std::optional<QVariantMap>>> devices;
    int waiting = 0;
};

UPowerPowerSources::UPowerPowerSources(QDBusConnection bus, std::shared_ptr<PowerSources> fallback)
    : bus_(std::move(bus)), fallback_(std::move(fallback))
{
    coalesce_.setSingleShot(true);
    coalesce_.setInterval(coalescing);
    connect(&coalesce_, &QTimer::timeout, this, &UPowerPowerSources::read);

    // Subscribed once, to the name rather than its owner: QtDBus follows the name to whichever
    // process owns it, so a daemon that comes back needs no new subscription.
    bus_.connect(service, QString(), propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                 SLOT(daemonChanged()));
    for (const char* signal : {"DeviceAdded", "DeviceRemoved"})
        bus_.connect(service, daemonPath, service, QLatin1String(signal), this, SLOT(daemonChanged()));
    auto* watcher = new QDBusServiceWatcher(service, bus_, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(watcher, &QDBusServiceWatcher::serviceRegistered, this, &UPowerPowerSources::daemonChanged);
    connect(watcher, &QDBusServiceWatcher::serviceUnregistered, this, &UPowerPowerSources::daemonGone);

    // Asking starts the daemon where the bus can activate it.
    read();
}

std::optional<PowerSourceSnapshot> UPowerPowerSources::snapshot()
{
    if (answering_)
        return cache_;
    return fallback_ ? fallback_->snapshot() : std::nullopt;
}

std::string_view UPowerPowerSources::name() const
{
    if (answering_ || !fallback_)
        return "upower";
    return fallback_->name();
}

bool UPowerPowerSources::waitForReading(std::chrono::milliseconds patience)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.start(patience);
    while ((reading_ || coalesce_.isActive()) && deadline.isActive())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return answering_;
}

void UPowerPowerSources::daemonChanged()
{
    if (!coalesce_.isActive())
        coalesce_.start();
}

void UPowerPowerSources::daemonGone()
{
    coalesce_.stop();
    cache_.clear();
    if (std::exchange(answering_, false))
        tell();
}

void UPowerPowerSources::read()
{
    // One reading at a time, so an older answer never overwrites a newer one.
    if (reading_) {
        readAgain_ = true;
        return;
    }
    reading_ = true;
    auto reading = std::make_shared<Reading>();
    reading->waiting = 3;
    const auto arrived = [this, reading] {
        if (--reading->waiting == 0)
            finish(*reading);
    };
    call(getAll(daemonPath, service), [reading, arrived](const QDBusMessage& reply) {
        reading->daemon = properties(reply);
        arrived();
    });
    call(getAll(displayPath, deviceInterface), [reading, arrived](const QDBusMessage& reply) {
        reading->display = properties(reply);
        arrived();
    });
    call(QDBusMessage::createMethodCall(service, daemonPath, service, QStringLiteral("EnumerateDevices")),
         [this, reading, arrived](const QDBusMessage& reply) {
             const auto paths = objectPaths(reply);
             reading->devices.resize(paths.size());
             reading->waiting += int(paths.size());
             for (std::size_t i = 0; i < paths.size(); ++i) {
                 reading->devices[i].first = paths[i];
                 call(getAll(paths[i], deviceInterface), [reading, arrived, i](const QDBusMessage& deviceReply) {
                     // A device gone since the list was made answers an error, and is left out.
                     reading->devices[i].second = properties(deviceReply);
                     arrived();
                 });
             }
             arrived();
         });
}

void UPowerPowerSources::finish(const Reading& reading)
{
    reading_ = false;
    if (reading.daemon && reading.display) {
        std::vector<std::pair<QString, QVariantMap>> devices;
        for (const auto& [path, device] : reading.devices) {
            if (device)
                devices.emplace_back(path, *device);
        }
        auto snapshot = describeUPower(*reading.daemon, *reading.display, devices);
        const bool changed = !answering_ || snapshot != cache_;
        cache_ = std::move(snapshot);
        answering_ = true;
        if (changed)
            tell();
    }
    // A daemon that stops answering but keeps its name keeps its last snapshot.
    if (std::exchange(readAgain_, false))
        read();
}

void UPowerPowerSources::call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> handleReply)
{
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(message, int(callTimeout.count())), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [handleReply = std::move(handleReply)](QDBusPendingCallWatcher* finished) {
                finished->deleteLater();
                handleReply(finished->reply());
            });
}

void UPowerPowerSources::tell()
{
    if (handler_)
        handler_();
}

} // namespace platform
