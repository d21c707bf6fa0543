// The time-out clock of the network clients. Every wait starts it and every byte that moves
// restarts it; a wait gives up once the configured number of seconds has passed without either.
// It reads the platform clock rather than ticking on a timer, so a test's fake clock can make a
// time-out happen at once and the desktop program needs no timer per connection.
#pragma once

#include "platform/events.h"

namespace velmora::net {

class TTimeCounter {
  public:
    static constexpr int kDefaultSeconds = 60;

    explicit TTimeCounter(const platform::Clock& clock) : clock_(clock) {}

    int Seconds() const { return seconds_; }
    void setSeconds(int seconds) { seconds_ = seconds; }

    // Counts the configured seconds from now. Does not clear an expiry seen before (ResetExpired
    // does, when a connection starts afresh).
    void Start();
    void Stop() { running_ = false; }
    bool Running() const { return running_; }
    // True once a started count has run out; stays true until ResetExpired. A stopped counter
    // never expires.
    bool Expired();
    void ResetExpired() { expired_ = false; }
    // Whole seconds left of a running count (0 when stopped or run out).
    int Remaining() const;

  private:
    const platform::Clock& clock_;
    int seconds_ = kDefaultSeconds;
    bool running_ = false;
    bool expired_ = false;
    platform::Milliseconds deadline_{0};
};

}  // namespace velmora::net
