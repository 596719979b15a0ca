#pragma once

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace monitor {

// A signal without payload: observers are called synchronously, in connection order.
class ChangeSignal {
public:
    using Observer = std::function<void()>;
    using Connection = std::uint64_t;

    Connection connect(Observer observer)
    {
        observers_.emplace_back(nextConnection_, std::move(observer));
        return nextConnection_++;
    }

    void disconnect(Connection connection)
    {
        std::erase_if(observers_, [connection](const auto& entry) { return entry.first == connection; });
    }

    void fire() const
    {
        // A copy, so an observer may connect or disconnect while being told.
        const auto observers = observers_;
        for (const auto& [connection, observer] : observers)
            observer();
    }

private:
    std::vector<std::pair<Connection, Observer>> observers_;
    Connection nextConnection_ = 1;
};

} // namespace monitor
