// The UPower backend against python-dbusmock's UPower on a system bus of the test's own.
#include "platform/fake/power_sources.h"
#include "platform/freedesktop/upower_power_sources.h"

#include "private_session_bus.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace std::chrono_literals;
using platform::PowerSourceValue;

const QString upower = QStringLiteral("org.freedesktop.UPower");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString devices = QStringLiteral("/org/freedesktop/UPower/devices/");

QDBusConnection bus()
{
    return QDBusConnection::systemBus();
}

// Runs the event loop until `done` holds or `patience` has passed; whether it held.
template <class Condition>
bool eventually(Condition done, std::chrono::milliseconds patience = 3s)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > patience.count())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

QDBusMessage mock(const QString& path, const QString& method, const QVariantList& arguments)
{
    auto message = QDBusMessage::createMethodCall(upower, path, mockInterface, method);
    message.setArguments(arguments);
    return bus().call(message);
}

QVariant variant(const QVariant& value)
{
    return QVariant::fromValue(QDBusVariant(value));
}

// dbusmock's UPower template: the daemon with a display device, started and stopped at will.
// Debian's own Python carries the package, whichever python3 comes first in PATH.
class MockDaemon {
public:
    MockDaemon() { start(); }
    ~MockDaemon() { stop(); }

    void start()
    {
        process_.start(QStringLiteral("/usr/bin/python3"),
                       {"-m", "dbusmock", "--system", "--template", "upower"});
        ASSERT_TRUE(eventually([] { return bus().interface()->isServiceRegistered(upower).value(); }, 10s));
    }
    void stop()
    {
        process_.kill();
        process_.waitForFinished();
    }

    void laptopAt(double percentage, uint state, bool onBattery)
    {
        mock("/org/freedesktop/UPower", "SetupDisplayDevice",
             {2u, state, percentage, 40.0, 50.0, 10.0, qint64(onBattery ? 3600 : 0), qint64(onBattery ? 0 : 1800),
              true, "battery-good", 1u});
        set("/org/freedesktop/UPower", "org.freedesktop.UPower", "OnBattery", onBattery);
    }
    void set(const QString& path, const QString& interface, const QString& name, const QVariant& value)
    {
        auto message = QDBusMessage::createMethodCall(upower, path, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Set"));
        message.setArguments({interface, name, variant(value)});
        bus().call(message);
    }
    void addMouse(double percentage)
    {
        const QVariantMap properties{{"Type", 5u}, {"Model", "Mouse"}, {"Percentage", percentage}, {"State", 2u},
                                     {"IsPresent", true}, {"PowerSupply", false}};
        mock("/org/freedesktop/UPower", "AddObject",
             {devices + "mouse", "org.freedesktop.UPower.Device", properties, QVariant::fromValue(QList<QVariant>())});
        mock("/org/freedesktop/UPower", "EmitSignal",
             {"org.freedesktop.UPower", "DeviceAdded", "o",
              QVariantList{QVariant::fromValue(QDBusObjectPath(devices + "mouse"))}});
    }

private:
    QProcess process_;
};

std::optional<PowerSourceValue> field(platform::PowerSources& sources, std::size_t index, const char* key)
{
    const auto snapshot = sources.snapshot();
    if (!snapshot || snapshot->size() <= index || !snapshot->at(index).contains(key))
        return std::nullopt;
    return snapshot->at(index).find(key)->second;
}

class UPowerPowerSourcesTest : public testing::Test {
protected:
    void SetUp() override
    {
        daemon_.laptopAt(60, 2, true);
        sources_ = std::make_unique<platform::UPowerPowerSources>(bus(), fallback_);
        sources_->onChange([this] { ++changes_; });
        ASSERT_TRUE(sources_->waitForReading(2s));
        changes_ = 0;
    }

    MockDaemon daemon_;
    std::shared_ptr<platform::FakePowerSources> fallback_ = std::make_shared<platform::FakePowerSources>(
        platform::PowerSourceSnapshot{platform::internalBattery(11, false)});
    std::unique_ptr<platform::UPowerPowerSources> sources_;
    int changes_ = 0;
};

TEST_F(UPowerPowerSourcesTest, ABurstOfChangesIsToldOnceWithinASecond)
{
    EXPECT_EQ(field(*sources_, 0, "Current Capacity"), PowerSourceValue(std::int64_t(60)));
    QElapsedTimer clock;
    clock.start();
    daemon_.laptopAt(61, 1, false); // a plug: a dozen properties change
    ASSERT_TRUE(eventually([&] { return changes_ > 0; }, 1s)) << "not told within a second";
    eventually([] { return false; }, 300ms);
    EXPECT_LE(changes_, 2) << "each signal told on its own";
    EXPECT_EQ(field(*sources_, 0, "Current Capacity"), PowerSourceValue(std::int64_t(61)));
    EXPECT_EQ(field(*sources_, 0, "Is Charging"), PowerSourceValue(true));
    EXPECT_EQ(field(*sources_, 0, "Power Source State"), PowerSourceValue(std::string("AC Power")));
}

TEST_F(UPowerPowerSourcesTest, APeripheralComesAndGoesBesideTheInternalBattery)
{
    daemon_.addMouse(35);
    ASSERT_TRUE(eventually([&] { return field(*sources_, 1, "Kind").has_value(); }, 1s));
    EXPECT_EQ(field(*sources_, 1, "Type"), PowerSourceValue(std::string("DeviceBattery")));
    EXPECT_EQ(field(*sources_, 1, "Current Capacity"), PowerSourceValue(std::int64_t(35)));
    mock("/org/freedesktop/UPower", "RemoveDevice", {QVariant::fromValue(QDBusObjectPath(devices + "mouse"))});
    EXPECT_TRUE(eventually([&] { return sources_->snapshot()->size() == 1; }, 1s));
}

TEST_F(UPowerPowerSourcesTest, TheFallbackAnswersWhileTheDaemonIsGone)
{
    EXPECT_EQ(sources_->name(), "upower");
    daemon_.stop();
    ASSERT_TRUE(eventually([&] { return changes_ == 1; }, 1s));
    EXPECT_EQ(sources_->name(), "");
    EXPECT_EQ(field(*sources_, 0, "Current Capacity"), PowerSourceValue(std::int64_t(11)));

    daemon_.start();
    daemon_.laptopAt(80, 2, true);
    ASSERT_TRUE(eventually([&] { return field(*sources_, 0, "Current Capacity") == PowerSourceValue(std::int64_t(80)); }, 2s));
    EXPECT_EQ(sources_->name(), "upower");
    // Subscribed once: a change after the return is told once, not once per subscription.
    changes_ = 0;
    daemon_.set(devices + "DisplayDevice", "org.freedesktop.UPower.Device", "Percentage", 81.0);
    ASSERT_TRUE(eventually([&] { return changes_ > 0; }, 1s));
    eventually([] { return false; }, 300ms);
    EXPECT_EQ(changes_, 1);
}

} // namespace

int main(int argc, char** argv)
{
    // Before the first use of the system bus, which Qt keeps.
    const auto systemBus = std::make_unique<PrivateSessionBus>("DBUS_SYSTEM_BUS_ADDRESS");
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
