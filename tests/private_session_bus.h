#pragma once

#include <QProcess>
#include <QTemporaryDir>

// A session bus of the test process's own, with nothing activatable, so no desktop service
// answers; DBUS_SESSION_BUS_ADDRESS names it. Start it before the first use of the session bus,
// as Qt keeps its first session bus connection. Named by DBUS_SYSTEM_BUS_ADDRESS instead, it
// stands for the system bus.
class PrivateSessionBus {
public:
    explicit PrivateSessionBus(const char* addressVariable = "DBUS_SESSION_BUS_ADDRESS");
    ~PrivateSessionBus();

private:
    QTemporaryDir configDir_;
    QProcess daemon_;
};
