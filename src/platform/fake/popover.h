#pragma once

#include "platform/popover.h"

#include <functional>
#include <string>
#include <vector>

namespace platform {

// Logs every request, one line each; `onShow` runs as it is shown, for what the caller wants to
// know at that moment.
class FakePopover final : public Popover {
public:
    bool isShown() const override { return shown; }
    void show(Rect rect, const StatusItemButton&, RectEdge edge) override
    {
        shown = true;
        log.push_back("show " + std::to_string(int(rect.width)) + "x" + std::to_string(int(rect.height)) + " edge "
                      + std::to_string(int(edge)));
        if (onShow)
            onShow();
    }
    void performClose(StatusItemButton* sender) override
    {
        shown = false;
        log.push_back(sender ? "close from button" : "close");
    }
    void makeContentWindowKey() override { log.push_back("make key"); }

    bool shown = false;
    std::vector<std::string> log;
    std::function<void()> onShow;
};

} // namespace platform
