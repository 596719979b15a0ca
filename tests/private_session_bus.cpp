#include "private_session_bus.h"

#include <QFile>
#include <QStandardPaths>

PrivateSessionBus::PrivateSessionBus(const char* addressVariable)
{
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty() || !configDir_.isValid())
        return;
    QFile config(configDir_.filePath(QStringLiteral("bus.conf")));
    config.open(QIODevice::WriteOnly);
    config.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                 "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                 "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
    config.close();
    daemon_.start(daemon, {QStringLiteral("--nofork"), QStringLiteral("--print-address"),
                           QStringLiteral("--config-file=") + config.fileName()});
    if (daemon_.waitForReadyRead(5000))
        qputenv(addressVariable, daemon_.readLine().trimmed());
}

PrivateSessionBus::~PrivateSessionBus()
{
    daemon_.kill();
    daemon_.waitForFinished();
}
