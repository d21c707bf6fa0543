// The main window model: the frame that holds every other window of the program. It owns the
// folder tree, the child windows (found by their key: "InBox." + logical path for a folder
// window, "Read." + logical path for a read window ...), the captions, the menus, toolbars and
// status bar, start-up in two steps and the shutdown sequence. Windows of other modules take
// part through the window-kind registry (session files, mail-to, start and shutdown) and the
// events of platform::ChildWindow; their commands through the command registry. The Qt widget
// renders it and forwards the user's actions; it is told of changes through MainFormView.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "platform/child_window.h"
#include "platform/commands.h"
#include "platform/menu.h"
#include "platform/new_mail_signals.h"
#include "platform/platform.h"
#include "platform/window_kind.h"
#include "profiles/config_form.h"
#include "profiles/mail_handler.h"
#include "profiles/profile_lists.h"
#include "profiles/profile_menus.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"
#include "store/folder_tree.h"

namespace velmora::compose {
class ComposeWindows;
}
namespace velmora::tools {
class SpellingDictionary;
}

namespace velmora::core {

class MainComposeHost;

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

// The status bar's panels, in their order.
enum class StatusPanel { Messages, Insert, Caps, Date, Time, Spare };
inline constexpr std::size_t kStatusPanelCount = 6;

// How "&Window" arranges the child windows; the frame does the arranging. Fill gives the window
// in front the whole client area, FillAll every window.
enum class Arrangement { ArrangeIcons, Cascade, TileVertically, TileHorizontally, Fill, FillAll };

// The text field that has the focus in the child window in front, for the Edit menu.
struct FocusedText {
    bool canUndo = false;
    bool hasSelection = false;
    bool readOnly = false;
    bool clipboardHasText = false;
};
enum class TextEdit { Undo, Cut, Copy, Paste };

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
    // Shows the configuration window (modal) on a page; with `addFirstProfile` its Users page
    // goes straight to adding a profile. False: no widget, the model runs the window itself.
    virtual bool showConfiguration(profiles::ConfigPage page, bool addFirstProfile) {
        (void)page, (void)addFirstProfile;
        return false;
    }
    virtual void arrangeChildren(Arrangement how) { (void)how; }
    // The focused text field of the child window in front; nullopt when none has the focus.
    virtual std::optional<FocusedText> focusedText() const { return std::nullopt; }
    virtual void editFocusedText(TextEdit edit) { (void)edit; }
    // "E&xit": close the frame, which runs the shutdown.
    virtual void closeFrame() {}
    // Is the application minimized (iconified) just now?
    virtual bool frameMinimized() const { return false; }
};

class AddressBookHooks;

// Help, "&Tip Of The Day".
inline constexpr const char* kTipOfTheDayCommand = "help.tip";
inline constexpr const char* kNoProfileText =
    "No User Profile exists yet: add one with Configure, User Profiles.";

class MainRetrieval;

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
    // The kinds of child window and the commands other modules registered.
    platform::WindowKinds& windowKinds() { return kinds_; }
    platform::Commands& commands() { return commands_; }

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
    // The address books: the Address Books page and what it needs of this window.
    AddressBookHooks& addressBooks() { return *addressBooks_; }
    // The last mail-to address that went to the web-link buffer this run (trimmed; "" none),
    // for the compose windows' "Insert Mail To: Address From Buffer".
    const std::string& capturedMailTo() const { return capturedMailTo_; }
    // The spell check window over `text` with the home folder's dictionary (read at the first
    // check). The text to keep, or nullopt when the user cancelled or there is no dictionary
    // (said in a box). `beforeSending`: without a dictionary the user chooses whether the
    // message goes unchecked (its text comes back) or not.
    std::optional<std::string> spellCheck(const std::string& text, bool beforeSending);
    const std::string& statusPanel(StatusPanel panel) const {
        return statusPanels_[static_cast<std::size_t>(panel)];
    }
    void setStatusText(std::string text);
    void setStatusPanel(StatusPanel panel, std::string text);
    // The INS and CAP panels: " INS" or "OVR" by the insert toggle of the field being typed in,
    // " CAP" or " cap" by Caps Lock. The frame tells after key presses and activation.
    void setKeyIndicators(bool insertOn, bool capsLockOn);
    // The taskbar text; the frame's caption stays.
    void setApplicationTitle(std::string title);
    // A text that, while the status bar is hidden, also stands in the caption after " - " (the
    // automatic check's count-down); empty: none.
    void setCaptionNote(std::string note);
    // The program-wide busy flag: set while mail is retrieved or sent. Profile changes are
    // refused while it is set, and the transfer commands do nothing.
    bool busy() const { return busy_; }
    void setBusy(bool busy);
    // The profile selector and "Change &User Profile": refused (false) while busy.
    bool selectActiveProfile(int index);
    // Tells the frame that menus, toolbar states or selectors changed.
    void refreshFrame() { notifyFrame(); }
    bool frameMinimized() const { return view_ && view_->frameMinimized(); }
    // Retrieval: the sessions, the rules, automatic checking and the New Mail selector.
    MainRetrieval& retrieval() { return *retrieval_; }
    // The tray icon, taskbar attention and desktop notifications of automatic checking; set by
    // the desktop before FormCreate (headless: nothing is shown).
    void setNewMailSignals(platform::NewMailSignals lent);
    const FrameGeometry& geometry() const { return geometry_; }
    void setGeometry(const FrameGeometry& geometry) { geometry_ = geometry; }
    // The menu bar, the main toolbar's buttons and the folder tree's pop-up menu as they stand
    // now (captions, enabled and checked states, commands).
    platform::Menu menuBar();
    platform::Menu toolbar();
    platform::Menu treeMenu();
    int folderTreeWidth() const;
    profiles::Settings& settings() { return settings_; }
    profiles::ProfileLists& profileLists() { return profileLists_; }
    bool spellCheckEnabled() const { return spellCheckEnabled_; }
    bool hasProfiles() const;
    const std::filesystem::path& home() const { return home_; }
    platform::Platform& platform() { return platform_; }

    // View toggles (check marks of the View menu); each is kept in the settings.
    void setToolbarShown(bool shown);
    void setProfileToolbarShown(bool shown);
    void setFolderTreeShown(bool shown);
    void setStatusBarShown(bool shown);
    // "Floating &Tips": the tips of every window on or off ("other.cfg" is written at exit).
    void setFloatingTipsShown(bool shown);

    // --- folder tree --------------------------------------------------------------------------
    store::TMailTree& tree() { return *tree_; }
    void refreshTree();
    // Click or Enter on a node: opens its folder window (or explains why not).
    void treeOpen(const std::filesystem::path& node);
    // Insert / "Create &New Folder" under the selected node.
    void treeCreateFolder(const std::filesystem::path& selected);
    // F2: may this node's label be edited?
    bool treeCanRename(const std::filesystem::path& node) const;
    // A user folder other than the home folder's "Attach", while the folder pane is shown.
    bool treeCanDelete(const std::filesystem::path& node) const;
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
    const std::vector<std::unique_ptr<platform::ChildWindow>>& children() const {
        return children_;
    }
    platform::ChildWindow* findChild(const std::string& key) const;
    void activateChild(platform::ChildWindow& window);
    // Runs the window's close query and, when it agrees, closes and frees it. False when the
    // window stayed open.
    bool closeChild(platform::ChildWindow& window);
    // Closes and frees a child whose close question already ran.
    void freeChild(platform::ChildWindow& window);
    // Called for every child window just before it is freed, so that whoever opened a window
    // of its own kind can forget it.
    void watchChildClosing(std::function<void(platform::ChildWindow&)> listener) {
        closingListeners_.push_back(std::move(listener));
    }
    // The compose windows' shared state, sending and Edit In Compose (openStored).
    compose::ComposeWindows& composeWindows() { return *compose_; }
    reading::TinboxForm* currentFolderWindow() const override { return currentFolderWindow_; }
    // Adds a child window of another module in front of the child order; shown and activated
    // when `show` is set.
    void openChild(std::unique_ptr<platform::ChildWindow> window, bool show);
    // Shows the window (restored when minimized) and activates it.
    void showChild(platform::ChildWindow& window) { showAndRestore(window); }
    // The window's key, caption, state or contents changed: the frame draws it again.
    void childChanged(platform::ChildWindow& window);
    // "Mi&nimize All", "Ma&ximize All", "Cl&ose All".
    void minimizeAll();
    void maximizeAll();
    // "&Fill" (the window in front) and "F&ill All": normal state, the whole client area.
    void fill(bool all);
    void closeAll();

    // reading::FolderWindowHost
    reading::TinboxForm* findFolderWindow(const std::string& logicalPath) override;
    reading::TinboxForm& openFolderWindow(const std::string& logicalPath, bool show) override;
    void closeReadWindowsOf(const std::string& logicalPath, int row) override;
    void renumberReadWindowsAfter(const std::string& logicalPath, int removedRow) override;
    void folderWindowChanged(reading::TinboxForm& window) override;
    platform::ChildWindow& addChildWindow(std::unique_ptr<platform::ChildWindow> window) override;
    void activateChildWindow(platform::ChildWindow& window) override { activateChild(window); }
    bool closeChildWindow(platform::ChildWindow& window) override { return closeChild(window); }
    std::vector<platform::ChildWindow*> childWindows() const override;
    void childWindowChanged(platform::ChildWindow& window) override;
    void setPreviewShown(bool shown) override;
    const platform::Commands& registeredCommands() const override { return commands_; }
    profiles::ProfileLists* userProfiles() override { return &profileLists_; }
    platform::Menu addSenderBooks(const std::string& namePrefix) override;
    platform::Menu harvestEntries(const std::string& namePrefix) override;
    void setFolderListHeight(int height) override { settings_.vl.folderListHeight = height; }
    void homeFoldersChanged() override { refreshTree(); }
    bool quietKeyboard() const override { return settings_.other.quietKeyboard; }

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
    void buildConfigurationWindow();
    void updateStatusClock();
    // profiles::ConfigEvents
    void optionChanged(profiles::ConfigPage page, const std::string& optionId) override;
    void restoreSession();
    void recordSession();
    void emptyTrash();
    void deleteSessionFiles();
    void pauseShutdown(int fullMs);
    void addChild(std::unique_ptr<platform::ChildWindow> window, bool show);
    // Runs the window's close handling, takes it out of the child order and frees it.
    void closeAndFree(platform::ChildWindow& window);
    // The folder window that `window` is, or nullptr.
    reading::TinboxForm* asFolderWindow(const platform::ChildWindow& window) const;
    // A command of the tables: unregistered commands give a disabled entry.
    platform::MenuEntry commandEntry(std::string name, std::string caption, std::string command,
                                     std::string shortcut = "", std::string hint = "",
                                     std::string icon = "");
    platform::Menu editMenu();
    platform::MenuEntry textEditEntry(std::string name, std::string caption, TextEdit edit,
                                      std::string shortcut, bool enabled);
    platform::Menu viewMenu();
    platform::Menu mailMenu();
    platform::MenuEntry composeUsingProfileEntry(const profiles::ProfileMenus& profileMenus);
    platform::MenuEntry sendMessageEntry();
    // The child window in front is a scratch pad: Send, Prev, Next, Reply, Forward and Trash
    // are off.
    bool scratchPadInFront() const;
    // The window the print commands print from (main_printing.cpp), and their caption by it.
    platform::ChildWindow* printTarget() const;
    void registerPrintCommands();
    // The window "spell.check" acts on (main_spelling.cpp): the child window in front when it
    // has a text to check and is not minimized, and the dictionary was found at start-up.
    platform::ChildWindow* spellCheckTarget() const;
    void registerSpellCommands();
    std::string printCaption(const char* fallback) const;
    platform::Menu configureMenu();
    platform::Menu windowMenu();
    platform::Menu helpMenu();
    void showAbout();
    // Help, "&Tip Of The Day", and the start-up tip.
    void showTipOfTheDay();
    platform::Menu userFolderEntries(const store::TMailNode& node);
    platform::Menu retrieveEntries(const std::string& prefix, int profile);
    // Where `window` stands in the child order; end() when it is not (or no longer) open.
    std::vector<std::unique_ptr<platform::ChildWindow>>::iterator childSlot(
        const platform::ChildWindow& window);
    void showAndRestore(platform::ChildWindow& window);
    void deleteAllMessages(reading::TinboxForm& window);
    void notifyFrame();
    void notifyTree();
    std::string lastFolderWindowState() const;
    // profiles::ProfileEvents
    void activeProfileChanged(int index) override;
    void profileCountChanged(std::size_t count) override;
    void profileListChanged() override;
    void openSignatureEditor(const std::string& profileName) override;

    platform::Platform& platform_;
    std::filesystem::path home_;
    StartRequest start_;
    ScreenSize screen_;
    profiles::Settings settings_;
    MainFormView* view_ = nullptr;
    platform::WindowKinds kinds_;
    platform::Commands commands_;
    profiles::ProfileLists profileLists_;
    std::filesystem::path executablePath_ = "velmora";
    std::unique_ptr<profiles::MailHandlerRegistry> mailHandler_;
    std::unique_ptr<profiles::TconfigForm> configForm_;
    std::unique_ptr<AddressBookHooks> addressBooks_;
    std::unique_ptr<MainRetrieval> retrieval_;

    std::unique_ptr<store::TMailTree> tree_;
    std::filesystem::path treeSelection_;
    std::vector<std::unique_ptr<platform::ChildWindow>> children_;
    std::vector<std::function<void(platform::ChildWindow&)>> closingListeners_;
    // The folder windows among the children, which the main window creates itself.
    std::vector<reading::TinboxForm*> folderWindows_;
    reading::TinboxForm* currentFolderWindow_ = nullptr;
    // The Trash window opened at shutdown only to be emptied: it is not recorded.
    const platform::ChildWindow* trashOpenedForEmptying_ = nullptr;
    std::unique_ptr<platform::Timer> startupTimer_;
    std::unique_ptr<platform::Timer> statusClock_;  // date and time panels, every 5 seconds

    std::string applicationTitle_;
    std::string capturedMailTo_;
    std::string caption_;
    std::string captionNote_;
    std::array<std::string, kStatusPanelCount> statusPanels_{
        "Status Messages", "INS", "CAP", "Date", "Time", "Spare"};
    FrameGeometry geometry_;
    bool narrowScreen_ = false;  // under 800 pixels: no Trash and Print buttons
    bool firstRun_ = false;
    bool started_ = false;
    bool shuttingDown_ = false;
    bool busy_ = false;
    bool spellCheckEnabled_ = true;
    std::unique_ptr<tools::SpellingDictionary> dictionary_;
    std::unique_ptr<MainComposeHost> composeHost_;
    std::shared_ptr<compose::ComposeWindows> compose_;
};

}  // namespace velmora::core
