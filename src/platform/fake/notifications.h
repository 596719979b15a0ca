#pragma once

#include "platform/notifications.h"

#include <string>
#include <vector>

namespace platform {

// Logs each call, one line each: "show SLOT: SUMMARY | BODY (urgency N)" or "withdraw SLOT".
class FakeNotifications final : public Notifications {
public:
    void show(const std::string& slot, const Notification& notification) override
    {
        log.push_back("show " + slot + ": " + notification.summary + " | " + notification.body + " (urgency "
                      + std::to_string(static_cast<int>(notification.urgency)) + ")");
    }
    void withdraw(const std::string& slot) override { log.push_back("withdraw " + slot); }

    std::vector<std::string> log;
};

} // namespace platform
