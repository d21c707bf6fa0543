// The kinds of child window the main window holds, each registered by the module that owns the
// window: its key prefix, the session file its windows are recorded in and reopened from, and
// the few moments of the main window's life it takes part in. The main window walks the
// registry instead of knowing the windows of other modules; adding a kind adds one entry in its
// own module (and its widget in the desktop program).
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/child_window.h"

namespace velmora::platform {

struct WindowKind {
    // The text before the first "." of the windows' keys: "InBox", "Read", "Compose" ...
    std::string keyPrefix;
    // The session file the kind's windows are recorded in ("read.dat"); empty: none.
    std::string sessionFile;
    // Reopens the windows recorded in the session file, given its lines; runs only when the
    // file exists, in the main window's restore order.
    std::function<void(const std::vector<std::string>& lines)> restore;
    // The record of one open window of this kind, appended to the session file at shutdown;
    // no lines: the window is not recorded.
    std::function<std::vector<std::string>(ChildWindow& window)> record;
    // The mail-to action, for the kind that performs it (a new compose window addressed to
    // `address`, or the web-link scratch pad).
    std::function<void(const std::string& address)> mailTo;
    // The end of start-up, when a profile exists; `checkMailNow` asks for the headers-only
    // retrieval of "Check for new mail on startup".
    std::function<void(bool checkMailNow)> started;
    // Shutdown, before any window closes: a running transfer is cancelled.
    std::function<void()> shutdown;
    // File, Exit, before anything is recorded: the kind's windows ask their close questions
    // (a compose window with unsaved work offers to keep it). False keeps the program running.
    std::function<bool()> exitQuery;
};

class WindowKinds {
  public:
    // Adds a kind; one with the same key prefix is replaced.
    void add(WindowKind kind);
    const WindowKind* find(std::string_view keyPrefix) const;
    const WindowKind* forWindow(const ChildWindow& window) const { return find(window.kind()); }
    const WindowKind* forSessionFile(std::string_view name) const;
    const std::vector<WindowKind>& all() const { return kinds_; }

  private:
    std::vector<WindowKind> kinds_;
};

}  // namespace velmora::platform
