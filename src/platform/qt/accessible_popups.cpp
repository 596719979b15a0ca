#include "platform/qt/accessible_popups.h"

#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QGuiApplication>
#include <QWidget>
#include <QWindow>

namespace platform {
namespace {

class ApplicationInterface final : public QAccessibleApplication {
public:
    int childCount() const override { return int(windows().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const QObjectList all = windows();
        return index >= 0 && index < all.size() ? QAccessible::queryAccessibleInterface(all[index]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        return child ? int(windows().indexOf(child->object())) : -1;
    }

private:
    // Qt's own choice (every window but popups and the desktop), with the popups that show.
    static QObjectList windows()
    {
        QObjectList found;
        for (QWindow* window : QGuiApplication::topLevelWindows()) {
            if (window->type() == Qt::Desktop || (window->type() == Qt::Popup && !window->isVisible()))
                continue;
            if (QAccessibleInterface* root = window->accessibleRoot(); root && root->object())
                found.append(root->object());
        }
        return found;
    }
};

QAccessibleInterface* factory(const QString& key, QObject* object)
{
    if (object && object == qApp)
        return new ApplicationInterface;
    // A plain popup window holds a panel, no menu: it reads as a window with its title.
    if (key == QLatin1String("QWidget") && object && object->isWidgetType()) {
        auto* widget = static_cast<QWidget*>(object);
        if (widget->isWindow() && widget->windowType() == Qt::Popup)
            return new QAccessibleWidget(widget, QAccessible::Window);
    }
    return nullptr;
}

} // namespace

void listPopupsToAssistiveTechnology()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace platform
