#include "platform/qt/qt_status_bar.h"
#include "platform/freedesktop/status_notifier_item.h"

#include "private_session_bus.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

using platform::StatusNotifierItem;

const QString watcherService = QString::fromLatin1(StatusNotifierItem::watcherService);
const QString itemPath = QString::fromLatin1(StatusNotifierItem::objectPath);
const QString itemInterface = QStringLiteral("org.kde.StatusNotifierItem");

QImage filled(int size, QColor colour)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

QImage blankPicture(const platform::StatusImage*, const QString&, const QColor&, int size)
{
    return filled(size, Qt::transparent);
}

QString itemService()
{
    return QStringLiteral("org.kde.StatusNotifierItem-%1-1").arg(QCoreApplication::applicationPid());
}

bool eventually(const std::function<bool()>& condition, int timeoutMs = 5000)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

// A host's watcher that takes every item and remembers who registered.
class TestWatcher : public QDBusVirtualObject {
public:
    TestWatcher()
        : connection_(QDBusConnection::connectToBus(qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS"),
                                                    QStringLiteral("test-watcher")))
    {
        connection_.registerVirtualObject(QStringLiteral("/StatusNotifierWatcher"), this);
    }
    ~TestWatcher() override { QDBusConnection::disconnectFromBus(QStringLiteral("test-watcher")); }

    void appear() { connection_.registerService(watcherService); }
    // As GNOME Shell's extension says that it dropped an item.
    void drop(const QString& service)
    {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/StatusNotifierWatcher"), watcherService,
                                                         QStringLiteral("StatusNotifierItemUnregistered"));
        connection_.send(signal << service);
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
            return true;
        }
        registered.append(message.arguments().value(0).toString());
        connection.send(message.createReply());
        return true;
    }

    // A call to the item from this other connection, answered while the test's loop runs.
    QDBusMessage call(const QDBusMessage& message)
    {
        QDBusPendingCallWatcher pending(connection_.asyncCall(message));
        eventually([&] { return pending.isFinished(); });
        return pending.reply();
    }

    QVariant property(const QString& name)
    {
        QDBusMessage get = QDBusMessage::createMethodCall(itemService(), itemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                          QStringLiteral("Get"));
        get << itemInterface << name;
        return call(get).arguments().value(0).value<QDBusVariant>().variant();
    }

    QStringList registered;
    int refusals = 0; // registrations failed before the next is taken

private:
    QDBusConnection connection_;
};

class OnPrivateBus : public testing::Test {
protected:
    void SetUp() override
    {
        if (!QDBusConnection::sessionBus().isConnected())
            GTEST_SKIP() << "no dbus-daemon to run a private bus";
    }

    TestWatcher watcher;
};

TEST_F(OnPrivateBus, HostsReadTheItemOverTheBus)
{
    StatusNotifierItem item(QStringLiteral("battery-monitor"), QStringLiteral("Stato Batteria"));
    item.setContent(filled(22, Qt::black), filled(44, Qt::black), QStringLiteral(" 72%"));

    EXPECT_EQ(watcher.property(QStringLiteral("Category")).toString(), QStringLiteral("Hardware"));
    EXPECT_EQ(watcher.property(QStringLiteral("Status")).toString(), QStringLiteral("Active"));
    EXPECT_EQ(watcher.property(QStringLiteral("XAyatanaLabel")).toString(), QString()) << "the level is in the icon";
    EXPECT_EQ(watcher.property(QStringLiteral("IconAccessibleDesc")).toString(), QStringLiteral("Stato Batteria 72%"));
    const auto toolTip = qdbus_cast<platform::StatusNotifierToolTip>(watcher.property(QStringLiteral("ToolTip")));
    EXPECT_EQ(toolTip.title, QStringLiteral("Stato Batteria"));
    EXPECT_EQ(toolTip.description, QStringLiteral("72%"));

    const auto pixmaps = qdbus_cast<platform::StatusNotifierPixmaps>(watcher.property(QStringLiteral("IconPixmap")));
    ASSERT_EQ(pixmaps.size(), 2);
    for (const auto& [size, pixmap] : {std::pair{22, pixmaps[0]}, std::pair{44, pixmaps[1]}}) {
        EXPECT_EQ(pixmap.width, size);
        EXPECT_EQ(pixmap.height, size);
        ASSERT_EQ(pixmap.bytes.size(), size * size * 4);
        // Opaque black in network order is ff 00 00 00: alpha first.
        bool opaqueBlack = false;
        for (qsizetype i = 0; i < pixmap.bytes.size() && !opaqueBlack; i += 4)
            opaqueBlack = pixmap.bytes.mid(i, 4) == QByteArray("\xff\0\0\0", 4);
        EXPECT_TRUE(opaqueBlack) << size;
    }
}

TEST_F(OnPrivateBus, ButtonRegistersWithEveryWatcherAndIsTheTrayIconWhileThereIsNone)
{
    watcher.appear();
    platform::QtStatusItemButton button(blankPicture, {});
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
    EXPECT_EQ(watcher.registered, QStringList{itemService()});
    // No tray icon while a watcher is there: Qt would export a second item.
    EXPECT_EQ(button.trayIcon(), nullptr);

    watcher.leave();
    ASSERT_TRUE(eventually([&] { return !button.showsStatusNotifierItem(); }));
    ASSERT_NE(button.trayIcon(), nullptr);
    EXPECT_TRUE(button.trayIcon()->isVisible());

    watcher.appear();
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
    EXPECT_EQ(watcher.registered, QStringList({itemService(), itemService()}));
    EXPECT_FALSE(button.trayIcon()->isVisible());
}

TEST_F(OnPrivateBus, AnUpdateThatChangesNothingDrawsNothing)
{
    watcher.appear();
    int drawn = 0;
    platform::QtStatusItemButton button(
        [&](const platform::StatusImage* image, const QString& title, const QColor& ink, int size) {
            ++drawn;
            return blankPicture(image, title, ink, size);
        },
        {});
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
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
    const auto toolTip = qdbus_cast<platform::StatusNotifierToolTip>(watcher.property(QStringLiteral("ToolTip")));
    EXPECT_TRUE(toolTip.description.contains(QStringLiteral("71%"))) << toolTip.description.toStdString();
}

TEST_F(OnPrivateBus, AnItemTheWatcherRefusesOrDropsRegistersAgain)
{
    watcher.refusals = 2;
    watcher.appear();
    StatusNotifierItem item(QStringLiteral("battery-monitor"), QStringLiteral("Stato Batteria"));
    ASSERT_TRUE(eventually([&] { return watcher.registered.size() == 1; }));
    watcher.drop(QStringLiteral("org.kde.StatusNotifierItem-1-1"));
    watcher.drop(itemService());
    ASSERT_TRUE(eventually([&] { return watcher.registered.size() == 2; }));
    EXPECT_FALSE(eventually([&] { return watcher.registered.size() > 2; }, 1000)) << "only its own drop counts";
    EXPECT_EQ(watcher.registered.last(), itemService());
}

TEST_F(OnPrivateBus, ActivateRunsTheActionAnchoredWhereTheHostSays)
{
    watcher.appear();
    platform::QtStatusItemButton button(blankPicture, {});
    int clicks = 0;
    button.setAction([&](platform::StatusItemButton*) { ++clicks; });
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
    const QString service = itemService();

    QDBusMessage activate = QDBusMessage::createMethodCall(service, itemPath, itemInterface, QStringLiteral("Activate"));
    activate << 640 << 12;
    EXPECT_EQ(watcher.call(activate).type(), QDBusMessage::ReplyMessage);
    EXPECT_EQ(clicks, 1);
    const auto anchor = button.rectOnScreen(button.bounds());
    ASSERT_TRUE(anchor);
    EXPECT_EQ(std::tuple(anchor->x, anchor->y, anchor->width, anchor->height), std::tuple(640, 12, 1, 1));

    // The way a host calls it, from another program; (0, 0) says nothing of where.
    const QString gdbus = QStandardPaths::findExecutable(QStringLiteral("gdbus"));
    if (gdbus.isEmpty())
        GTEST_SKIP() << "no gdbus";
    QProcess process;
    process.start(gdbus, {QStringLiteral("call"), QStringLiteral("--session"), QStringLiteral("--dest"), service,
                          QStringLiteral("--object-path"), itemPath, QStringLiteral("--method"),
                          itemInterface + QStringLiteral(".Activate"), QStringLiteral("0"), QStringLiteral("0")});
    ASSERT_TRUE(eventually([&] { return process.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(button.rectOnScreen(button.bounds()));
}

TEST_F(OnPrivateBus, TheMenuHostsShowRunsTheChosenEntry)
{
    watcher.appear();
    int refreshes = 0, quits = 0;
    platform::QtStatusItemButton button(blankPicture, {},
                                        {{QStringLiteral("Aggiorna"), [&] { ++refreshes; }},
                                         {QStringLiteral("Esci"), [&] { ++quits; }}});
    ASSERT_TRUE(eventually([&] { return button.showsStatusNotifierItem(); }));
    EXPECT_EQ(qvariant_cast<QDBusObjectPath>(watcher.property(QStringLiteral("Menu"))).path(), QStringLiteral("/MenuBar"));

    const auto menuCall = [](const char* method) {
        return QDBusMessage::createMethodCall(itemService(), QStringLiteral("/MenuBar"), QStringLiteral("com.canonical.dbusmenu"),
                                              QLatin1String(method));
    };
    QDBusMessage getLayout = menuCall("GetLayout");
    getLayout << 0 << -1 << QStringList();
    const QDBusMessage layoutReply = watcher.call(getLayout);
    ASSERT_EQ(layoutReply.type(), QDBusMessage::ReplyMessage) << layoutReply.errorMessage().toStdString();
    EXPECT_EQ(layoutReply.signature(), QStringLiteral("u(ia{sv}av)"));
    const auto layout = qdbus_cast<platform::DBusMenuLayoutItem>(layoutReply.arguments().value(1));
    ASSERT_EQ(layout.children.size(), 2);
    EXPECT_EQ(layout.children[0].properties.value(QStringLiteral("label")).toString(), QStringLiteral("Aggiorna"));
    EXPECT_EQ(layout.children[1].properties.value(QStringLiteral("label")).toString(), QStringLiteral("Esci"));

    QDBusMessage click = menuCall("Event");
    click << layout.children[0].id << QStringLiteral("clicked") << QVariant::fromValue(QDBusVariant(0)) << 0u;
    EXPECT_EQ(watcher.call(click).type(), QDBusMessage::ReplyMessage);
    QDBusMessage hover = menuCall("Event");
    hover << layout.children[1].id << QStringLiteral("hovered") << QVariant::fromValue(QDBusVariant(0)) << 0u;
    watcher.call(hover);
    EXPECT_TRUE(eventually([&] { return refreshes == 1; }));
    EXPECT_EQ(quits, 0) << "only a click chooses";
}

} // namespace

int main(int argc, char** argv)
{
    // The bus first: Qt keeps its first session bus connection.
    const auto bus = std::make_unique<PrivateSessionBus>();
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
