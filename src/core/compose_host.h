// The main window's side of the compose windows: compose::ComposeHost over TmainForm. The
// compose windows are children of the main window like any other; sending reaches the folder
// windows, profiles, settings and title through it, and starts the retrieval after sending by
// the retrieval commands of the registry.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "compose/compose_host.h"
#include "compose/nickname_book.h"
#include "retrieval/progress_box.h"

namespace velmora::core {

class TmainForm;

class MainComposeHost final : public compose::ComposeHost {
  public:
    explicit MainComposeHost(TmainForm& main);

    reading::FolderWindowHost& folders() override;
    void showFolderWindow(reading::TinboxForm& window) override;
    profiles::Settings& settings() override;
    profiles::ProfileLists& profiles() override;
    compose::NicknameBook& addressBook() override { return *book_; }
    // The address books of the home folder unless another book is set (nullptr: that one again).
    void setAddressBook(compose::NicknameBook* book) { book_ = book ? book : &noBook_; }

    bool busy() const override;
    void setBusy(bool busy) override;
    std::string applicationTitle() const override;
    void setApplicationTitle(const std::string& title) override;
    // The Retrieve menu and mail buttons follow the busy flag; the frame only redraws them.
    void setMailCommandsEnabled(bool enabled) override;
    bool autoCheckRunning() const override;
    void stopAutoCheck() override;
    void restartAutoCheck() override;
    void showStatus(const std::string& text) override;
    // Sending and retrieval share one progress box, as they share the busy flag.
    retrieval::TretrieveHeadersDialogForm& progressBox() override;
    void disableHeadersExecute() override;
    void retrieveAfterSending(int choice) override;

    compose::TcomposeForm& addComposeWindow(std::unique_ptr<compose::TcomposeForm> window) override;
    std::vector<compose::TcomposeForm*> composeWindows() override;
    void bringToFront(compose::TcomposeForm& window) override;
    compose::TcomposeForm* activeComposeWindow() override;
    void closeComposeWindow(compose::TcomposeForm& window) override;
    void composeWindowChanged(compose::TcomposeForm& window) override;
    std::string capturedMailTo() const override;
    std::optional<std::string> spellCheckBeforeSending(const std::string& body) override;

  private:
    TmainForm& main_;
    compose::EmptyNicknameBook noBook_;
    compose::NicknameBook* book_ = &noBook_;
    // The compose windows of the run, in the order they were opened.
    std::vector<compose::TcomposeForm*> windows_;
};

}  // namespace velmora::core
