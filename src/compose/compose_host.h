// What compose windows and sending need of the main window: the folder windows, the settings
// and profiles, the address book, the program-wide busy flag and title, the menus that sending
// disables, automatic checking, the status bar, the shared progress box, retrieval after
// sending, and the child windows themselves (compose windows are added, brought up and closed
// through it). The main window implements it; tests use a fake.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compose/nickname_book.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"
#include "retrieval/progress_box.h"

namespace velmora::compose {

class TcomposeForm;

class ComposeHost {
  public:
    virtual ~ComposeHost() = default;

    virtual reading::FolderWindowHost& folders() = 0;
    // Makes the folder window current and brings it to the front (restored when minimized).
    virtual void showFolderWindow(reading::TinboxForm& window) = 0;
    virtual profiles::Settings& settings() = 0;
    virtual profiles::ProfileLists& profiles() = 0;
    virtual NicknameBook& addressBook() = 0;

    // The busy flag shared with retrieval.
    virtual bool busy() const = 0;
    virtual void setBusy(bool busy) = 0;
    virtual std::string applicationTitle() const = 0;
    virtual void setApplicationTitle(const std::string& title) = 0;
    // The Retrieve menu and the mail toolbar buttons.
    virtual void setMailCommandsEnabled(bool enabled) = 0;
    virtual bool autoCheckRunning() const = 0;
    virtual void stopAutoCheck() = 0;
    virtual void restartAutoCheck() = 0;
    // The first panel of the status bar.
    virtual void showStatus(const std::string& text) = 0;
    // The mail progress box ("RetrieveDialog.RetrieveDialog"), shared with retrieval.
    virtual retrieval::TretrieveHeadersDialogForm& progressBox() = 0;
    // No connection to the Internet: an open retrieve-headers window's "&Execute Action" goes
    // grey.
    virtual void disableHeadersExecute() = 0;
    // Retrieval after sending: the position in kRetrieveAfterSendingChoices (never 0).
    virtual void retrieveAfterSending(int choice) = 0;

    // The child windows: a new compose window is handed over (and shown); the compose windows
    // open now, in child order; bringing one up; closing one without asking (its close query
    // already ran).
    virtual TcomposeForm& addComposeWindow(std::unique_ptr<TcomposeForm> window) = 0;
    virtual std::vector<TcomposeForm*> composeWindows() = 0;
    virtual void bringToFront(TcomposeForm& window) = 0;
    // The compose window when the active child window is one (the Send command acts on it),
    // else nullptr.
    virtual TcomposeForm* activeComposeWindow() = 0;
    virtual void closeComposeWindow(TcomposeForm& window) = 0;
    // Tells the view that the window's fields, captions or menus changed.
    virtual void composeWindowChanged(TcomposeForm& window) = 0;
    // "Spell check message before sending": the body in the spell check window. The body to
    // send (corrected or not), or nullopt when the user cancelled: the sending then stops.
    virtual std::optional<std::string> spellCheckBeforeSending(const std::string& body) = 0;
    // The last mail-to address captured from a web link while "Copy web link MailTo: address
    // to buffer" is on ("" when none was this run).
    virtual std::string capturedMailTo() const { return {}; }
};

}  // namespace velmora::compose
