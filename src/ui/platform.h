// Everything a window model needs from the platform, handed over as one bundle. The desktop
// program fills it with the Qt implementations, tests with the fakes of tests/support.
#pragma once

#include "ui/dialogs.h"
#include "ui/events.h"
#include "ui/system.h"
#include "ui/timers.h"

namespace velmora::ui {

struct Platform {
    Dialogs& dialogs;
    System& system;
    Clock& clock;
    EventLoop& events;
    Timers& timers;

    void pause(Milliseconds duration) { ui::pause(events, clock, duration); }
};

}  // namespace velmora::ui
