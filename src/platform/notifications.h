#pragma once

#include <string>

namespace platform {

enum class NotificationUrgency { Low, Normal, Critical };

struct Notification {
    std::string summary;
    std::string body;
    std::string iconName; // a themed icon, e.g. "battery-caution"
    NotificationUrgency urgency = NotificationUrgency::Normal;
};

// The desktop's notifications. A notification is kept under a slot of the caller's choosing:
// showing under a slot replaces what that slot shows, withdrawing takes it away. Where the
// desktop shows no notifications, both do nothing.
class Notifications {
public:
    virtual ~Notifications() = default;
    virtual void show(const std::string& slot, const Notification& notification) = 0;
    virtual void withdraw(const std::string& slot) = 0;
};

} // namespace platform
