#include "platform/freedesktop/portal_color_scheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>

namespace platform {
namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");
const QString appearanceNamespace = QStringLiteral("org.freedesktop.appearance");
const QString colorSchemeKey = QStringLiteral("color-scheme");

bool isInteger(const QVariant& value)
{
    switch (value.metaType().id()) {
    case QMetaType::UChar:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::Long:
    case QMetaType::ULong:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        return true;
    default:
        return false;
    }
}

} // namespace

std::optional<bool> darkFromPortalValue(const QVariant& value)
{
    QVariant inner = value;
    for (int level = 0; level < 2 && inner.metaType() == QMetaType::fromType<QDBusVariant>(); ++level)
        inner = inner.value<QDBusVariant>().variant();
    if (!isInteger(inner))
        return std::nullopt;
    switch (inner.toLongLong()) {
    case 1: return true;
    case 0:
    case 2: return false;
    default: return std::nullopt;
    }
}

PortalColorScheme::PortalColorScheme(QObject* parent) : QObject(parent)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    // QtDBus finds the slot's parameter types by name, which only registered types have.
    qRegisterMetaType<QDBusVariant>();
    // Subscribed before asking, so a change between the question and its answer is not lost.
    bus.connect(portalService, portalPath, settingsInterface, QStringLiteral("SettingChanged"), this,
                SLOT(onSettingChanged(QString, QString, QDBusVariant)));
    ask(QStringLiteral("ReadOne"));
}

void PortalColorScheme::ask(const QString& method)
{
    QDBusMessage call = QDBusMessage::createMethodCall(portalService, portalPath, settingsInterface, method);
    call << appearanceNamespace << colorSchemeKey;
    // Asynchronous: an absent or hung portal must not hold up start-up for D-Bus's 25 s timeout.
    auto* watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, method](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusMessage reply = finished->reply();
        if (reply.type() == QDBusMessage::ErrorMessage) {
            // Older portals (Debian 12's) only have the deprecated Read.
            if (method == QStringLiteral("ReadOne") && finished->error().type() == QDBusError::UnknownMethod)
                ask(QStringLiteral("Read"));
            return;
        }
        if (reply.arguments().isEmpty())
            return;
        learn(reply.arguments().constFirst());
    });
}

void PortalColorScheme::onSettingChanged(const QString& settingNamespace, const QString& key, const QDBusVariant& value)
{
    if (settingNamespace == appearanceNamespace && key == colorSchemeKey)
        learn(QVariant::fromValue(value));
}

void PortalColorScheme::learn(const QVariant& value)
{
    if (const auto dark = darkFromPortalValue(value)) {
        dark_ = dark;
        emit changed(*dark);
    }
}

} // namespace platform
