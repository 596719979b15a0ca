#include "platform/freedesktop/portal_color_scheme.h"
#include "platform/qt/appearance.h"
#include "platform/qt/panel_ink.h"

#include "private_session_bus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPalette>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace {

using platform::darkFromPortalValue;

QVariant wrapped(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

TEST(DarkFromPortalValue, OneIsDarkZeroAndTwoLightThroughUpToTwoVariants)
{
    for (const QVariant& value : {QVariant(1u), wrapped(1u), wrapped(wrapped(1u))})
        EXPECT_EQ(darkFromPortalValue(value), true);
    for (const QVariant& value : {QVariant(0u), QVariant(2u), wrapped(0u), wrapped(wrapped(2u))})
        EXPECT_EQ(darkFromPortalValue(value), false);
    for (const QVariant& value : {QVariant(), QVariant(3u), QVariant("1"), wrapped(wrapped(wrapped(1u)))})
        EXPECT_EQ(darkFromPortalValue(value), std::nullopt) << value.typeName();
}

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString settingsInterface = QStringLiteral("org.freedesktop.portal.Settings");

// The portal's settings object answering the colour scheme; without ReadOne, as older portals.
class FakePortal : public QDBusVirtualObject {
public:
    FakePortal(bool hasReadOne, uint scheme) : hasReadOne_(hasReadOne), scheme_(scheme) {}
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QStringLiteral("ReadOne") && hasReadOne_)
            connection.send(message.createReply(wrapped(scheme_)));
        else if (message.member() == QStringLiteral("Read"))
            connection.send(message.createReply(wrapped(wrapped(scheme_))));
        else
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
        return true;
    }

private:
    bool hasReadOne_;
    uint scheme_;
};

std::optional<bool> nextChange(platform::Appearance& appearance, int timeoutMs = 5000)
{
    std::optional<bool> seen;
    QEventLoop loop;
    QObject::connect(&appearance, &platform::Appearance::changed, &loop, [&](bool dark) {
        seen = dark;
        loop.quit();
    });
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return seen;
}

void setWindowColour(Qt::GlobalColor colour)
{
    QPalette palette;
    palette.setColor(QPalette::Window, colour);
    QGuiApplication::setPalette(palette);
}

std::unique_ptr<PrivateSessionBus> privateBus;

class OnPrivateBus : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!privateBus)
            privateBus = std::make_unique<PrivateSessionBus>();
    }

    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
        setWindowColour(Qt::white);
    }
    void TearDown() override
    {
        QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
        QGuiApplication::setPalette(QPalette());
    }

    // Serves `portal` as the desktop portal until the test ends.
    static QDBusConnection publish(FakePortal& portal)
    {
        QDBusConnection connection = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                                   QStringLiteral("fake-portal"));
        connection.registerVirtualObject(portalPath, &portal);
        connection.registerService(QStringLiteral("org.freedesktop.portal.Desktop"));
        return connection;
    }
};

TEST_F(OnPrivateBus, WithoutPortalThePaletteDecides)
{
    platform::Appearance appearance;
    // Time for the bus to say there is no portal.
    EXPECT_EQ(nextChange(appearance, 300), std::nullopt);
    setWindowColour(Qt::black);
    EXPECT_TRUE(appearance.isDark());
    setWindowColour(Qt::white);
    EXPECT_FALSE(appearance.isDark());
}

TEST_F(OnPrivateBus, PortalOverridesPaletteAndItsChangesArriveAtOnce)
{
    FakePortal portal(true, 1);
    const QDBusConnection connection = publish(portal);
    platform::Appearance appearance;
    EXPECT_EQ(nextChange(appearance), true);

    QDBusMessage signal = QDBusMessage::createSignal(portalPath, settingsInterface, QStringLiteral("SettingChanged"));
    signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme") << wrapped(0u);
    connection.send(signal);
    EXPECT_EQ(nextChange(appearance), false);
    setWindowColour(Qt::black);
    EXPECT_FALSE(appearance.isDark());
}

TEST_F(OnPrivateBus, PortalWithoutReadOneIsAskedThroughRead)
{
    FakePortal portal(false, 1);
    publish(portal);
    platform::Appearance appearance;
    EXPECT_EQ(nextChange(appearance), true);
}

TEST(PanelInk, TheTrayHostsColourFirstThenWhiteOnDarkBarsByDefaultElseThePalettes)
{
    const QColor announced(Qt::yellow);
    const QColor palette(Qt::black);
    EXPECT_EQ(platform::panelInk(announced, "GNOME", palette), announced);
    for (const char* shell : {"GNOME", "ubuntu:GNOME", "pop:GNOME:", "sway", "Hyprland"})
        EXPECT_EQ(platform::panelInk(std::nullopt, shell, palette), QColor(Qt::white)) << shell;
    for (const char* other : {"", "KDE", "XFCE", "GNOME-Classic:GNOME", "GNOME-Flashback:GNOME", "XGNOME", ":"})
        EXPECT_EQ(platform::panelInk(std::nullopt, other, palette), palette) << other;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    privateBus.reset();
    return result;
}
