#include "platform/freedesktop/dbus_menu.h"

#include <QDBusMetaType>
#include <QMetaObject>

namespace platform {

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuLayoutItem& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.beginArray(qMetaTypeId<QDBusVariant>());
    for (const auto& child : item.children)
        argument << QDBusVariant(QVariant::fromValue(child));
    argument.endArray();
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuLayoutItem& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.beginArray();
    item.children.clear();
    while (!argument.atEnd()) {
        QDBusVariant child;
        argument >> child;
        item.children.append(qdbus_cast<DBusMenuLayoutItem>(child.variant()));
    }
    argument.endArray();
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const DBusMenuItemProperties& item)
{
    argument.beginStructure();
    argument << item.id << item.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, DBusMenuItemProperties& item)
{
    argument.beginStructure();
    argument >> item.id >> item.properties;
    argument.endStructure();
    return argument;
}

DBusMenu::DBusMenu(std::vector<MenuEntry> entries, QObject* parent) : QObject(parent), entries_(std::move(entries))
{
    qDBusRegisterMetaType<DBusMenuLayoutItem>();
    qDBusRegisterMetaType<DBusMenuItemProperties>();
    qDBusRegisterMetaType<DBusMenuItemPropertiesList>();
}

QVariantMap DBusMenu::propertiesOf(int id) const
{
    if (id == 0)
        return {{QStringLiteral("children-display"), QStringLiteral("submenu")}};
    if (id < 0 || id > int(entries_.size()))
        return {};
    return {{QStringLiteral("label"), entries_[id - 1].label}, {QStringLiteral("enabled"), true},
            {QStringLiteral("visible"), true}};
}

uint DBusMenu::GetLayout(int parentId, int recursionDepth, const QStringList&, DBusMenuLayoutItem& layout)
{
    layout = {parentId, propertiesOf(parentId), {}};
    if (parentId == 0 && recursionDepth != 0 && entriesShown_) {
        for (int id = 1; id <= int(entries_.size()); ++id)
            layout.children.append({id, propertiesOf(id), {}});
    }
    return revision_;
}

void DBusMenu::setEntriesShown(bool shown)
{
    if (shown == entriesShown_)
        return;
    entriesShown_ = shown;
    emit LayoutUpdated(++revision_, 0);
}

DBusMenuItemPropertiesList DBusMenu::GetGroupProperties(const QList<int>& ids, const QStringList&)
{
    DBusMenuItemPropertiesList found;
    for (const int id : ids) {
        if (id >= 0 && id <= int(entries_.size()))
            found.append({id, propertiesOf(id)});
    }
    return found;
}

QDBusVariant DBusMenu::GetProperty(int id, const QString& name)
{
    return QDBusVariant(propertiesOf(id).value(name));
}

void DBusMenu::Event(int id, const QString& eventId, const QDBusVariant&, uint)
{
    if (eventId != QLatin1String("clicked") || id < 1 || id > int(entries_.size()))
        return;
    // After the call has returned: the action may quit the program.
    QMetaObject::invokeMethod(this, entries_[id - 1].action, Qt::QueuedConnection);
}

bool DBusMenu::AboutToShow(int)
{
    return false; // nothing to bring up to date
}

} // namespace platform
