#include "platform/events.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace velmora::platform {
namespace {

using testing::FakePlatform;

TEST(Pause, LastsItsTimeAndRunsTimersAndPostedActions) {
    FakePlatform fake;
    int ticks = 0;
    bool clicked = false;
    auto timer = fake.timers.createTimer(Milliseconds{100}, false, [&] { ++ticks; });
    timer->start();
    fake.events.post([&] { clicked = true; });
    const auto start = fake.clock.elapsed();
    fake.platform().pause(Milliseconds{450});
    EXPECT_EQ(fake.clock.elapsed() - start, Milliseconds{450});
    EXPECT_EQ(ticks, 4);
    EXPECT_TRUE(clicked);
}

TEST(Timers, OneShotFiresOnceAndStopsItself) {
    FakePlatform fake;
    int fired = 0;
    auto timer = fake.timers.createTimer(Milliseconds{100}, true, [&] { ++fired; });
    timer->start();
    fake.clock.advance(Milliseconds{1000});
    EXPECT_EQ(fired, 1);
    EXPECT_FALSE(timer->isActive());
}

TEST(Timers, CallbackMayDestroyItsTimer) {
    FakePlatform fake;
    std::unique_ptr<Timer> timer;
    timer = fake.timers.createTimer(Milliseconds{10}, false, [&] { timer.reset(); });
    timer->start();
    fake.clock.advance(Milliseconds{100});
    EXPECT_EQ(timer, nullptr);
}

TEST(ThrottledEvents, ProcessesAtMostOncePerInterval) {
    FakePlatform fake;
    ThrottledEvents throttled(fake.events, fake.clock, Milliseconds{20});
    for (int i = 0; i < 1000; ++i) throttled.poll();
    EXPECT_EQ(fake.events.processCount(), 0);
    fake.clock.advance(Milliseconds{25});
    for (int i = 0; i < 1000; ++i) throttled.poll();
    EXPECT_EQ(fake.events.processCount(), 1);
}

}  // namespace
}  // namespace velmora::platform
