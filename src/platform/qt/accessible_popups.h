#pragma once

namespace platform {

// Lists the application's open popups among its windows to assistive technology, where Qt
// leaves them out as menus, and presents plain popups as windows: a panel that opens as a popup
// can then be found and read.
void listPopupsToAssistiveTechnology();

} // namespace platform
