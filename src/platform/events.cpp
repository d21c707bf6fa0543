#include "platform/events.h"

namespace velmora::platform {

void pause(EventLoop& events, const Clock& clock, Milliseconds duration) {
    const Milliseconds deadline = clock.elapsed() + duration;
    events.processEvents();
    for (Milliseconds now = clock.elapsed(); now < deadline && !events.quitRequested();
         now = clock.elapsed()) {
        events.waitForEvents(deadline - now);
    }
}

ThrottledEvents::ThrottledEvents(EventLoop& events, const Clock& clock, Milliseconds interval)
    : events_(events), clock_(clock), interval_(interval), last_(clock.elapsed()) {}

void ThrottledEvents::poll() {
    const Milliseconds now = clock_.elapsed();
    if (now - last_ < interval_) return;
    last_ = now;
    events_.processEvents();
}

}  // namespace velmora::platform
