#include "retrieval/auto_check.h"

#include <exception>

#include "base/identity.h"
#include "profiles/settings_rules.h"
#include "retrieval/connection_choices.h"

namespace velmora::retrieval {

namespace {
constexpr platform::Milliseconds kSecond{1000};
constexpr platform::Milliseconds kBusyPause{250};
constexpr platform::Milliseconds kAutoCloseBox{2000};
}  // namespace

AutoMailCheck::AutoMailCheck(platform::Platform& platform, profiles::Settings& settings,
                             profiles::ProfileLists& profiles, Retrieval& retrieval,
                             platform::NewMailSignals lent, AutoCheckHost& host)
    : platform_(platform),
      settings_(settings),
      profiles_(profiles),
      retrieval_(retrieval),
      signals_(lent),
      host_(host) {
    // A timer has no caller to report to: what goes wrong in a check is shown in the status bar
    // and checking goes on.
    countdown_ = platform_.timers.createTimer(kSecond, false, [this] {
        try {
            countdownTick();
        } catch (const std::exception& e) {
            host_.showCheckStatus(e.what());
            startAutoCheck();
        }
    });
    // The count-down decides when a check runs; the check timer tells that checking is on.
    checkTimer_ = platform_.timers.createTimer(platform::Milliseconds{60000}, false, [] {});
}

bool AutoMailCheck::running() const {
    return checkTimer_->isActive();
}

void AutoMailCheck::stopTimers() {
    countdown_->stop();
    checkTimer_->stop();
}

void AutoMailCheck::startAutoCheck() {
    if (!settings_.misc.notify) {
        stopTimers();
        host_.setApplicationTitle(kProductName);
        host_.showCheckStatus("Auto-Mail Checking Disabled");
        host_.setAutoCheckChecked(false);
        return;
    }
    host_.setAutoCheckChecked(true);
    const int minutes = profiles::checkIntervalMinutes(settings_.misc.checkInterval);
    remaining_ = minutes * 60 - 2;
    checkTimer_->setInterval(platform::Milliseconds{static_cast<std::int64_t>(minutes) * 60000});
    checkTimer_->start();
    countdown_->start();
    host_.showCheckStatus("Auto-Mail Checking Enabled");
}

void AutoMailCheck::toggle() {
    settings_.misc.notify = !settings_.misc.notify;
    settings_.changed.misc = true;
    if (!settings_.misc.notify) clearIndication();
    startAutoCheck();
}

void AutoMailCheck::clearIndication() {
    signals_.attention.stopFlashing();
    signals_.tray.hide();
}

std::string AutoMailCheck::profileName() const {
    const profiles::TUsersObjListBox* profile = profiles_.activeProfile();
    return profile ? profile->profileName : std::string();
}

std::string AutoMailCheck::timeText() const {
    const int seconds = remaining_ % 60;
    return std::to_string(remaining_ / 60) + ":" + (seconds < 10 ? "0" : "") +
           std::to_string(seconds);
}

void AutoMailCheck::countdownTick() {
    if (host_.shuttingDown()) {
        stopTimers();
        return;
    }
    --remaining_;
    if (remaining_ > 0) {
        const std::string time = timeText();
        host_.showCheckStatus("Auto-Mail Check in " + time);
        const bool byName = settings_.other.profileNameInTaskbar;
        std::string title =
            byName ? " " + profileName().substr(0, 16) + " " + time : " Velmora " + time;
        if (host_.busy()) {
            const std::string current = host_.applicationTitle();
            title = current == " Retrieving" || current == " Sending" ? current : " inet Busy";
        }
        host_.setApplicationTitle(title);
        if (signals_.tray.visible())
            signals_.tray.setToolTip((byName ? profileName() : std::string(kProductName)) +
                                     " Auto-Mail Check " + time);
        else
            signals_.tray.setToolTip(std::string(kProductName) + " - Single Click To Restore");
        return;
    }
    if (host_.busy()) {
        // A transfer runs: the check waits for the next round.
        stopTimers();
        platform_.pause(kBusyPause);
        startAutoCheck();
        return;
    }
    if (!running()) {
        startAutoCheck();
        return;
    }
    host_.showCheckStatus("Auto-Mail Check in 0:00");
    if (!host_.applicationMinimized())
        host_.setApplicationTitle(std::string(kProductName) + " 0:00");
    check();
}

void AutoMailCheck::check() {
    stopTimers();
    if (!settings_.misc.notify) return;
    const profiles::TUsersObjListBox* profile = profiles_.activeProfile();
    if (!profile) {
        startAutoCheck();
        return;
    }
    const std::string name = profiles::cutName(profile->profileName);
    const std::string server = pop3ServerAddress(*profile, settings_.retrieve.pop3Port);
    if (!profile->rememberPassword && !retrieval_.passwords().find(profile->profileName, server)) {
        auto answer = platform_.dialogs.inputBox(
            {"Password Entry Form For [" + name + "]", {"Enter Password", "", true}, {}});
        if (!answer || answer->first.empty()) {
            settings_.misc.notify = false;
            settings_.changed.misc = true;
            platform_.dialogs.information(
                kProductName, "No password entered - Auto-Mail Checking has been disabled.");
            startAutoCheck();
            return;
        }
        retrieval_.passwords().remember(profile->profileName, server, answer->first);
    }

    host_.showCheckStatus("Auto-Mail Checking Now");
    host_.setCheckCommandsEnabled(false);
    signals_.tray.show(platform::TrayPicture::Plain,
                       std::string(kProductName) + " - Checking For New Mail ");
    host_.setApplicationTitle(" Checking");
    const SessionOutcome outcome = retrieval_.count(true, true);
    host_.setCheckCommandsEnabled(true);

    if (!outcome.ok) {
        signals_.tray.hide();
        startAutoCheck();
        // The failure stays readable until the count-down's next tick; a rejected password was
        // dropped, so the next check asks again.
        if (!outcome.error.empty()) host_.showCheckStatus(outcome.error);
        return;
    }

    NewMailList& list = retrieval_.newMail();
    const bool keep = settings_.misc.keepNewMailFolderNames;
    const std::int64_t n = outcome.messageCount;
    if (n == 0) {
        if (!keep || list.empty()) list.setCountEntry("*** No Messages");
        signals_.tray.hide();
    } else {
        if (!keep || list.empty() || list.startsWithCountEntry())
            list.setCountEntry(n == 1 ? std::string("*** 1 Message")
                                      : "*** " + std::to_string(n) + " Messages");
        const auto& misc = settings_.misc;
        if (misc.blinkTaskbar) signals_.attention.startFlashing();
        if (misc.trayIcon)
            signals_.tray.show(platform::TrayPicture::Envelope,
                               n == 1 ? std::string(kProductName) + " - 1 Message Waiting "
                                      : std::string(kProductName) + " - " + std::to_string(n) +
                                            " Messages Waiting ");
        else
            signals_.tray.hide();
        if (misc.playSound) {
            const std::string file = profiles::trimBlanks(misc.soundFile);
            if (!file.empty()) platform_.system.playSound(file);
        }
        const std::string countLine = "Message Count For [" + name + "]";
        const std::string totalLine = "Total Messages: " + std::to_string(n);
        const std::string bytesLine = "       Total Bytes: " + groupedNumber(outcome.totalSize);
        if (misc.newMailMessageBox == 1) {
            platform_.system.beep();
            platform_.dialogs.information(kProductName, "You have mail waiting!\r\r" + countLine +
                                                            "\r\r" + totalLine + "\r" + bytesLine);
            signals_.attention.stopFlashing();
        } else if (misc.newMailMessageBox == 2) {
            platform_.system.beep();
            signals_.notifier.notify("New Mail Notification",
                                     "You have mail waiting!\n" + countLine + "\n" + totalLine,
                                     platform::Milliseconds{3000});
            platform_.dialogs.showStatus(
                "New Mail Notification",
                {"You have mail waiting!", countLine, totalLine, bytesLine});
            platform_.pause(kAutoCloseBox);
            platform_.dialogs.hideStatus();
            signals_.attention.stopFlashing();
        }
    }
    host_.newMailListChanged();
    startAutoCheck();
}

}  // namespace velmora::retrieval
