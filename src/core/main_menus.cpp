// The main window's menu bar, toolbar and folder-tree menu as tables. Entries whose work belongs
// to another module name its command; until that module registers it, the entry is disabled.
#include <algorithm>

#include "base/identity.h"
#include "compose/compose_windows.h"
#include "compose/reply.h"
#include "core/address_book_hooks.h"
#include "core/main_form.h"
#include "platform/help_requests.h"
#include "profiles/profile_menus.h"
#include "reading/folder_window.h"
#include "store/folders.h"
#include "tools/tips_form.h"

namespace velmora::core {

namespace {

using platform::Menu;
using platform::MenuEntry;

struct DefaultFolderEntry {
    const char* name;
    const char* caption;
    const char* folder;
};
constexpr DefaultFolderEntry kDefaultFolderEntries[] = {
    {"mnuView_DefaultFolders_InBox", "&InBox", "InBox"},
    {"mnuView_DefaultFolders_Drafts", "&Drafts", "Drafts"},
    {"mnuView_DefaultFolders_OutBox", "&OutBox", "OutBox"},
    {"mnuView_DefaultFolders_Sent", "&Sent", "Sent"},
    {"mnuView_DefaultFolders_Trash", "&Trash", "Trash"},
};

// The main toolbar, in its order: name, caption, hint, icon, command.
struct ToolEntry {
    const char* name;
    const char* caption;
    const char* hint;
    const char* icon;
    const char* command;
    bool needsProfile;  // also disabled while no profile exists
};
constexpr ToolEntry kToolEntries[] = {
    {"cmdTBPrev", "Prev", "Cycle To View Previous Read Message Window|", "go-previous",
     "mail.previous", false},
    {"cmdTBNext", "Next", "Cycle To View Next Read Message Window|", "go-next", "mail.next", false},
    {"cmdTBReply", "Reply", "Reply To Sender|", "mail-reply-sender", "reply.sender", false},
    {"cmdTBTrash", "Trash", "Trashcan|", "user-trash", "mail.delete", false},
    {"cmdTBCompose", "Compose", "", "mail-message-new", "compose.new", true},
    {"cmdTBSend", "Send", "Send Current Email Message|", "mail-send", "send.current", false},
    {"cmdTBHeaders", "Headers", "Download Mail Headers Only|", "view-list-details",
     "retrieve.headers", true},
    {"cmdTBCount", "Count", "Retrieve Mail Count & Size Only|", "dialog-information",
     "retrieve.count", true},
    {"cmdTBForward", "Forward", "Forward Mail Message|", "mail-forward", "forward.message", false},
    {"cmdTBPrint", "Print", "Print Selected Mail Message(s)|", "document-print",
     platform::kPrintCommand, false},
    {"cmdTBMessages", "Messages", "", "mail-receive", "retrieve.messages", true},
};

// While a scratch pad is the window in front, the buttons that act on a message are off.
constexpr std::string_view kMessageButtons[] = {"cmdTBSend",  "cmdTBPrev",    "cmdTBNext",
                                                "cmdTBReply", "cmdTBForward", "cmdTBTrash"};

MenuEntry submenu(std::string name, std::string caption, Menu entries) {
    MenuEntry entry{std::move(name), std::move(caption)};
    entry.entries = std::move(entries);
    entry.enabled = !entry.entries.empty();
    return entry;
}

MenuEntry toggle(std::string name, std::string caption, bool checked, std::function<void()> run,
                 std::string shortcut = "") {
    MenuEntry entry{std::move(name), std::move(caption)};
    entry.checkable = true;
    entry.checked = checked;
    entry.command = std::move(run);
    entry.shortcut = std::move(shortcut);
    return entry;
}

MenuEntry action(std::string name, std::string caption, std::function<void()> run,
                 bool enabled = true) {
    MenuEntry entry{std::move(name), std::move(caption)};
    entry.command = std::move(run);
    entry.enabled = enabled;
    return entry;
}

// The current folder window's Mail menu entry "mnuMail_" + `name`; without a current folder
// window a disabled entry of that caption.
MenuEntry folderMailEntry(const Menu& folderEntries, const std::string& name, const char* caption) {
    const std::string wanted = "mnuMail_" + name;
    for (const MenuEntry& entry : folderEntries)
        if (entry.name == wanted) return entry;
    MenuEntry missing{wanted, caption};
    missing.enabled = false;
    return missing;
}

}  // namespace

MenuEntry TmainForm::composeUsingProfileEntry(const profiles::ProfileMenus& profileMenus) {
    MenuEntry entry{"mnuMail_ComposeUsingProfile", "Compose Using Profile"};
    const bool composing = commands_.available("compose.new");
    for (std::size_t i = 0; i < profileMenus.composeUsingProfile.size(); ++i) {
        const std::string name = profileLists_.record(i).profileName;
        MenuEntry profile = action(
            "mnuMail_ComposeUsingProfile_" + std::to_string(i),
            profileMenus.composeUsingProfile[i].caption,
            [this, name] { compose_->composeUsingProfile(name); }, composing);
        entry.entries.push_back(std::move(profile));
    }
    entry.enabled = profileMenus.composeUsingProfileEnabled && composing;
    return entry;
}

MenuEntry TmainForm::commandEntry(std::string name, std::string caption, std::string command,
                                  std::string shortcut, std::string hint, std::string icon) {
    MenuEntry entry =
        platform::commandMenuEntry(commands_, std::move(name), std::move(caption), command);
    if (!hint.empty()) entry.hint = std::move(hint);
    entry.icon = std::move(icon);
    entry.shortcut = std::move(shortcut);
    return entry;
}

Menu TmainForm::menuBar() {
    Menu file{
        commandEntry("mnuFile_Print", printCaption("&Print"), platform::kPrintCommand),
        commandEntry("mnuFile_PrinterSetup", "Pri&nter Setup", "printerSetup"),
        commandEntry("mnuFile_ImportText", "Compose - &Import ASCII Text File",
                     "compose.importText"),
        submenu("mnuFile_BackupAddressBooks", "&Backup Address Books",
                addressBooks_->page().backupMenu()),
        MenuEntry::separator(),
        action("mnuFile_Exit", "E&xit",
               [this] {
                   if (view_) view_->closeFrame();
               }),
    };
    return {
        submenu("mnuFile", "&File", std::move(file)),
        submenu("mnuEdit", "&Edit", editMenu()),
        submenu("mnuView", "&View", viewMenu()),
        submenu("mnuMail", "&Mail", mailMenu()),
        submenu("mnuConfigure", "&Configure", configureMenu()),
        submenu("mnuWindow", "&Window", windowMenu()),
        submenu("mnuHelp", "&Help", helpMenu()),
    };
}

MenuEntry TmainForm::textEditEntry(std::string name, std::string caption, TextEdit edit,
                                   std::string shortcut, bool enabled) {
    MenuEntry entry = action(
        std::move(name), std::move(caption),
        [this, edit] {
            if (view_) view_->editFocusedText(edit);
        },
        enabled);
    entry.shortcut = std::move(shortcut);
    return entry;
}

Menu TmainForm::editMenu() {
    // Undo, cut, copy and paste act on the focused text field of the child window in front;
    // without one, all four are off.
    const std::optional<FocusedText> found =
        view_ && !children_.empty() ? view_->focusedText() : std::nullopt;
    const FocusedText field = found.value_or(FocusedText{});
    const bool editable = found.has_value() && !field.readOnly;
    return {
        commandEntry("mnuEdit_Find", "&Find", "search.find", "Ctrl+F"),
        commandEntry("mnuEdit_SpellCheck", "Spell Check Te&xt", "spell.check", "Ctrl+F7"),
        MenuEntry::separator(),
        textEditEntry("mnuEdit_Undo", "&Undo", TextEdit::Undo, "Ctrl+Z", editable && field.canUndo),
        textEditEntry("mnuEdit_Cut", "Cu&t", TextEdit::Cut, "Ctrl+X",
                      editable && field.hasSelection),
        textEditEntry("mnuEdit_Copy", "&Copy", TextEdit::Copy, "Ctrl+C", field.hasSelection),
        textEditEntry("mnuEdit_Paste", "&Paste", TextEdit::Paste, "Ctrl+V",
                      editable && field.clipboardHasText),
    };
}

Menu TmainForm::viewMenu() {
    const auto& vl = settings_.vl;
    Menu defaults;
    for (const auto& e : kDefaultFolderEntries) {
        const std::string folder = e.folder;
        defaults.push_back(toggle(e.name, e.caption, isFolderWindowOpen(folder),
                                  [this, folder] { openDefaultFolder(folder); }));
    }
    defaults.push_back(
        action("mnuView_DefaultFolders_All", "&All", [this] { openAllDefaultFolders(); }));
    Menu user = userFolderEntries(tree_->root());
    if (user.empty()) user.push_back(action("mnuView_UserFolders_None", "(none)", nullptr, false));
    Menu scratchPad{
        commandEntry("mnuView_ScratchPad_New", "&New", "scratch.new"),
        commandEntry("mnuView_ScratchPad_Open", "&Open", "scratch.open"),
        commandEntry("mnuView_ScratchPad_Save", "&Save", "scratch.save"),
        commandEntry("mnuView_ScratchPad_Close", "&Close", "scratch.close"),
    };
    return {
        submenu("mnuView_ScratchPad", "&Scratch Pad", std::move(scratchPad)),
        commandEntry("mnuView_RulesFilters", "&Rules && Filters", "rules.show"),
        commandEntry("mnuView_JpegViewer", "&JPEG Viewer", "view.jpegViewer"),
        MenuEntry::separator(),
        toggle("mnuView_Toolbar", "&Toolbar", vl.toolbarShown,
               [this] { setToolbarShown(!settings_.vl.toolbarShown); }),
        toggle("mnuView_UserProfile", "&User Profile", vl.profileToolbarShown,
               [this] { setProfileToolbarShown(!settings_.vl.profileToolbarShown); }),
        toggle(
            "mnuView_Folders", "&Folders", vl.folderTreeShown,
            [this] { setFolderTreeShown(!settings_.vl.folderTreeShown); }, "F10"),
        toggle("mnuView_StatusBar", "&Status Bar", vl.statusBarShown,
               [this] { setStatusBarShown(!settings_.vl.statusBarShown); }),
        MenuEntry::separator(),
        commandEntry("mnuView_Headers", "&Headers", "headers.show"),
        submenu("mnuView_DefaultFolders", "&Default Folders", std::move(defaults)),
        submenu("mnuView_UserFolders", "&User Defined Folders", std::move(user)),
        MenuEntry::separator(),
        commandEntry("mnuView_FloatingTips", "Floating &Tips", platform::kFloatingTipsCommand),
    };
}

Menu TmainForm::userFolderEntries(const store::TMailNode& node) {
    Menu entries;
    for (const auto& child : node.children) {
        if (!child->isUserNode() || !child->isMailFolder()) continue;
        const std::string logical = child->logicalPath();
        const std::string name = "mnuView_UserFolders_" + logical;
        if (child->hasChildren()) {
            entries.push_back(submenu(name, child->label, userFolderEntries(*child)));
            continue;
        }
        entries.push_back(toggle(name, child->label, isFolderWindowOpen(logical),
                                 [this, logical] { openFolderWindow(logical, true); }));
    }
    return entries;
}

// The five retrieve entries; for a profile of "Retrieve &Via User Profile" (`profile` >= 0)
// each makes that profile the active one first and has no shortcut.
Menu TmainForm::retrieveEntries(const std::string& prefix, int profile) {
    struct RetrieveEntry {
        const char* name;
        const char* caption;
        const char* command;
        const char* shortcut;
    };
    static constexpr RetrieveEntry kEntries[] = {
        {"Count", "&Count", "retrieve.count", ""},
        {"Headers", "&Headers", "retrieve.headers", "F2"},
        {"All", "Messages - &All", "retrieve.all", "F3"},
        {"Filtered", "Messages - Size &Filtered", "retrieve.filtered", ""},
        {"", "-", "", ""},
        {"DeleteOnServer", "Delete Mail On Server", "retrieve.deleteOnServer", ""},
    };
    Menu entries;
    for (const RetrieveEntry& e : kEntries) {
        if (std::string_view(e.caption) == "-") {
            entries.push_back(MenuEntry::separator());
            continue;
        }
        MenuEntry entry =
            commandEntry(prefix + e.name, e.caption, e.command, profile < 0 ? e.shortcut : "");
        if (profile >= 0 && entry.command &&
            std::string_view(e.command) != "retrieve.deleteOnServer") {
            entry.command = [this, profile, command = e.command] {
                if (selectActiveProfile(profile)) commands_.run(command);
            };
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

Menu TmainForm::mailMenu() {
    const profiles::ProfileMenus profileMenus = profiles::buildProfileMenus(profileLists_);
    Menu retrieve = retrieveEntries("mnuMail_Retrieve_", -1);
    Menu via;
    for (std::size_t i = 0; i < profileMenus.retrieveVia.size(); ++i) {
        const std::string name = "mnuMail_RetrieveVia_" + std::to_string(i);
        via.push_back(submenu(name, profileMenus.retrieveVia[i].caption,
                              retrieveEntries(name + "_", static_cast<int>(i))));
    }
    MenuEntry viaEntry =
        submenu("mnuMail_RetrieveVia", "Retrieve &Via User Profile", std::move(via));
    viaEntry.enabled = profileMenus.retrieveViaEnabled;
    Menu change;
    for (std::size_t i = 0; i < profileMenus.changeUserProfile.size(); ++i) {
        const int index = static_cast<int>(i);
        change.push_back(toggle("mnuMail_ChangeUserProfile_" + std::to_string(i),
                                profileMenus.changeUserProfile[i].caption,
                                profileMenus.changeUserProfile[i].checked,
                                [this, index] { selectActiveProfile(index); }));
    }
    MenuEntry changeEntry =
        submenu("mnuMail_ChangeUserProfile", "Change &User Profile", std::move(change));
    changeEntry.enabled = profileMenus.changeUserProfileEnabled;
    MenuEntry retrieveEntry =
        submenu("mnuMail_Retrieve", profileMenus.retrieveCaption, std::move(retrieve));
    retrieveEntry.enabled = hasProfiles();
    MenuEntry compose = commandEntry("mnuMail_Compose", "&Compose", "compose.new", "F4");
    compose.enabled = compose.enabled && hasProfiles();
    // The current folder window's own entries, so that captions and states follow its rules.
    const Menu folderEntries =
        currentFolderWindow_ ? currentFolderWindow_->mailMenuEntries(*tree_) : Menu{};
    auto fromFolder = [&](const char* name, const char* caption) {
        return folderMailEntry(folderEntries, name, caption);
    };
    // Delete acts on the read window in front, else on the folder window's selected rows.
    const bool readInFront = !children_.empty() && children_.front()->kind() == "Read";
    const std::string deleteCaption =
        readInFront ? "&Delete Message" : fromFolder("Delete", "&Delete Message").caption;
    MenuEntry del = commandEntry("mnuMail_DeleteMessage", deleteCaption, "mail.delete");
    Menu menu{
        std::move(retrieveEntry),
        std::move(viaEntry),
        std::move(changeEntry),
        MenuEntry::separator(),
        fromFolder("AddSender", "Add Sender To Address &Book"),
        action("mnuMail_BuildMailingList", "Build Mailing &List  (Address Book)",
               [this] { openConfiguration(profiles::ConfigPage::AddressBooks); }),
        fromFolder("Harvest", "&Harvest Addresses"),
        MenuEntry::separator(),
        std::move(compose),
        composeUsingProfileEntry(profileMenus),
        MenuEntry::separator(),
        fromFolder("Move", "&Move Message"),
        fromFolder("Copy", "Copy Me&ssage"),
        std::move(del),
        fromFolder("Read", "&Read Message"),
        commandEntry("mnuMail_SelectAll", "Select All Messa&ges", "mail.selectAll", "Ctrl+A"),
        MenuEntry::separator(),
    };
    // Replying and forwarding, with the "from different profile" submenus (compose/reply.h).
    const store::FolderKind current =
        currentFolderWindow_ ? currentFolderWindow_->folderKind() : store::FolderKind::InBox;
    const bool answerable =
        current == store::FolderKind::InBox || current == store::FolderKind::User;
    for (auto& entry : compose::replyMenuEntries(commands_, profileLists_,
                                                 settings_.reply.includeOriginal, answerable))
        menu.push_back(std::move(entry));
    for (auto& entry : Menu{
             MenuEntry::separator(),
             sendMessageEntry(),
             fromFolder("EditInCompose", "&Edit In Compose"),
             commandEntry("mnuMail_Previous", "< Previo&us", "mail.previous", "F6"),
             commandEntry("mnuMail_Next", "&Next >", "mail.next", "F7"),
             MenuEntry::separator(),
             commandEntry("mnuMail_AutoMailCheck", "&Auto-Mail Check", "autoCheck.toggle"),
             commandEntry("mnuMail_PrintMessage", printCaption("&Print Message"),
                          platform::kPrintCommand),
         })
        menu.push_back(std::move(entry));
    return menu;
}

MenuEntry TmainForm::sendMessageEntry() {
    MenuEntry entry = commandEntry("mnuMail_SendMessage", "&Send Message", "send.current", "F5");
    if (scratchPadInFront()) entry.enabled = false;
    return entry;
}

Menu TmainForm::configureMenu() {
    // "&Settings/&Mail/&Retrieve (POP3)": the parts before the last name are submenus.
    Menu menu;
    for (const auto& e : profiles::kConfigureMenu) {
        Menu* level = &menu;
        std::string path = e.path;
        std::string name = "mnuConfigure";
        for (auto slash = path.find('/'); slash != std::string::npos; slash = path.find('/')) {
            const std::string part = path.substr(0, slash);
            path.erase(0, slash + 1);
            name += "_" + part;
            auto it = std::find_if(level->begin(), level->end(),
                                   [&](const MenuEntry& m) { return m.caption == part; });
            if (it == level->end()) {
                level->push_back({name, part});
                it = level->end() - 1;
            }
            level = &it->entries;
        }
        const profiles::ConfigPage page = e.page;
        MenuEntry entry =
            action(name + "_" + path, path, [this, page] { openConfiguration(page); });
        entry.shortcut = e.shortcut;
        level->push_back(std::move(entry));
    }
    return menu;
}

Menu TmainForm::windowMenu() {
    const bool any = !children_.empty();
    auto arrange = [this](Arrangement how) {
        return [this, how] {
            if (view_ && !children_.empty()) view_->arrangeChildren(how);
        };
    };
    return {
        action("mnuWindow_ArrangeIcons", "&Arrange Icons", arrange(Arrangement::ArrangeIcons), any),
        action("mnuWindow_Cascade", "&Cascade", arrange(Arrangement::Cascade), any),
        action("mnuWindow_TileVertically", "Tile &Vertically", arrange(Arrangement::TileVertically),
               any),
        action("mnuWindow_TileHorizontally", "Tile &Horizontally",
               arrange(Arrangement::TileHorizontally), any),
        action(
            "mnuWindow_Fill", "&Fill", [this] { fill(false); }, any),
        action(
            "mnuWindow_FillAll", "F&ill All", [this] { fill(true); }, any),
        action(
            "mnuWindow_MinimizeAll", "Mi&nimize All", [this] { minimizeAll(); }, any),
        action(
            "mnuWindow_MaximizeAll", "Ma&ximize All", [this] { maximizeAll(); }, any),
        action(
            "mnuWindow_CloseAll", "Cl&ose All", [this] { closeAll(); }, any),
    };
}

Menu TmainForm::helpMenu() {
    // The maker's addresses and its web site are not part of this program yet: their entries
    // name commands nobody registers, and so stay disabled.
    auto topic = [this](int number) {
        return [this, number] { platform::showHelpTopic(platform_, number); };
    };
    namespace topics = platform::help_topic;
    return {
        action("mnuHelp_Help", "&Help", topic(topics::kContents)),
        action("mnuHelp_FAQ", "&Frequently Asked Questions", topic(topics::kQuestions)),
        action("mnuHelp_ContactUs", "&Contact Us", topic(topics::kContact)),
        MenuEntry::separator(),
        commandEntry("mnuHelp_EmailSupport", "&Email Technical Support", "help.emailSupport"),
        commandEntry("mnuHelp_EmailComments", "E&mail Comments", "help.emailComments"),
        commandEntry("mnuHelp_Website", "Velmora Pro &Website", "help.website"),
        MenuEntry::separator(),
        commandEntry("mnuHelp_TipOfTheDay", "&Tip Of The Day", kTipOfTheDayCommand),
        action("mnuHelp_About", "&About...", [this] { showAbout(); }),
    };
}

void TmainForm::showTipOfTheDay() {
    tools::TtipsForm form(platform_, home_, settings_.tips);
    form.show();
}

void TmainForm::showAbout() {
    platform_.dialogs.information(
        std::string("About ") + kProductName,
        std::string(kVersionedName) +
            "\r\rA mail client for POP3 and SMTP.\rMail folders: " + home_.string());
}

bool TmainForm::scratchPadInFront() const {
    return !children_.empty() && children_.front()->kind() == "ScratchPad";
}

Menu TmainForm::toolbar() {
    Menu buttons;
    for (const ToolEntry& t : kToolEntries) {
        MenuEntry entry = commandEntry(t.name, t.caption, t.command, "", t.hint, t.icon);
        if (t.needsProfile && !hasProfiles()) entry.enabled = false;
        const std::string_view name = t.name;
        if (scratchPadInFront() && std::find(std::begin(kMessageButtons), std::end(kMessageButtons),
                                             name) != std::end(kMessageButtons))
            entry.enabled = false;
        if (narrowScreen_ && (name == "cmdTBTrash" || name == "cmdTBPrint")) entry.visible = false;
        buttons.push_back(std::move(entry));
    }
    return buttons;
}

Menu TmainForm::treeMenu() {
    // Expanding and collapsing are the tree widget's own; the rest act on the selected node.
    return {
        {"mnuTree_Expand", "&Expand"},
        {"mnuTree_Collapse", "&Collapse"},
        action("mnuTree_CreateFolder", "Create &New Folder",
               [this] { treeCreateFolder(treeSelection_); }),
        action("mnuTree_EditName", "Edit Folder &Name", nullptr, treeCanRename(treeSelection_)),
        action(
            "mnuTree_DeleteFolder", "&Delete Folder", [this] { treeDelete(treeSelection_); },
            treeCanDelete(treeSelection_)),
        action("mnuTree_HidePane", "H&ide Folder Pane", [this] { setFolderTreeShown(false); }),
        commandEntry("mnuTree_FloatingTips", "Floating &Tips", platform::kFloatingTipsCommand),
        action("mnuTree_Help", "&Help",
               [this] { platform::showHelpTopic(platform_, platform::help_topic::kContents); }),
    };
}

platform::Menu TmainForm::addSenderBooks(const std::string& namePrefix) {
    return addressBooks_->addSenderBooks(namePrefix);
}

platform::Menu TmainForm::harvestEntries(const std::string& namePrefix) {
    return addressBooks_->harvestEntries(namePrefix);
}

void TmainForm::openAllDefaultFolders() {
    for (const auto& e : kDefaultFolderEntries) openFolderWindow(e.folder, true);
}

}  // namespace velmora::core
