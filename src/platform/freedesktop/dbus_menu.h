#pragma once

#include <QDBusArgument>
#include <QDBusVariant>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <functional>
#include <vector>

namespace platform {

// One entry of a menu and what choosing it does.
struct MenuEntry {
    QString label;
    std::function<void()> action;
};

// The com.canonical.dbusmenu layout: an item, its properties and its children, each child
// wrapped in a variant as the protocol has it.
struct DBusMenuLayoutItem {
    int id = 0;
    QVariantMap properties;
    QList<DBusMenuLayoutItem> children;
};
struct DBusMenuItemProperties {
    int id = 0;
    QVariantMap properties;
};
using DBusMenuItemPropertiesList = QList<DBusMenuItemProperties>;

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item);
QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item);
const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item);

} // namespace platform

Q_DECLARE_METATYPE(platform::DBusMenuLayoutItem)
Q_DECLARE_METATYPE(platform::DBusMenuItemProperties)

namespace platform {

// A flat menu exported over com.canonical.dbusmenu, the protocol StatusNotifierItem hosts
// (Plasma, GNOME's AppIndicator extension, XFCE) show an item's menu with. Item ids are the
// entries' places, from 1; 0 is the root. The D-Bus names are the protocol's.
class DBusMenu final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.canonical.dbusmenu")
    Q_PROPERTY(uint Version READ version CONSTANT)
    Q_PROPERTY(QString TextDirection READ textDirection CONSTANT)
    Q_PROPERTY(QString Status READ status CONSTANT)
    Q_PROPERTY(QStringList IconThemePath READ iconThemePath CONSTANT)

public:
    explicit DBusMenu(std::vector<MenuEntry> entries, QObject* parent = nullptr);

    // Hides the entries from hosts, or shows them again; hosts hear of it.
    void setEntriesShown(bool shown);

    uint version() const { return 3; }
    QString textDirection() const { return QStringLiteral("ltr"); }
    QString status() const { return QStringLiteral("normal"); }
    QStringList iconThemePath() const { return {}; }

public slots:
    Q_SCRIPTABLE uint GetLayout(int parentId, int recursionDepth, const QStringList& propertyNames,
                                platform::DBusMenuLayoutItem& layout);
    Q_SCRIPTABLE platform::DBusMenuItemPropertiesList GetGroupProperties(const QList<int>& ids,
                                                                         const QStringList& propertyNames);
    Q_SCRIPTABLE QDBusVariant GetProperty(int id, const QString& name);
    Q_SCRIPTABLE void Event(int id, const QString& eventId, const QDBusVariant& data, uint timestamp);
    Q_SCRIPTABLE bool AboutToShow(int id);

signals:
    Q_SCRIPTABLE void LayoutUpdated(uint revision, int parent);

private:
    QVariantMap propertiesOf(int id) const;

    std::vector<MenuEntry> entries_;
    bool entriesShown_ = true;
    uint revision_ = 1;
};

} // namespace platform
