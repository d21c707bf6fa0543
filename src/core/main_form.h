// The main window model: the frame that holds every other window of the program. It owns the
// folder tree, the child windows (found by their key: "InBox." + logical path for a folder
// window, "Read." + logical path for a read window ...), the captions, the toolbars' and status
// bar's state, start-up in two steps and the shutdown sequence. The Qt widget renders it and
// forwards the user's actions; it is told of changes through MainFormView.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/session_state.h"
#include "profiles/config_form.h"
#include "profiles/mail_handler.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"
#include "store/folder_tree.h"
#include "platform/child_window.h"
#include "platform/platform.h"

namespace velmora::core {

struct ScreenSize {
    int width = 1280;
    int height = 1024;
};

struct FrameGeometry {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

// The main toolbar's buttons, in their order.
enum class ToolButton { Prev, Next, Reply, Trash, Compose, Send, Headers, Count, Forward, Print, Messages };
inline constexpr std::size_t kToolButtonCount = 11;

struct ToolButtonState {
    std::string caption;
    std::string hint;
    bool visible = true;
    bool enabled = true;
};

// What the widget is told; each call comes after the model changed.
class MainFormView {
public:
    virtual ~MainFormView() = default;
    virtual void childOpened(platform::ChildWindow& window) = 0;
    virtual void childClosing(platform::ChildWindow& window) = 0;  // the model frees it afterwards
    virtual void childChanged(platform::ChildWindow& window) = 0;  // key, caption, state, rows
    virtual void childActivated(platform::ChildWindow& window) = 0;
    virtual void frameChanged() = 0;  // captions, panels, toolbars, menus, view flags
    virtual void treeChanged() = 0;   // the folder tree was listed again or its selection moved
    // Label editing of a freshly created folder, so that the user types its name.
    virtual void editFolderLabel(const store::TMailNode& node) = 0;
    // Minimize and restore the application so that it comes to the front.
    virtual void bringToFront() = 0;
};

// What other modules do for the main window. The windows of later modules (compose, read,
// retrieve-headers, scratch pad) and the mail operations register here; an unset entry means the
// feature is not part of this program yet and its step is left out.
struct MainFormHooks {
    // Mail-to: a new compose window with `address` as its To: recipient, focused.
    std::function<void(const std::string& address)> composeTo;
    // Mail-to with "Copy web link MailTo: address to buffer": append to "WebLinks.txt".
    std::function<void(const std::string& address)> appendWebLink;
    // Shows the configuration window (modal) on a page; with `addFirstProfile` its Users page
    // goes straight to adding a profile. Unset: the window model is opened without a widget.
    std::function<void(profiles::ConfigPage page, bool addFirstProfile)> showConfiguration;
    std::function<void()> setupAutoCheck;
    // "Check for new mail on startup": a headers-only retrieval.
    std::function<void()> retrieveHeaders;
    // Shutdown while a transfer runs: cancel the POP3, inspection and SMTP clients.
    std::function<void()> cancelTransfers;
    // Session restoring of the other window kinds.
    std::function<void(const WindowPlacement&)> restoreHeadersWindow;
    std::function<void(const ScratchPadRecord&)> restoreScratchPad;
    std::function<void(const ComposeWindowRecord&, reading::TinboxForm& folder)> restoreComposeWindow;
    std::function<void(const ReadWindowRecord&, reading::TinboxForm& folder)> restoreReadWindow;
    // Shutdown recording of a window that is not a folder window (read, compose, scratch pad,
    // retrieve-headers): add its record.
    std::function<void(platform::ChildWindow&, SessionState& records)> recordWindow;
    // Read windows of a folder: close those of a row, renumber those below a removed row, and
    // re-key them when their folder was renamed.
    std::function<void(const std::string& logicalPath, int row)> closeReadWindows;
    std::function<void(const std::string& logicalPath, int removedRow)> renumberReadWindows;
    std::function<void(platform::ChildWindow&, const std::string& newLogicalPath)> rekeyReadWindow;
};

inline constexpr const char* kNoProfileText =
    "No User Profile exists yet: add one with Configure, User Profiles.";

class TmainForm final : public reading::FolderWindowHost,
                        private profiles::ProfileEvents,
                        private profiles::ConfigEvents {
public:
    TmainForm(platform::Platform& platform, std::filesystem::path home, StartRequest start,
              ScreenSize screen);
    ~TmainForm() override;
    TmainForm(const TmainForm&) = delete;
    TmainForm& operator=(const TmainForm&) = delete;

    void setView(MainFormView* view) { view_ = view; }
    MainFormHooks& hooks() { return hooks_; }

    // --- start-up ---------------------------------------------------------------------------
    // Main window creation: identity, home folder, default folders, geometry, profile lists,
    // and the one-shot timer of the deferred step.
    void FormCreate();
    // The deferred step (the one-shot timer calls it once the frame is shown): settings, the
    // windows of the last session, the start-up checks and the command line.
    void MDIChildTimerTimer();
    bool started() const { return started_; }
    bool firstRun() const { return firstRun_; }

    // --- shutdown ---------------------------------------------------------------------------
    // Records the session, offers to send OutBox mail, empties Trash when set; always allows
    // the close.
    bool FormCloseQuery();
    // Cancels transfers, writes the settings files; the frame is then destroyed.
    void FormClose();
    bool shuttingDown() const { return shuttingDown_; }

    // --- frame state --------------------------------------------------------------------------
    const std::string& caption() const { return caption_; }
    const std::string& applicationTitle() const { return applicationTitle_; }
    const std::array<std::string, 6>& statusPanels() const { return statusPanels_; }
    void setStatusText(std::string text);
    const FrameGeometry& geometry() const { return geometry_; }
    void setGeometry(const FrameGeometry& geometry) { geometry_ = geometry; }
    const std::array<ToolButtonState, kToolButtonCount>& toolButtons() const { return toolButtons_; }
    int folderTreeWidth() const;
    profiles::Settings& settings() { return settings_; }
    profiles::ProfileLists& profileLists() { return profileLists_; }
    bool spellCheckEnabled() const { return spellCheckEnabled_; }
    bool composeEnabled() const { return composeEnabled_; }
    const std::filesystem::path& home() const { return home_; }
    platform::Platform& platform() { return platform_; }

    // View toggles (check marks of the View menu); each is kept in the settings.
    void setToolbarShown(bool shown);
    void setProfileToolbarShown(bool shown);
    void setFolderTreeShown(bool shown);
    void setStatusBarShown(bool shown);

    // --- folder tree --------------------------------------------------------------------------
    store::TMailTree& tree() { return *tree_; }
    void refreshTree();
    // Click or Enter on a node: opens its folder window (or explains why not).
    void treeOpen(const std::filesystem::path& node);
    // Insert / "Create &New Folder" under the selected node.
    void treeCreateFolder(const std::filesystem::path& selected);
    // F2: may this node's label be edited?
    bool treeCanRename(const std::filesystem::path& node) const;
    // End of label editing: rename the folder to `newName`. False leaves the old label.
    bool treeRename(const std::filesystem::path& node, const std::string& newName);
    // Delete / "&Delete Folder".
    void treeDelete(const std::filesystem::path& node);
    // May the selected rows of `source` be dropped on this node?
    bool treeCanDrop(const std::filesystem::path& node, const reading::TinboxForm& source) const;
    // Drops the selected rows of `source` on a node: they move into that folder, whose window is
    // opened hidden when needed and minimized afterwards.
    void treeDrop(const std::filesystem::path& node, reading::TinboxForm& source);
    // The node the tree shows selected (kept so that commands act on it).
    const std::filesystem::path& treeSelection() const { return treeSelection_; }
    void setTreeSelection(std::filesystem::path node);

    // View menu: the default folders and the user-defined folders.
    void openDefaultFolder(const std::string& name);
    void openAllDefaultFolders();
    bool isFolderWindowOpen(const std::string& logicalPath) const;

    // --- child windows ------------------------------------------------------------------------
    // In the main window's child order: the most recently activated first.
    const std::vector<std::unique_ptr<platform::ChildWindow>>& children() const { return children_; }
    platform::ChildWindow* findChild(const std::string& key) const;
    void activateChild(platform::ChildWindow& window);
    // Runs the window's close query and, when it agrees, closes and frees it. False when the
    // window stayed open.
    bool closeChild(platform::ChildWindow& window);
    reading::TinboxForm* currentFolderWindow() const { return currentFolderWindow_; }

    // reading::FolderWindowHost
    reading::TinboxForm* findFolderWindow(const std::string& logicalPath) override;
    reading::TinboxForm& openFolderWindow(const std::string& logicalPath, bool show) override;
    void closeReadWindowsOf(const std::string& logicalPath, int row) override;
    void renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) override;
    void folderWindowChanged(reading::TinboxForm& window) override;

    // --- hand-over and mail-to ----------------------------------------------------------------
    // A text handed over by a second start: "justBringToFront" or a mail-to address.
    void receiveHandOver(const std::string& text);
    void mailTo(const std::string& address);

    // Report an error that left a command, as the event loop does.
    void reportError(const std::string& text);

    // --- configuration window -------------------------------------------------------------
    // The Configure menu's entries and the first start: the window on `page`.
    void openConfiguration(profiles::ConfigPage page, bool addFirstProfile = false);
    profiles::TconfigForm* configForm() { return configForm_.get(); }
    // The program that mailto: links start when Velmora is the default mail program.
    void setExecutablePath(std::filesystem::path program) { executablePath_ = std::move(program); }

private:
    void setCaptions();
    void updateToolButtons();
    void buildConfigurationWindow();
    void updateStatusClock();
    // profiles::ConfigEvents
    void optionChanged(profiles::ConfigPage page, const std::string& optionId) override;
    bool hasProfiles() const;
    void restoreSession();
    void restoreFolderWindow(const FolderWindowRecord& record);
    void recordSession(bool trashWasOpen);
    void emptyTrash();
    void deleteSessionFiles();
    void pauseShutdown(int fullMs);
    void addChild(std::unique_ptr<platform::ChildWindow> window, bool show);
    // Where `window` stands in the child order; end() when it is not (or no longer) open.
    std::vector<std::unique_ptr<platform::ChildWindow>>::iterator childSlot(const platform::ChildWindow& window);
    void showAndRestore(platform::ChildWindow& window);
    void rekeyFolderWindows(const std::string& oldLogical, const std::string& newLogical);
    void deleteAllMessages(reading::TinboxForm& window);
    void notifyFrame();
    void notifyTree();
    std::string lastFolderWindowState() const;
    // profiles::ProfileEvents
    void activeProfileChanged(int index) override;
    void profileCountChanged(std::size_t count) override;
    void profileListChanged() override;

    platform::Platform& platform_;
    std::filesystem::path home_;
    StartRequest start_;
    ScreenSize screen_;
    profiles::Settings settings_;
    MainFormView* view_ = nullptr;
    MainFormHooks hooks_;
    profiles::ProfileLists profileLists_;
    SessionState sessionRecords_;
    std::filesystem::path executablePath_ = "velmora";
    std::unique_ptr<profiles::MailHandlerRegistry> mailHandler_;
    std::unique_ptr<profiles::TconfigForm> configForm_;

    std::unique_ptr<store::TMailTree> tree_;
    std::filesystem::path treeSelection_;
    std::vector<std::unique_ptr<platform::ChildWindow>> children_;
    reading::TinboxForm* currentFolderWindow_ = nullptr;
    std::unique_ptr<platform::Timer> startupTimer_;
    std::unique_ptr<platform::Timer> statusClock_;  // date and time panels, every 5 seconds

    std::string applicationTitle_;
    std::string caption_;
    std::array<std::string, 6> statusPanels_{"Status Messages", "INS", "CAP", "Date", "Time", "Spare"};
    std::array<ToolButtonState, kToolButtonCount> toolButtons_;
    FrameGeometry geometry_;
    bool firstRun_ = false;
    bool started_ = false;
    bool shuttingDown_ = false;
    bool spellCheckEnabled_ = true;
    bool composeEnabled_ = true;
};

}  // namespace velmora::core
