#pragma once

#include "platform/status_bar.h"

#include <string>
#include <vector>

namespace platform {

// Keeps the action and logs every change, one line each.
class FakeStatusItemButton final : public StatusItemButton {
public:
    void setAction(Action newAction) override { action = std::move(newAction); }
    void setTitle(std::string title) override { log.push_back("title" + title); }
    void setImage(StatusImage image) override
    {
        log.push_back("image " + image.symbolName + (image.isTemplate ? " template" : "") + " \""
                      + image.accessibilityDescription + "\"");
    }
    void setImagePosition(ImagePosition position) override
    {
        log.push_back(position == ImagePosition::ImageLeft ? "image left" : "image elsewhere");
    }
    void setToolTip(std::string toolTip) override { log.push_back("tooltip " + toolTip); }
    Rect bounds() const override { return {0, 0, 30, 22}; }
    std::optional<Rect> rectOnScreen(Rect) const override { return std::nullopt; }

    Action action;
    std::vector<std::string> log;
};

// An item with a button, or without one as on a desktop with no place for it.
class FakeStatusItem final : public StatusItem {
public:
    explicit FakeStatusItem(bool withButton = true) : withButton_(withButton) {}
    StatusItemButton* button() override { return withButton_ ? &button_ : nullptr; }
    FakeStatusItemButton& fakeButton() { return button_; }

private:
    bool withButton_;
    FakeStatusItemButton button_;
};

// Hands out `item` and records the lengths asked for.
class FakeStatusBar final : public StatusBar {
public:
    std::shared_ptr<StatusItem> statusItem(double length) override
    {
        lengths.push_back(length);
        return item;
    }

    std::shared_ptr<FakeStatusItem> item = std::make_shared<FakeStatusItem>();
    std::vector<double> lengths;
};

} // namespace platform
