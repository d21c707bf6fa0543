// Opening a help topic as every Help command does: through the platform's help engine, a help
// file that is missing or unreadable said in a box (the program itself stays as it is).
#pragma once

#include "platform/platform.h"

namespace velmora::platform {

void showHelpTopic(Platform& platform, int topic);

}  // namespace velmora::platform
