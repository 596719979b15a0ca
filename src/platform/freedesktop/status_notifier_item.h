#pragma once


#include <QByteArray>
#include <QColor>
#include "platform/freedesktop/dbus_menu.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusObjectPath>
#include <QImage>
#include <QList>
#include <QObject>
#include <QPoint>
#include <QString>

#include <optional>

namespace platform {

// One picture of an icon as the StatusNotifierItem protocol carries it: ARGB32 pixels in
// network byte order.
struct StatusNotifierPixmap {
    int width = 0;
    int height = 0;
    QByteArray bytes;

    bool operator==(const StatusNotifierPixmap&) const = default;
};
using StatusNotifierPixmaps = QList<StatusNotifierPixmap>;

struct StatusNotifierToolTip {
    QString iconName;
    StatusNotifierPixmaps iconPixmap;
    QString title;
    QString description;
};

QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierPixmap& pixmap);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierPixmap& pixmap);
QDBusArgument& operator<<(QDBusArgument& argument, const StatusNotifierToolTip& toolTip);
const QDBusArgument& operator>>(const QDBusArgument& argument, StatusNotifierToolTip& toolTip);

} // namespace platform

Q_DECLARE_METATYPE(platform::StatusNotifierPixmap)
Q_DECLARE_METATYPE(platform::StatusNotifierToolTip)

namespace platform {

// The tray item for StatusNotifierItem hosts (Plasma, GNOME's AppIndicator extension, XFCE,
// waybar): exported on the session bus and registered with the host's watcher whenever one is
// on the bus, also one that appears later. Every bus call is asynchronous, so a missing bus or
// watcher never holds up the program. The D-Bus names of the exported members are the
// protocol's, hence their capitals.
class StatusNotifierItem final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
    Q_PROPERTY(QString Category READ category CONSTANT)
    Q_PROPERTY(QString Id READ id CONSTANT)
    Q_PROPERTY(QString Title READ title CONSTANT)
    Q_PROPERTY(QString Status READ status CONSTANT)
    Q_PROPERTY(QString IconName READ iconName CONSTANT)
    Q_PROPERTY(platform::StatusNotifierPixmaps IconPixmap READ iconPixmap)
    Q_PROPERTY(platform::StatusNotifierToolTip ToolTip READ toolTip)
    // What screen readers say of the item in GNOME Shell, where the extension asks for it.
    Q_PROPERTY(QString IconAccessibleDesc READ accessibleDescription)
    Q_PROPERTY(bool ItemIsMenu READ itemIsMenu CONSTANT)
    Q_PROPERTY(QDBusObjectPath Menu READ menu CONSTANT)
    // Most hosts draw no label, so the level is in the icon; GNOME Shell's AppIndicator extension
    // draws one beside it, and there the level goes into the label instead, shown once.
    Q_PROPERTY(QString XAyatanaLabel READ label)
    Q_PROPERTY(QString XAyatanaLabelGuide READ labelGuide)

public:
    static constexpr auto objectPath = "/StatusNotifierItem";
    static constexpr auto menuPath = "/MenuBar";
    static constexpr auto watcherService = "org.kde.StatusNotifierWatcher";

    // `id` names the application to hosts; `title` heads the item's tooltip.
    StatusNotifierItem(QString id, QString title);
    ~StatusNotifierItem() override;

    // "org.kde.StatusNotifierItem-<pid>-1", or empty without a session bus.
    QString serviceName() const { return serviceName_; }

    // The startup-notification id of the host's last click, for the window it opens; or empty.
    QString activationToken() const { return activationToken_; }

    // Whether the host that took the item draws its label: GNOME Shell's AppIndicator extension.
    bool hostDrawsLabel() const { return hostIsGnomeShell_; }

    // The menu hosts show on a right click; exported once, before the item registers.
    void setMenu(std::vector<MenuEntry> entries);

    // The item's picture at 22 and 44 pixels, the level (" 72%") for its tooltip, and more lines
    // for the tooltip.
    void setContent(const QImage& small, const QImage& large, const QString& level, const QString& details = {});

    QString category() const { return QStringLiteral("Hardware"); }
    QString id() const { return id_; }
    QString title() const { return title_; }
    QString status() const { return QStringLiteral("Active"); }
    QString iconName() const { return {}; }
    StatusNotifierPixmaps iconPixmap() const { return pixmaps_; }
    StatusNotifierToolTip toolTip() const
    {
        return {{}, {}, title(), details_.isEmpty() ? label_.trimmed() : label_.trimmed() + u'\n' + details_};
    }
    QString accessibleDescription() const { return (title() + u' ' + label_.trimmed()).trimmed(); }
    bool itemIsMenu() const { return false; }
    QDBusObjectPath menu() const { return QDBusObjectPath(menu_ ? menuPath : "/NO_DBUSMENU"); }
    QString label() const { return hostIsGnomeShell_ ? label_ : QString(); }
    QString labelGuide() const { return hostIsGnomeShell_ ? QStringLiteral(" 100%") : QString(); }

public slots:
    Q_SCRIPTABLE void Activate(int x, int y);
    Q_SCRIPTABLE void SecondaryActivate(int x, int y);
    Q_SCRIPTABLE void ContextMenu(int x, int y);
    Q_SCRIPTABLE void Scroll(int delta, const QString& orientation);
    // GNOME Shell's extension hands one over just before each Activate.
    Q_SCRIPTABLE void ProvideXdgActivationToken(const QString& token) { activationToken_ = token; }

signals:
    Q_SCRIPTABLE void NewIcon();
    Q_SCRIPTABLE void NewToolTip();
    // Title and status never change; the signals are there for hosts that connect to them.
    Q_SCRIPTABLE void NewTitle();
    Q_SCRIPTABLE void NewStatus(const QString& status);
    Q_SCRIPTABLE void XAyatanaNewLabel(const QString& label, const QString& guide);

    // A host clicked the item at (x, y) on the screen, (0, 0) when it does not say where.
    void activated(QPoint position);
    // A host that shows no exported menu asks for ours at (x, y).
    void contextMenuRequested(QPoint position);
    // A watcher accepted the item, or the watcher went away or refused it. Sent with every
    // answer, also an unchanged one: the first is news to whoever waits to learn whether there
    // is a host.
    void registeredChanged(bool registered);

private slots:
    void itemUnregistered(const QString& service);

private:
    void registerWithWatcher();
    void setHostIsGnomeShell(bool gnomeShell);
    QString callerName() const;

    QString id_;
    QString title_;
    QDBusConnection bus_;
    QString serviceName_;
    // Registrations tried again in a row after the watcher failed them.
    int registrationRetries_ = 0;
    StatusNotifierPixmaps pixmaps_;
    QString label_;
    QString details_;
    DBusMenu* menu_ = nullptr;
    bool hostIsGnomeShell_ = false;
    QString activationToken_;
};

} // namespace platform
