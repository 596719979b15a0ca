#include "ui/accessible_host.h"

#include "ui/accessibility.h"
#include "ui/hosting_widget.h"

#include <QAccessibleWidget>
#include <QPointer>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <unordered_map>

namespace ui {
namespace {

void announce(QAccessibleInterface* element, QAccessible::Event change)
{
    QAccessibleEvent event(element, change);
    QAccessible::updateAccessibility(&event);
}

// One view as assistive technology sees it: it reads the element it was last given.
class ElementInterface final : public QAccessibleInterface,
                               public QAccessibleActionInterface,
                               public QAccessibleValueInterface {
public:
    ElementInterface(HostingWidget* widget, AccessibleElement element) : element(std::move(element)), widget_(widget) {}

    AccessibleElement element;

    bool isValid() const override { return widget_; }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return widget_ ? widget_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(widget_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}

    QString text(QAccessible::Text t) const override
    {
        switch (t) {
        case QAccessible::Name: return QString::fromStdString(element.traits.name);
        case QAccessible::Description: return QString::fromStdString(element.traits.description);
        case QAccessible::Value: return element.traits.value ? QStringLiteral("%1%").arg(*element.traits.value) : QString();
        default: return {};
        }
    }

    QRect rect() const override
    {
        return widget_ ? element.frame.translated(widget_->mapToGlobal(QPointF(0, 0))).toAlignedRect() : QRect();
    }

    QAccessible::Role role() const override
    {
        switch (element.traits.role) {
        case AccessibleRole::Button: return QAccessible::PushButton;
        case AccessibleRole::ProgressBar: return QAccessible::ProgressBar;
        default: return QAccessible::StaticText;
        }
    }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        state.invisible = !widget_ || !widget_->isVisible();
        state.focusable = isButton();
        state.focused = isButton() && widget_ && widget_->focusedButton() == element.path;
        state.readOnly = !isButton();
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::ActionInterface && isButton())
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::ValueInterface && element.traits.value)
            return static_cast<QAccessibleValueInterface*>(this);
        return nullptr;
    }

    QStringList actionNames() const override { return isButton() ? QStringList{pressAction()} : QStringList(); }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }
    void doAction(const QString& name) override
    {
        // Run from the event loop: the reader's call returns before the action quits or refreshes.
        if (name == pressAction() && element.action && widget_)
            QTimer::singleShot(0, widget_.data(), element.action);
    }

    QVariant currentValue() const override { return element.traits.value.value_or(0); }
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override { return 100.0; }
    QVariant minimumValue() const override { return 0.0; }
    QVariant minimumStepSize() const override { return 1.0; }

private:
    bool isButton() const { return element.traits.role == AccessibleRole::Button; }

    QPointer<HostingWidget> widget_;
};

// The hosting widget itself: its children are the elements of its views.
class HostingInterface final : public QAccessibleWidget {
public:
    explicit HostingInterface(HostingWidget* widget) : QAccessibleWidget(widget, QAccessible::Client) {}

    int childCount() const override { return int(ids().size()); }
    QAccessibleInterface* child(int index) const override
    {
        const auto& all = ids();
        return index >= 0 && index < int(all.size()) ? QAccessible::accessibleInterface(all[std::size_t(index)]) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto& all = ids();
        const auto found = std::ranges::find(all, QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child)));
        return found == all.end() ? -1 : int(found - all.begin());
    }
    QAccessibleInterface* childAt(int x, int y) const override
    {
        for (const QAccessible::Id id : ids())
            if (QAccessibleInterface* element = QAccessible::accessibleInterface(id); element->rect().contains(x, y))
                return element;
        return nullptr;
    }
    QAccessibleInterface* focusChild() const override
    {
        const auto button = hosting()->focusedButton();
        for (const QAccessible::Id id : ids())
            if (auto* element = elementOf(id); button && element->element.path == *button)
                return element;
        return nullptr;
    }

    // Matches the elements of the new layout to those before by the place of their views: an
    // element that stays keeps its identity, so a reader on it hears what changed.
    void update()
    {
        built_ = true;
        std::unordered_map<ViewPath, QAccessible::Id, KeyHash> before;
        for (const QAccessible::Id id : ids_)
            before.emplace(elementOf(id)->element.path, id);

        std::vector<QAccessible::Id> next;
        std::vector<QAccessibleInterface*> created;
        for (AccessibleElement& fresh : accessibleElements(hosting()->laidOut())) {
            const auto kept = before.find(fresh.path);
            if (kept == before.end()) {
                auto* element = new ElementInterface(hosting(), std::move(fresh));
                next.push_back(QAccessible::registerAccessibleInterface(element));
                created.push_back(element);
                continue;
            }
            ElementInterface* element = elementOf(kept->second);
            const AccessibleTraits old = std::exchange(element->element, std::move(fresh)).traits;
            next.push_back(kept->second);
            before.erase(kept);
            const AccessibleTraits& now = element->element.traits;
            if (now.name != old.name)
                announce(element, QAccessible::NameChanged);
            if (now.description != old.description)
                announce(element, QAccessible::DescriptionChanged);
            if (now.value != old.value && now.value) {
                QAccessibleValueChangeEvent event(element, *now.value);
                QAccessible::updateAccessibility(&event);
            }
        }
        for (const auto& [path, id] : before) {
            announce(QAccessible::accessibleInterface(id), QAccessible::ObjectDestroyed);
            QAccessible::deleteAccessibleInterface(id);
        }
        ids_ = std::move(next);
        for (QAccessibleInterface* element : created)
            announce(element, QAccessible::ObjectCreated);
    }

private:
    HostingWidget* hosting() const { return static_cast<HostingWidget*>(widget()); }
    static ElementInterface* elementOf(QAccessible::Id id)
    {
        return static_cast<ElementInterface*>(QAccessible::accessibleInterface(id));
    }

    // Built on the first question, from the render before it.
    const std::vector<QAccessible::Id>& ids() const
    {
        if (!built_)
            const_cast<HostingInterface*>(this)->update();
        return ids_;
    }

    // The elements are the cache's once registered; a widget that goes leaves them invalid.
    std::vector<QAccessible::Id> ids_;
    bool built_ = false;
};

QAccessibleInterface* hostingFactory(const QString& key, QObject* object)
{
    if (key == QLatin1String(HostingWidget::staticMetaObject.className()))
        return new HostingInterface(static_cast<HostingWidget*>(object));
    return nullptr;
}

HostingInterface* hostingInterface(HostingWidget* widget)
{
    return static_cast<HostingInterface*>(QAccessible::queryAccessibleInterface(widget));
}

} // namespace

void installAccessibleHosting()
{
    [[maybe_unused]] static const bool installed = (QAccessible::installFactory(hostingFactory), true);
}

void accessibleTreeChanged(HostingWidget* widget)
{
    hostingInterface(widget)->update();
}

void accessibleFocusChanged(HostingWidget* widget)
{
    if (QAccessibleInterface* element = hostingInterface(widget)->focusChild())
        announce(element, QAccessible::Focus);
}

} // namespace ui
