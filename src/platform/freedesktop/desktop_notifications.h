#pragma once

#include "platform/notifications.h"

#include <QDBusConnection>
#include <QObject>
#include <QString>

#include <map>
#include <optional>
#include <ostream>

namespace platform {

// Notifications through org.freedesktop.Notifications on the session bus, every call
// asynchronous. Without a server the notifications are skipped, with one line on `log` the
// first time; they work again as soon as a server answers.
class DesktopNotifications final : public QObject, public Notifications {
    Q_OBJECT
public:
    DesktopNotifications(QString applicationName, std::ostream& log, QDBusConnection bus = QDBusConnection::sessionBus());

    void show(const std::string& slot, const Notification& notification) override;
    void withdraw(const std::string& slot) override;

private:
    // What the server knows of one slot: its id once Notify answered. While a Notify is on its
    // way, a newer notification or a withdrawal waits for its answer, so that it can replace or
    // close what the server shows rather than stack beside it.
    struct Shown {
        std::optional<quint32> id;
        bool awaitingId = false;
        bool withdrawn = false;
        std::optional<Notification> next;
    };

    void send(const std::string& slot, const Notification& notification);
    void askCapabilities();
    void closeNotification(quint32 id);
    void noServer();

    QString applicationName_;
    std::ostream& log_;
    QDBusConnection bus_;
    std::optional<bool> showsBody_; // until the server says, assume it does
    bool askingCapabilities_ = false;
    bool toldNoServer_ = false;
    std::map<std::string, Shown> slots_;
};

} // namespace platform
