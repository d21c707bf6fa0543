#include "net/time_counter.h"

#include <algorithm>

namespace velmora::net {

void TTimeCounter::Start() {
    deadline_ = clock_.elapsed() + platform::Milliseconds{static_cast<long long>(seconds_) * 1000};
    running_ = true;
}

bool TTimeCounter::Expired() {
    if (running_ && clock_.elapsed() >= deadline_) expired_ = true;
    return expired_;
}

int TTimeCounter::Remaining() const {
    if (!running_) return 0;
    const auto left = deadline_ - clock_.elapsed();
    return static_cast<int>(std::max<long long>(0, (left.count() + 999) / 1000));
}

}  // namespace velmora::net
