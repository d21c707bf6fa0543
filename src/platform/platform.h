// Everything a window model needs from the platform, handed over as one bundle. The desktop
// program fills it with the Qt implementations, tests with the fakes of tests/support.
#pragma once

#include "platform/dialogs.h"
#include "platform/events.h"
#include "platform/help.h"
#include "platform/printing.h"
#include "platform/system.h"
#include "platform/timers.h"

namespace velmora::platform {

struct Platform {
    Dialogs& dialogs;
    System& system;
    Clock& clock;
    EventLoop& events;
    Timers& timers;
    Printer& printer;
    HelpEngine& help;

    void pause(Milliseconds duration) { platform::pause(events, clock, duration); }
};

}  // namespace velmora::platform
