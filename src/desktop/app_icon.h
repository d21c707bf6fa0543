#pragma once

#include <QIcon>

namespace velmora::desktop {

// The program's icon: the desktop theme's mail-client icon where the theme has one, else an
// envelope drawn here, so no window or tray entry shows the toolkit's own logo.
QIcon applicationIcon();

// An envelope, with a red dot when `unread` (the tray's "new mail" picture where the theme has
// no mail-unread icon).
QIcon envelopeIcon(bool unread);

}  // namespace velmora::desktop
