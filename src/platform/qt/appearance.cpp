#include "platform/qt/appearance.h"

#include "platform/freedesktop/portal_color_scheme.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace platform {
namespace {

bool paletteIsDark()
{
    if (!qGuiApp)
        return false;
    return QGuiApplication::palette().color(QPalette::Window).lightnessF() < 0.5;
}

} // namespace

Appearance::Appearance(QObject* parent) : QObject(parent), dark_(paletteIsDark())
{
    // The palette event reaches the application object; a filter there sees it once.
    if (qGuiApp)
        qGuiApp->installEventFilter(this);
    // The portal answers on the event loop, so connecting after it has asked loses nothing.
    portal_ = new PortalColorScheme(this);
    connect(portal_, &PortalColorScheme::changed, this, &Appearance::update);
}

bool Appearance::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == qGuiApp && event->type() == QEvent::ApplicationPaletteChange)
        update();
    return QObject::eventFilter(watched, event);
}

void Appearance::update()
{
    const bool dark = portal_->prefersDark().value_or(paletteIsDark());
    if (dark == dark_)
        return;
    dark_ = dark;
    emit changed(dark_);
}

} // namespace platform
