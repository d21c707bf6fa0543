// The one user-interface thread's event loop as the toolkit-free code sees it, and the pause
// built on it. Long work and network waits let pending events run through these calls, so the
// windows stay responsive while an operation looks synchronous to its caller.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace velmora::platform {

using Milliseconds = std::chrono::milliseconds;

// Local wall-clock time, broken down.
struct LocalTime {
    int year = 1970;
    int month = 1;  // 1..12
    int day = 1;    // 1..31
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
    int dayOfWeek = 4;          // 0 Sunday .. 6 Saturday
    int zoneOffsetMinutes = 0;  // local time minus UTC, in minutes (+60 for CET)
};

class Clock {
  public:
    virtual ~Clock() = default;
    // Monotonic time since an arbitrary start; never goes back.
    virtual Milliseconds elapsed() const = 0;
    virtual LocalTime localNow() const = 0;
};

class EventLoop {
  public:
    virtual ~EventLoop() = default;
    // Handles whatever events are pending and returns at once.
    virtual void processEvents() = 0;
    // Waits up to `limit` for events (timers among them), handles those that came, and returns.
    virtual void waitForEvents(Milliseconds limit) = 0;
    // The program is being ended (a termination signal): waits end at once, and a wait that
    // can fail ends as cancelled.
    virtual bool quitRequested() const { return false; }
};

// Waits `duration` while events keep being handled; timers and user commands may run inside.
// Ends early when the program is being ended.
void pause(EventLoop& events, const Clock& clock, Milliseconds duration);

// Lets pending events run from a tight loop (decoding, copying), but at most once every
// `interval` so that the loop is not slowed by a call per line.
class ThrottledEvents {
  public:
    ThrottledEvents(EventLoop& events, const Clock& clock,
                    Milliseconds interval = Milliseconds{20});
    void poll();

  private:
    EventLoop& events_;
    const Clock& clock_;
    Milliseconds interval_;
    Milliseconds last_;
};

}  // namespace velmora::platform
