#include "platform/freedesktop/desktop_notifications.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>

#include <utility>

namespace platform {
namespace {

const QString service = QStringLiteral("org.freedesktop.Notifications");
const QString path = QStringLiteral("/org/freedesktop/Notifications");
const QString interface = QStringLiteral("org.freedesktop.Notifications");
constexpr int callTimeoutMs = 5000;

QDBusMessage call(const QString& method)
{
    return QDBusMessage::createMethodCall(service, path, interface, method);
}

uchar urgencyByte(NotificationUrgency urgency)
{
    switch (urgency) {
    case NotificationUrgency::Low: return 0;
    case NotificationUrgency::Normal: return 1;
    case NotificationUrgency::Critical: return 2;
    }
    return 1;
}

} // namespace

DesktopNotifications::DesktopNotifications(QString applicationName, std::ostream& log, QDBusConnection bus)
    : applicationName_(std::move(applicationName)), log_(log), bus_(std::move(bus))
{
}

void DesktopNotifications::noServer()
{
    if (!std::exchange(toldNoServer_, true))
        log_ << "battery-monitor: no notification server on the session bus; battery warnings are not shown" << std::endl;
}

void DesktopNotifications::askCapabilities()
{
    // Warnings can come in quick succession: one question on the way is enough.
    if (std::exchange(askingCapabilities_, true))
        return;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call(QStringLiteral("GetCapabilities")), callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        askingCapabilities_ = false;
        const QDBusPendingReply<QStringList> reply = *finished;
        if (reply.isValid())
            showsBody_ = reply.value().contains(QStringLiteral("body"));
    });
}

void DesktopNotifications::show(const std::string& slot, const Notification& notification)
{
    if (!bus_.isConnected())
        return noServer();
    auto& shown = slots_[slot];
    shown.withdrawn = false;
    if (shown.awaitingId)
        shown.next = notification;
    else
        send(slot, notification);
}

void DesktopNotifications::send(const std::string& slot, const Notification& notification)
{
    if (!showsBody_)
        askCapabilities();
    auto& shown = slots_[slot];
    shown.awaitingId = true;
    QString summary = QString::fromStdString(notification.summary);
    QString body = QString::fromStdString(notification.body);
    // A server that shows only summaries still gets the whole message.
    if (showsBody_ == false && !body.isEmpty()) {
        summary += QStringLiteral(": ") + body;
        body.clear();
    }
    QDBusMessage notify = call(QStringLiteral("Notify"));
    notify << applicationName_ << quint32(shown.id.value_or(0)) << QString::fromStdString(notification.iconName)
           << summary << body << QStringList()
           << QVariantMap{{QStringLiteral("urgency"), QVariant::fromValue(urgencyByte(notification.urgency))}}
           << qint32(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(notify, callTimeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, slot](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<quint32> reply = *finished;
        auto& answered = slots_[slot];
        answered.awaitingId = false;
        if (!reply.isValid()) {
            slots_.erase(slot);
            return noServer();
        }
        toldNoServer_ = false; // a server that goes again later is worth a word again
        answered.id = reply.value();
        if (answered.withdrawn) {
            closeNotification(*answered.id);
            slots_.erase(slot);
        } else if (auto next = std::exchange(answered.next, std::nullopt)) {
            send(slot, *next);
        }
    });
}

void DesktopNotifications::withdraw(const std::string& slot)
{
    const auto found = slots_.find(slot);
    if (found == slots_.end())
        return;
    if (found->second.awaitingId) { // close once Notify has answered
        found->second.withdrawn = true;
        found->second.next.reset();
        return;
    }
    if (found->second.id)
        closeNotification(*found->second.id);
    slots_.erase(found);
}

void DesktopNotifications::closeNotification(quint32 id)
{
    QDBusMessage close = call(QStringLiteral("CloseNotification"));
    close << id;
    bus_.asyncCall(close, callTimeoutMs); // nothing to do with the answer
}

} // namespace platform
