// What the retrieval sessions need of the main window. The main window implements it; the
// command line and the tests have small implementations of their own.
#pragma once

#include <string>

#include "reading/folder_window.h"
#include "reading/folder_window_host.h"

namespace velmora::retrieval {

class TheadersForm;

class RetrievalHost {
  public:
    virtual ~RetrievalHost() = default;

    // The program-wide busy flag, shared with sending: set while mail is transferred.
    virtual bool busy() const = 0;
    virtual void setBusy(bool busy) = 0;
    // The application title (the taskbar text).
    virtual std::string applicationTitle() const = 0;
    virtual void setApplicationTitle(const std::string& title) = 0;
    // Enables or disables the retrieval, compose-using, reply, forward, move, copy, delete and
    // read menu entries of the main window.
    virtual void setMailCommandsEnabled(bool enabled) = 0;

    virtual reading::FolderWindowHost& folders() = 0;
    // Makes the folder window the current one and brings it to the front (restored when
    // minimized).
    virtual void showFolderWindow(reading::TinboxForm& window) = 0;
    virtual reading::TinboxForm* currentFolderWindow() = 0;
    // Removes the "* " new-mail marker from every child window's caption.
    virtual void clearNewMailMarkers() = 0;
    // The New Mail selector's entries changed.
    virtual void newMailListChanged() = 0;

    // The retrieve-headers window, created when needed, brought up (restored when minimized).
    virtual TheadersForm& showHeadersWindow() = 0;
    virtual TheadersForm* findHeadersWindow() = 0;
    virtual void minimizeHeadersWindow() = 0;

    // The automatic-check timer (stopped for the whole session, restarted after it when it ran).
    virtual bool autoCheckRunning() const = 0;
    virtual void stopAutoCheck() = 0;
    virtual void restartAutoCheck() = 0;
    // Stops the new-mail indication of automatic checking (flashing, tray envelope).
    virtual void clearNewMailIndication() = 0;

    // The last status bar panel.
    virtual void showStatus(const std::string& text) = 0;
    // The general error report: an error box titled with the application title.
    virtual void reportError(const std::string& text) = 0;
};

}  // namespace velmora::retrieval
