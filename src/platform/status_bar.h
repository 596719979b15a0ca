#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// An image of the system symbol set, as a status item button shows it.
struct StatusImage {
    std::string symbolName;
    std::string accessibilityDescription;
    bool isTemplate = false; // drawn in the panel's own text colour when true
    friend bool operator==(const StatusImage&, const StatusImage&) = default;
};

enum class ImagePosition { NoImage, ImageOnly, ImageLeft };

// What the user sees of a status item and clicks.
class StatusItemButton {
public:
    using Action = std::function<void(StatusItemButton* sender)>;

    virtual ~StatusItemButton() = default;
    virtual void setAction(Action action) = 0;
    virtual void setTitle(std::string title) = 0;
    virtual void setImage(StatusImage image) = 0;
    virtual void setImagePosition(ImagePosition position) = 0;
    // Lines the tooltip shows under the item's name and title; none when empty.
    virtual void setToolTip(std::string toolTip) = 0;
    // The button's rectangle in its own coordinates.
    virtual Rect bounds() const = 0;
    // Where a rectangle of the button lies on the screen, when the desktop tells.
    virtual std::optional<Rect> rectOnScreen(Rect rect) const = 0;
};

class StatusItem {
public:
    virtual ~StatusItem() = default;
    // The item's button, or none where the desktop offers no place for one.
    virtual StatusItemButton* button() = 0;
};

class StatusBar {
public:
    static constexpr double variableLength = -1;

    virtual ~StatusBar() = default;
    // A new item in the desktop's status area, whose width follows its content at `length` -1.
    virtual std::shared_ptr<StatusItem> statusItem(double length) = 0;
};

// The image of a named system symbol, or none when the set has no symbol of that name.
using SystemSymbolImages =
    std::function<std::optional<StatusImage>(const std::string& symbolName, const std::string& accessibilityDescription)>;

} // namespace platform
