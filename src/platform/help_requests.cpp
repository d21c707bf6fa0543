#include "platform/help_requests.h"

#include "base/identity.h"

namespace velmora::platform {

void showHelpTopic(Platform& platform, int topic) {
    switch (platform.help.showTopic(topic)) {
        case HelpOutcome::Shown:
            return;
        case HelpOutcome::NoHelpFile:
            platform.dialogs.information(
                kProductName,
                "The help file\r" + platform.help.helpFile().string() + "\rwas not found.");
            return;
        case HelpOutcome::Unreadable:
            platform.dialogs.warning(
                kProductName,
                "The help file\r" + platform.help.helpFile().string() + "\rcannot be read.");
            return;
    }
}

}  // namespace velmora::platform
