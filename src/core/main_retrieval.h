// Retrieval in the main window: the sessions, the rule list, automatic checking and the New Mail
// selector, lent what they need of the frame (busy flag, title, folder windows, status bar).
// It registers the windows of retrieval with the main window's registries: the retrieve-headers
// window ("Headers", recorded in "headers.dat") and the rules window ("Filters"); and the
// commands of the menus and toolbar: "retrieve.count", "retrieve.headers", "retrieve.all",
// "retrieve.filtered", "retrieve.messages" (the Messages button by its mode),
// "retrieve.messagesMode" (its right-click), "retrieve.deleteOnServer", "headers.show",
// "rules.show" and "autoCheck.toggle". Every retrieval command is unavailable while busy.
#pragma once

#include <memory>
#include <string>

#include "platform/commands.h"
#include "platform/new_mail_signals.h"
#include "platform/window_kind.h"
#include "profiles/option_page.h"
#include "retrieval/auto_check.h"
#include "retrieval/filters_form.h"
#include "retrieval/headers_form.h"
#include "retrieval/retrieval_host.h"
#include "retrieval/rules.h"
#include "retrieval/sessions.h"

namespace velmora::core {

class TmainForm;

class MainRetrieval final : public retrieval::RetrievalHost, public retrieval::AutoCheckHost {
  public:
    // Loads "filters.raf" of the home folder.
    explicit MainRetrieval(TmainForm& main);
    ~MainRetrieval() override;

    void registerWith(platform::WindowKinds& kinds, platform::Commands& commands);
    // An option of the configuration window changed: checking follows "Notify" and the period
    // at once, and the Messages button's next right-click starts from the mode set there.
    void optionChanged(profiles::ConfigPage page, const std::string& optionId);
    // The first profile of a home folder that started without one: checking starts as it would
    // have at start-up.
    void firstProfileAdded() { autoCheck_->startAutoCheck(); }
    // The desktop's tray icon, attention and notifications; until set nothing is shown.
    void setNewMailSignals(platform::NewMailSignals lent);

    retrieval::Retrieval& sessions() { return *sessions_; }
    retrieval::TretrieveHeadersDialogForm& progressBox() { return sessions_->progressBox(); }
    retrieval::RuleList& rules() { return rules_; }
    retrieval::AutoMailCheck& autoCheck() { return *autoCheck_; }
    // The New Mail selector: its entries, and the user's choice of one (shows that folder's
    // window, or does nothing for a count entry of automatic checking).
    const retrieval::NewMailList& newMail() { return sessions_->newMail(); }
    void chooseNewMail(int index);
    // The Messages button's hint of its mode ("Retrieve All Messages - Delete|" ...).
    std::string messagesHint() const;

    // The retrieve-headers window and the rules window, opened or brought to the front.
    retrieval::TheadersForm& showHeadersWindow() override;
    retrieval::TfiltersForm& showRulesWindow();

    // --- RetrievalHost and AutoCheckHost ------------------------------------------------
    bool busy() const override;
    void setBusy(bool busy) override;
    std::string applicationTitle() const override;
    void setApplicationTitle(const std::string& title) override;
    void setMailCommandsEnabled(bool enabled) override;
    reading::FolderWindowHost& folders() override;
    void showFolderWindow(reading::TinboxForm& window) override;
    reading::TinboxForm* currentFolderWindow() override;
    void clearNewMailMarkers() override;
    void newMailListChanged() override;
    retrieval::TheadersForm* findHeadersWindow() override;
    void minimizeHeadersWindow() override;
    bool autoCheckRunning() const override;
    void stopAutoCheck() override;
    void restartAutoCheck() override;
    void clearNewMailIndication() override;
    void showStatus(const std::string& text) override;
    void reportError(const std::string& text) override;
    void showCheckStatus(const std::string& text) override;
    bool applicationMinimized() const override;
    bool shuttingDown() const override;
    void setAutoCheckChecked(bool checked) override { autoCheckChecked_ = checked; }
    void setCheckCommandsEnabled(bool enabled) override;

  private:
    // The two windows of this module while they are open.
    retrieval::TheadersForm* headers_ = nullptr;
    retrieval::TfiltersForm* filters_ = nullptr;
    // Runs a session command unless busy, reporting what escapes it.
    void runSession(const std::function<void()>& session);
    void restoreHeadersWindow(const std::vector<std::string>& lines);

    TmainForm& main_;
    retrieval::RuleList rules_;
    std::unique_ptr<retrieval::Retrieval> sessions_;
    std::unique_ptr<retrieval::AutoMailCheck> autoCheck_;
    // Stand-ins until the desktop lends its own: nothing shown.
    struct QuietSignals;
    std::unique_ptr<QuietSignals> quiet_;
    bool autoCheckChecked_ = false;
    bool checkRunning_ = false;
};

}  // namespace velmora::core
