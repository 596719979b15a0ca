#pragma once

#include "platform/power_sources.h"

#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <memory>

class QDBusMessage;

namespace platform {

// The power sources as the UPower daemon sees them, over the system bus. Every call is
// asynchronous: the snapshot is the one gathered after the last change the daemon told of.
// While the daemon has not answered yet, or is gone, `fallback` answers instead.
class UPowerPowerSources final : public QObject, public PowerSources {
    Q_OBJECT
public:
    // How long any one call may take before the daemon counts as not answering.
    static constexpr std::chrono::milliseconds callTimeout{2000};
    // Signals closer together than this give one reading: a plug brings half a dozen.
    static constexpr std::chrono::milliseconds coalescing{50};

    UPowerPowerSources(QDBusConnection bus, std::shared_ptr<PowerSources> fallback);

    std::optional<PowerSourceSnapshot> snapshot() override;
    void onChange(ChangeHandler handler) override { handler_ = std::move(handler); }
    std::string_view name() const override;

    // Whether the daemon's answers are what `snapshot()` gives now.
    bool answering() const { return answering_; }
    // For one-shot commands: runs the event loop until the reading under way has ended, at most
    // `patience`; returns `answering()`.
    bool waitForReading(std::chrono::milliseconds patience);

private slots:
    void daemonChanged();

private:
    struct Reading;

    void read();
    void finish(const Reading& reading);
    void daemonGone();
    void call(const QDBusMessage& message, std::function<void(const QDBusMessage&)> handleReply);
    void tell();

    QDBusConnection bus_;
    std::shared_ptr<PowerSources> fallback_;
    ChangeHandler handler_;
    QTimer coalesce_;
    PowerSourceSnapshot cache_;
    bool answering_ = false;
    bool reading_ = false;
    bool readAgain_ = false;
};

} // namespace platform
