// The tips of the day: short hints on what the program can do, shown in turn at start-up and
// from Help, "&Tip Of The Day". "tips.cfg" keeps the position of the tip shown last.
#pragma once

#include <span>
#include <string_view>

namespace velmora::tools {

std::span<const std::string_view> tipsOfTheDay();

// The tip shown after the one at `position`: the next one, the first after the last (and for a
// position that is out of range, as a damaged "tips.cfg" may hold).
int nextTipPosition(int position);
int previousTipPosition(int position);

}  // namespace velmora::tools
