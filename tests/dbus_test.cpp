// The platform's D-Bus clients and services, on buses of the test's own: python-dbusmock's UPower
// on one that stands for the system bus, a portal and a tray's watcher on a session bus.
#include "platform/fake/power_sources.h"
#include "platform/freedesktop/portal_color_scheme.h"
#include "platform/freedesktop/status_notifier_item.h"
#include "platform/freedesktop/upower_description.h"
#include "platform/freedesktop/upower_power_sources.h"
#include "platform/qt/appearance.h"
#include "platform/qt/panel_ink.h"
#include "platform/qt/qt_status_bar.h"

#include <QApplication>
#include <QPalette>
#include <QtCore>
#include <QtDBus>

#include <gtest/gtest.h>

#include <functional>

namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;
using platform::PowerSourceDescription;
using platform::PowerSourceValue;

// Runs the event loop until `done` holds or `patience` has passed; whether it held.
bool eventually(const std::function<bool()>& done, std::chrono::milliseconds patience = 5s)
{
    for (const QDeadlineTimer deadline(patience); !done(); QCoreApplication::processEvents(QEventLoop::AllEvents, 10))
        if (deadline.hasExpired())
            return false;
    return true;
}

QVariant wrapped(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

// A present laptop battery with `extra` over it.
QVariantMap display(const QVariantMap& extra)
{
    QVariantMap properties{{"Type", 2u}, {"IsPresent", true}};
    properties.insert(extra);
    return properties;
}

TEST(DescribeUPower, TheDisplayDeviceMapsLevelChargingSourceAndTimesLeavingOutWhatIsUnknownOrAbsurd)
{
    const struct {
        QVariantMap display, daemon;
        PowerSourceDescription expected;
    } cases[] = {
        {display({{"Percentage", 72.5}, {"State", 1u}, {"TimeToFull", qint64(1800)}}), {{"OnBattery", false}},
         {{"Current Capacity", std::int64_t(73)}, {"Is Charging", true}, {"Power Source State", "AC Power"s},
          {"Time to Full", std::int64_t(1800)}}},
        {display({{"Percentage", 0.49}, {"State", 2u}, {"TimeToEmpty", qint64(600)}}), {{"OnBattery", true}},
         {{"Current Capacity", std::int64_t(0)}, {"Is Charging", false}, {"Power Source State", "Battery Power"s},
          {"Time to Empty", std::int64_t(600)}}},
        {display({{"Percentage", 99.5}}), {}, {{"Current Capacity", std::int64_t(100)}}},
        {display({{"Percentage", 180.0}}), {}, {{"Current Capacity", std::int64_t(100)}}},
        {display({{"Percentage", 40u}}), {}, {{"Current Capacity", std::int64_t(40)}}},
        // Unknown: NaN, infinite, negative and mistyped values, state 0, times of zero, past a week or negative.
        {display({{"Percentage", qQNaN()}, {"State", 0u}, {"TimeToEmpty", qint64(0)}}), {{"OnBattery", 1}}, {}},
        {display({{"Percentage", -1.0}, {"State", "charging"}, {"TimeToFull", qint64(8 * 24 * 3600)}}), {}, {}},
        {display({{"Percentage", qInf()}, {"State", 1.5}, {"TimeToEmpty", qint64(-5)}}), {}, {}},
        {display({{"Percentage", "50"}, {"State", 99u}, {"TimeToFull", "60"}}), {}, {}},
        // The daemon's own warning level, where it judges one.
        {display({{"WarningLevel", 4u}}), {}, {{"Warning Level", "critical"s}}},
        {display({{"WarningLevel", 1u}}), {}, {{"Warning Level", "none"s}}},
        {display({{"WarningLevel", 2u}}), {}, {}}, {display({{"WarningLevel", 9u}}), {}, {}},
    };
    for (const auto& each : cases) {
        auto expected = each.expected;
        expected.merge(PowerSourceDescription{{"Type", "InternalBattery"s}, {"Kind", "battery"s}});
        EXPECT_EQ(platform::describeDisplayDevice(each.display, each.daemon), expected)
            << each.display.keys().join(' ').toStdString();
    }
    // No present battery, or no telling.
    for (const QVariantMap& device : {QVariantMap{{"Type", 2u}, {"IsPresent", false}, {"Percentage", 50.0}},
                                      QVariantMap{{"Type", 3u}, {"IsPresent", true}, {"Percentage", 50.0}},
                                      QVariantMap{{"IsPresent", true}}, QVariantMap{{"Type", 2u}},
                                      QVariantMap{{"Type", "2"}, {"IsPresent", true}}, QVariantMap{{"Type", 2u}, {"IsPresent", 1u}}})
        EXPECT_EQ(platform::describeDisplayDevice(device, {{"OnBattery", false}}), std::nullopt);
}

TEST(DescribeUPower, PeripheralsAndUpsesAreNamedAndKindedNeverInternalAndFollowTheDisplayDevice)
{
    const QString path = QStringLiteral("/org/freedesktop/UPower/devices/mouse_dev_AA_BB");
    const struct {
        QVariantMap device;
        std::optional<PowerSourceDescription> expected;
    } cases[] = {
        {{{"Type", 5u}, {"Model", "MX Master 3"}, {"Vendor", "Logi"}, {"Percentage", 40.0}, {"State", 2u}, {"IsPresent", true}},
         {{{"Type", "DeviceBattery"s}, {"Kind", "mouse"s}, {"Name", "MX Master 3"s}, {"Current Capacity", std::int64_t(40)},
           {"Is Charging", false}}}},
        {{{"Type", 3u}, {"Model", " "}, {"Vendor", "APC"}, {"Percentage", 100.0}, {"State", 4u}, {"TimeToEmpty", qint64(3000)}},
         {{{"Type", "UPS"s}, {"Kind", "ups"s}, {"Name", "APC"s}, {"Current Capacity", std::int64_t(100)},
           {"Is Charging", false}, {"Time to Empty", std::int64_t(3000)}}}},
        {{{"Type", 17u}, {"Percentage", qQNaN()}, {"State", 1u}},
         {{{"Type", "DeviceBattery"s}, {"Kind", "headset"s}, {"Name", "mouse_dev_AA_BB"s}, {"Is Charging", true}}}},
        {{{"Type", 2u}, {"PowerSupply", false}, {"Model", 7u}},
         {{{"Type", "DeviceBattery"s}, {"Kind", "battery"s}, {"Name", "mouse_dev_AA_BB"s}}}},
        {{{"Type", 400u}, {"Model", "Gadget"}}, {{{"Type", "DeviceBattery"s}, {"Kind", "other"s}, {"Name", "Gadget"s}}}},
        // Line power, the laptop's own battery, an absent battery, an unknown or mistyped type.
        {{{"Type", 1u}, {"PowerSupply", true}, {"Online", true}}, std::nullopt},
        {{{"Type", 2u}, {"PowerSupply", true}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", 2u}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", 6u}, {"IsPresent", false}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", 0u}, {"Percentage", 50.0}}, std::nullopt},
        {{{"Type", "mouse"}, {"Percentage", 50.0}}, std::nullopt},
    };
    for (const auto& each : cases)
        EXPECT_EQ(platform::describeDevice(path, each.device), each.expected) << each.device.value("Type").toString().toStdString();

    const auto snapshot = platform::describeUPower(
        {{"OnBattery", true}}, display({{"Percentage", 55.0}}),
        {{"/d/line_power_AC", {{"Type", 1u}, {"PowerSupply", true}}},
         {"/d/battery_BAT0", {{"Type", 2u}, {"PowerSupply", true}, {"Percentage", 90.0}}},
         {"/d/keyboard", {{"Type", 6u}, {"Percentage", 10.0}}}});
    ASSERT_EQ(snapshot.size(), 2u);
    EXPECT_EQ(snapshot[0].at("Current Capacity"), PowerSourceValue(std::int64_t(55)));
    EXPECT_EQ(snapshot[1].at("Kind"), PowerSourceValue("keyboard"s));
}

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");
const QString mouse = QStringLiteral("/org/freedesktop/UPower/devices/mouse");

QDBusMessage callUPower(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments)
{
    auto message = QDBusMessage::createMethodCall(upower, path, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::systemBus().call(message);
}

QDBusMessage mock(const QString& method, const QVariantList& arguments)
{
    return callUPower(upowerPath, QStringLiteral("org.freedesktop.DBus.Mock"), method, arguments);
}

TEST(UPowerPowerSources, FollowTheDaemonABurstOfChangesAtATimeAndTheFallbackWhileItIsGone)
{
    // dbusmock's UPower template. Debian's own Python carries the package, whichever python3
    // comes first in PATH.
    QProcess daemon;
    const auto start = [&] {
        daemon.start(QStringLiteral("/usr/bin/python3"), {"-m", "dbusmock", "--system", "--template", "upower"});
        return eventually([] { return QDBusConnection::systemBus().interface()->isServiceRegistered(upower).value(); }, 10s);
    };
    const auto laptopAt = [](double percentage, uint state, bool onBattery) {
        mock("SetupDisplayDevice", {2u, state, percentage, 40.0, 50.0, 10.0, qint64(onBattery ? 3600 : 0),
                                    qint64(onBattery ? 0 : 1800), true, "battery-good", 1u});
        callUPower(upowerPath, "org.freedesktop.DBus.Properties", "Set", {upower, "OnBattery", wrapped(onBattery)});
    };
    ASSERT_TRUE(start());
    laptopAt(60, 2, true);
    platform::UPowerPowerSources sources(QDBusConnection::systemBus(), std::make_shared<platform::FakePowerSources>(
        platform::PowerSourceSnapshot{platform::internalBattery(11, false)}));
    int changes = 0;
    sources.onChange([&] { ++changes; });
    ASSERT_TRUE(sources.waitForReading(2s));
    const auto field = [&](std::size_t index, const char* key) -> std::optional<PowerSourceValue> {
        const auto snapshot = sources.snapshot();
        if (!snapshot || snapshot->size() <= index || !snapshot->at(index).contains(key))
            return std::nullopt;
        return snapshot->at(index).at(key);
    };
    const auto capacityIs = [&](std::int64_t level) { return field(0, "Current Capacity") == PowerSourceValue(level); };
    EXPECT_TRUE(capacityIs(60));
    EXPECT_EQ(sources.name(), "upower");

    changes = 0;
    laptopAt(61, 1, false); // a plug: a dozen properties change
    ASSERT_TRUE(eventually([&] { return changes > 0; }));
    eventually([] { return false; }, 300ms);
    EXPECT_LE(changes, 2) << "each signal told on its own";
    EXPECT_TRUE(capacityIs(61));
    EXPECT_EQ(field(0, "Is Charging"), PowerSourceValue(true));
    EXPECT_EQ(field(0, "Power Source State"), PowerSourceValue("AC Power"s));

    // A peripheral comes and goes beside the internal battery.
    mock("AddObject", {mouse, deviceInterface,
                       QVariantMap{{"Type", 5u}, {"Model", "Mouse"}, {"Percentage", 35.0}, {"State", 2u}, {"IsPresent", true},
                                   {"PowerSupply", false}},
                       QVariant::fromValue(QList<QVariant>())});
    mock("EmitSignal", {upower, "DeviceAdded", "o", QVariantList{QVariant::fromValue(QDBusObjectPath(mouse))}});
    ASSERT_TRUE(eventually([&] { return field(1, "Current Capacity") == PowerSourceValue(std::int64_t(35)); }));
    EXPECT_EQ(field(1, "Type"), PowerSourceValue("DeviceBattery"s));
    mock("RemoveDevice", {QVariant::fromValue(QDBusObjectPath(mouse))});
    ASSERT_TRUE(eventually([&] { return sources.snapshot()->size() == 1; }));

    changes = 0;
    daemon.kill();
    daemon.waitForFinished();
    ASSERT_TRUE(eventually([&] { return changes == 1; }));
    EXPECT_EQ(sources.name(), "");
    EXPECT_TRUE(capacityIs(11)) << "the fallback's";

    ASSERT_TRUE(start());
    laptopAt(80, 2, true);
    ASSERT_TRUE(eventually([&] { return capacityIs(80); }));
    EXPECT_EQ(sources.name(), "upower");
    // Subscribed once: a change after the return is told once, not once per subscription; one
    // the snapshot does not show (the daemon's energy figures change often) is not told.
    changes = 0;
    for (const auto& [property, value] : {std::pair{"Energy", 30.0}, std::pair{"Percentage", 81.0}}) {
        callUPower(QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice"), "org.freedesktop.DBus.Properties", "Set",
                   {deviceInterface, property, wrapped(value)});
        eventually([] { return false; }, 300ms);
    }
    ASSERT_TRUE(eventually([&] { return changes > 0; }));
    eventually([] { return false; }, 300ms);
    EXPECT_EQ(changes, 1);
    daemon.kill();
    daemon.waitForFinished();
}

TEST(DarkFromPortalValue, OneIsDarkZeroAndTwoLightThroughUpToTwoVariants)
{
    for (const QVariant& value : {QVariant(1u), wrapped(1u), wrapped(wrapped(1u))})
        EXPECT_EQ(platform::darkFromPortalValue(value), true);
    for (const QVariant& value : {QVariant(0u), QVariant(2u), wrapped(0u), wrapped(wrapped(2u))})
        EXPECT_EQ(platform::darkFromPortalValue(value), false);
    for (const QVariant& value : {QVariant(), QVariant(3u), QVariant("1"), wrapped(wrapped(wrapped(1u)))})
        EXPECT_EQ(platform::darkFromPortalValue(value), std::nullopt) << value.typeName();
}

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// The portal's settings object, dark; without ReadOne, as older portals.
class FakePortal : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() == QStringLiteral("ReadOne") && hasReadOne)
            connection.send(message.createReply(wrapped(1u)));
        else if (message.member() == QStringLiteral("Read"))
            connection.send(message.createReply(wrapped(wrapped(1u))));
        else
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
        return true;
    }

    bool hasReadOne = true;
};

std::optional<bool> nextChange(platform::Appearance& appearance, std::chrono::milliseconds patience = 5s)
{
    std::optional<bool> seen;
    const auto connection = QObject::connect(&appearance, &platform::Appearance::changed, [&](bool dark) { seen = dark; });
    eventually([&] { return seen.has_value(); }, patience);
    QObject::disconnect(connection);
    return seen;
}

TEST(Appearance, ThePaletteDecidesUntilAPortalAnswersAndThenThePortalAtOnce)
{
    QGuiApplication::setPalette(QPalette(Qt::white));
    {
        platform::Appearance appearance;
        EXPECT_EQ(nextChange(appearance, 300ms), std::nullopt) << "time for the bus to say there is no portal";
        QGuiApplication::setPalette(QPalette(Qt::black));
        EXPECT_TRUE(appearance.isDark());
        QGuiApplication::setPalette(QPalette(Qt::white));
        EXPECT_FALSE(appearance.isDark());
    }
    FakePortal portal;
    QDBusConnection connection =
        QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("fake-portal"));
    connection.registerVirtualObject(portalPath, &portal);
    ASSERT_TRUE(connection.registerService(QStringLiteral("org.freedesktop.portal.Desktop")));
    for (const bool hasReadOne : {true, false}) {
        SCOPED_TRACE(hasReadOne ? "ReadOne" : "Read");
        portal.hasReadOne = hasReadOne;
        QGuiApplication::setPalette(QPalette(Qt::white));
        platform::Appearance appearance;
        EXPECT_EQ(nextChange(appearance), true);
        QDBusMessage signal = QDBusMessage::createSignal(portalPath, QStringLiteral("org.freedesktop.portal.Settings"),
                                                         QStringLiteral("SettingChanged"));
        connection.send(signal << QStringLiteral("org.freedesktop.appearance") << QStringLiteral("color-scheme") << wrapped(0u));
        EXPECT_EQ(nextChange(appearance), false);
        QGuiApplication::setPalette(QPalette(Qt::black));
        EXPECT_FALSE(appearance.isDark());
    }
    QDBusConnection::disconnectFromBus(QStringLiteral("fake-portal"));
    QGuiApplication::setPalette(QPalette());
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

using platform::StatusNotifierItem;

const QString watcherService = QString::fromLatin1(StatusNotifierItem::watcherService);
const QString itemPath = QString::fromLatin1(StatusNotifierItem::objectPath);
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

const QString itemService = QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());

// A host's watcher that takes every item and remembers who registered.
class TestWatcher : public QDBusVirtualObject {
public:
    TestWatcher() { connection_.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), this); }
    ~TestWatcher() override { QDBusConnection::disconnectFromBus(QStringLiteral("test-watcher")); }

    void appear() { connection_.registerService(watcherService); }
    // As GNOME Shell's extension says that it dropped an item.
    void drop(const QString& service)
    {
        connection_.send(QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"), watcherService,
                                                    QStringLiteral("StatusNotifierItemUnregistered"))
                         << service);
    }
    void leave() { connection_.unregisterService(watcherService); }

    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        if (message.member() != QStringLiteral("RegisterStatusNotifierItem"))
            return false;
        if (refusals > 0) {
            --refusals;
            connection.send(message.createErrorReply(QDBusError::Failed, QStringLiteral("busy")));
        } else {
            registered.append(message.arguments().value(0).toString());
            connection.send(message.createReply());
        }
        return true;
    }

    // A call to the item from this other connection, answered while the test's loop runs.
    QDBusMessage call(const QString& path, const QString& interface, const QString& method, const QVariantList& arguments)
    {
        QDBusMessage message = QDBusMessage::createMethodCall(itemService, path, interface, method);
        message.setArguments(arguments);
        QDBusPendingCallWatcher pending(connection_.asyncCall(message));
        eventually([&] { return pending.isFinished(); });
        return pending.reply();
    }
    QVariant property(const QString& name)
    {
        return call(itemPath, "org.freedesktop.DBus.Properties", "Get", {itemInterface, name})
            .arguments().value(0).value<QDBusVariant>().variant();
    }

    QStringList registered;
    int refusals = 0; // registrations failed before the next is taken

private:
    QDBusConnection connection_ = QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                                QStringLiteral("test-watcher"));
};

TEST(StatusNotifierItem, TheButtonRegistersRedrawsOnlyForAChangeTakesClicksAndMenuEventsAndIsATrayIconWithoutAWatcher)
{
    TestWatcher watcher;
    watcher.appear();
    int drawn = 0, clicks = 0, refreshes = 0, quits = 0;
    platform::QtStatusItemButton button(
        [&](const platform::StatusImage*, const QString&, const QColor&, int size) {
            ++drawn;
            QImage picture(size, size, QImage::Format_ARGB32);
            picture.fill(Qt::black);
            return picture;
        },
        {QStringLiteral("battery-monitor"), QStringLiteral("Stato Batteria"), QString()},
        {{"Aggiorna", [&] { ++refreshes; }}, {"Esci", [&] { ++quits; }}});
    button.setAction([&](platform::StatusItemButton*) { ++clicks; });
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
    EXPECT_EQ(watcher.registered, QStringList{itemService});
    // No tray icon while a watcher is there: Qt would export a second item.
    EXPECT_EQ(button.trayIcon(), nullptr);

    const auto update = [&](const std::string& title) {
        const int before = drawn;
        button.setImage({"battery.75", "Stato Batteria", true});
        button.setTitle(title);
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        return drawn - before;
    };
    EXPECT_GT(update(" 72%"), 0);
    EXPECT_EQ(update(" 72%"), 0) << "the same level again";
    EXPECT_GT(update(" 71%"), 0);
    EXPECT_EQ(watcher.property(QStringLiteral("XAyatanaLabel")).toString(), QString()) << "the level is in the icon";
    EXPECT_EQ(watcher.property(QStringLiteral("IconAccessibleDesc")).toString(), QStringLiteral("Stato Batteria 71%"));
    const auto toolTip = qdbus_cast<platform::StatusNotifierToolTip>(watcher.property(QStringLiteral("ToolTip")));
    EXPECT_EQ(std::pair(toolTip.title, toolTip.description), std::pair(QStringLiteral("Stato Batteria"), QStringLiteral("71%")));
    const auto pixmaps = qdbus_cast<platform::StatusNotifierPixmaps>(watcher.property(QStringLiteral("IconPixmap")));
    ASSERT_EQ(pixmaps.size(), 2);
    for (const auto& [size, pixmap] : {std::pair{22, pixmaps[0]}, std::pair{44, pixmaps[1]}}) {
        EXPECT_EQ(std::pair(pixmap.width, pixmap.height), std::pair(size, size));
        // Opaque black in network order is ff 00 00 00: alpha first.
        EXPECT_EQ(pixmap.bytes, QByteArray("\xff\0\0\0", 4).repeated(size * size)) << size;
    }

    // Hosts click the item anchored where they say, and choose from its menu.
    EXPECT_EQ(watcher.call(itemPath, itemInterface, "Activate", {640, 12}).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(clicks, 1);
    const auto anchor = button.rectOnScreen(button.bounds());
    ASSERT_TRUE(anchor);
    EXPECT_EQ(std::tuple(anchor->x, anchor->y, anchor->width, anchor->height), std::tuple(640, 12, 1, 1));
    watcher.call(itemPath, itemInterface, "Activate", {0, 0}); // says nothing of where
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(button.rectOnScreen(button.bounds()));

    EXPECT_EQ(qvariant_cast<QDBusObjectPath>(watcher.property(QStringLiteral("Menu"))).path(), QStringLiteral("/MenuBar"));
    const QString menu = QStringLiteral("com.canonical.dbusmenu");
    const QDBusMessage layoutReply = watcher.call("/MenuBar", menu, "GetLayout", {0, -1, QStringList()});
    ASSERT_EQ(layoutReply.signature(), QStringLiteral("u(ia{sv}av)")) << layoutReply.errorMessage().toStdString();
    QStringList labels;
    for (const auto& entry : qdbus_cast<platform::DBusMenuLayoutItem>(layoutReply.arguments().value(1)).children)
        labels << QString::number(entry.id) + ' ' + entry.properties.value(QStringLiteral("label")).toString();
    EXPECT_EQ(labels, QStringList({"1 Aggiorna", "2 Esci"}));
    // An event's action runs after its answer; the next call's answer comes after that.
    const std::tuple<int, const char*, int, int> events[] = {
        {0, "clicked", 0, 0}, {3, "clicked", 0, 0}, {2, "hovered", 0, 0}, {1, "clicked", 1, 0}, {2, "clicked", 1, 1}};
    for (const auto& [id, event, refreshesAfter, quitsAfter] : events) {
        SCOPED_TRACE(std::to_string(id) + " " + event);
        EXPECT_EQ(watcher.call("/MenuBar", menu, "Event", {id, event, wrapped(0), 0u}).type(), QDBusMessage::ReplyMessage);
        watcher.call("/MenuBar", menu, "AboutToShow", {0});
        EXPECT_EQ(std::pair(refreshes, quits), std::pair(refreshesAfter, quitsAfter));
    }

    watcher.leave();
    ASSERT_TRUE(eventually([&] { return !button.showsStatusNotifierItem(); }));
    ASSERT_NE(button.trayIcon(), nullptr);
    EXPECT_TRUE(button.trayIcon()->isVisible());

    watcher.appear();
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
    EXPECT_EQ(watcher.registered, QStringList({itemService, itemService}));
    EXPECT_FALSE(button.trayIcon()->isVisible());
}

TEST(StatusNotifierItem, AnItemTheWatcherRefusesOrDropsRegistersAgain)
{
    TestWatcher watcher;
    watcher.refusals = 2;
    watcher.appear();
    StatusNotifierItem item(QStringLiteral("battery-monitor"), QStringLiteral("Stato Batteria"));
    ASSERT_TRUE(eventually([&] { return watcher.registered.size() == 1; }));
    watcher.drop(QStringLiteral("org.kde.StatusNotifierItem-1-1"));
    watcher.drop(itemService);
    ASSERT_TRUE(eventually([&] { return watcher.registered.size() == 2; }));
    EXPECT_FALSE(eventually([&] { return watcher.registered.size() > 2; }, 1s)) << "only its own drop counts";
    EXPECT_EQ(watcher.registered.last(), itemService);
}

// A bus of the test's own with nothing to activate, so no desktop service answers; `variable`
// names it. Started before the first use of that bus: Qt keeps its first connection.
struct PrivateBus {
    QTemporaryDir directory;
    QProcess daemon;

    explicit PrivateBus(const char* variable)
    {
        const QString config = directory.filePath(QStringLiteral("bus.conf"));
        if (QFile file(config); file.open(QIODevice::WriteOnly)) // closed, so written, before the daemon reads it
            file.write("<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen><auth>EXTERNAL</auth>"
                       "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                       "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        daemon.start(QStringLiteral("dbus-daemon"), {"--nofork", "--print-address", "--config-file=" + config});
        // Never the desktop's own bus, should the daemon not start.
        qputenv(variable, daemon.waitForReadyRead(5000) ? daemon.readLine().trimmed() : QByteArray("unix:path=/nonexistent"));
    }
    ~PrivateBus()
    {
        daemon.kill();
        daemon.waitForFinished();
    }
};

} // namespace

int main(int argc, char** argv)
{
    const PrivateBus sessionBus("DBUS_SESSION_BUS_ADDRESS"), systemBus("DBUS_SYSTEM_BUS_ADDRESS");
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
