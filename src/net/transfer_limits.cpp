#include "net/transfer_limits.h"

#include <algorithm>

namespace velmora::net {

std::int64_t messageSizeBound(std::int64_t announced) {
    if (announced <= 0 || announced >= kMaxMessageSize) return kMaxMessageSize;
    return std::min(kMaxMessageSize, 2 * announced + kMessageSizeMargin);
}

}  // namespace velmora::net
