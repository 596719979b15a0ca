#pragma once

namespace ui {

class HostingWidget;

// Lets Qt present hosting widgets to assistive technology (AT-SPI on Linux): each one with an
// element for every view that has a role, as the last render laid it out. Nothing is built
// until assistive technology asks.
void installAccessibleHosting();

// A full render of `widget` while assistive technology listens: its elements follow the new
// layout and announce changed names, descriptions and values.
void accessibleTreeChanged(HostingWidget* widget);

// The keyboard moved to another button of `widget`.
void accessibleFocusChanged(HostingWidget* widget);

} // namespace ui
