// One-shot and periodic timers of the user-interface thread. A timer fires only while the event
// loop runs (including inside pause and network waits), never on another thread.
#pragma once

#include <functional>
#include <memory>

#include "platform/events.h"

namespace velmora::platform {

class Timer {
  public:
    virtual ~Timer() = default;
    virtual void start() = 0;  // (re)starts counting the interval from now
    virtual void stop() = 0;
    virtual bool isActive() const = 0;
    virtual void setInterval(Milliseconds interval) = 0;
    virtual Milliseconds interval() const = 0;
};

class Timers {
  public:
    virtual ~Timers() = default;
    // A stopped timer; `onTimeout` runs on each expiry. A one-shot timer stops itself before
    // calling it. Destroying the timer stops it.
    virtual std::unique_ptr<Timer> createTimer(Milliseconds interval, bool singleShot,
                                               std::function<void()> onTimeout) = 0;
};

}  // namespace velmora::platform
