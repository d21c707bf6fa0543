// Automatic mail checking: while the program runs, the active profile's mailbox is counted on a
// fixed period without dialogs, and waiting mail is announced in the New Mail selector, by a
// flashing taskbar entry, a tray envelope, a sound, a message box or a desktop notification.
// It only counts; it never retrieves or deletes.
//
// A password typed for a check is kept for the profile and server it was typed for (never for
// another profile), and dropped when the server rejects it: that check shows the failure in the
// status bar and the next check asks again, instead of failing silently for the rest of the run.
#pragma once

#include <memory>
#include <string>

#include "platform/new_mail_signals.h"
#include "platform/platform.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"
#include "retrieval/sessions.h"

namespace velmora::retrieval {

// What the check needs of the main window besides the retrieval host.
class AutoCheckHost {
  public:
    virtual ~AutoCheckHost() = default;
    // The last status bar panel (and the caption while the status bar is hidden).
    virtual void showCheckStatus(const std::string& text) = 0;
    virtual std::string applicationTitle() const = 0;
    virtual void setApplicationTitle(const std::string& title) = 0;
    virtual bool applicationMinimized() const = 0;
    virtual bool busy() const = 0;
    virtual bool shuttingDown() const = 0;
    // The check mark of "&Auto-Mail Check".
    virtual void setAutoCheckChecked(bool checked) = 0;
    // The retrieval commands and Send, disabled while a check runs.
    virtual void setCheckCommandsEnabled(bool enabled) = 0;
    virtual void newMailListChanged() = 0;
};

class AutoMailCheck {
  public:
    AutoMailCheck(platform::Platform& platform, profiles::Settings& settings,
                  profiles::ProfileLists& profiles, Retrieval& retrieval,
                  platform::NewMailSignals lent, AutoCheckHost& host);

    // Starts counting down from the period (or stops everything when "Notify" is off).
    void startAutoCheck();
    // Both timers stopped (sessions stop them and restart with startAutoCheck).
    void stopTimers();
    // The check timer runs: checking is counting down.
    bool running() const;
    // "&Auto-Mail Check": toggles "Notify"; off also ends the new-mail indication.
    void toggle();
    // The one-second count-down step.
    void countdownTick();
    // Counts the mailbox quietly and announces what it found.
    void check();
    // A retrieval started by the user ends the indication: flashing and the tray envelope.
    void clearIndication();

    int remainingSeconds() const { return remaining_; }

  private:
    std::string timeText() const;
    std::string profileName() const;

    platform::Platform& platform_;
    profiles::Settings& settings_;
    profiles::ProfileLists& profiles_;
    Retrieval& retrieval_;
    platform::NewMailSignals signals_;
    AutoCheckHost& host_;
    std::unique_ptr<platform::Timer> countdown_;
    std::unique_ptr<platform::Timer> checkTimer_;
    int remaining_ = 0;
};

}  // namespace velmora::retrieval
