#pragma once

#include "platform/status_bar.h"

namespace platform {

enum class RectEdge { MinX = 0, MinY = 1, MaxX = 2, MaxY = 3 };

// A panel shown next to a status item: opened on request, closed on request or by the user.
class Popover {
public:
    virtual ~Popover() = default;
    virtual bool isShown() const = 0;
    // Anchors the popover to `rect` of `view` (in the view's coordinates), on the preferred edge
    // when there is room.
    virtual void show(Rect rect, const StatusItemButton& view, RectEdge preferredEdge) = 0;
    // Closes as the user's dismissal would.
    virtual void performClose(StatusItemButton* sender) = 0;
    // Makes the window showing the content the active one, when there is content and a window.
    virtual void makeContentWindowKey() = 0;
};

} // namespace platform
