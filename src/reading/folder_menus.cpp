// The folder window's commands on rows (open, delete, remove attachments, Escape, closing the
// OutBox) and its two pop-up menus, with the singular and plural captions and the availability
// of each command by folder kind.
#include <algorithm>

#include "base/identity.h"
#include "base/text_file.h"
#include "profiles/profile_menus.h"
#include "reading/folder_window.h"
#include "reading/read_window.h"
#include "reading/read_windows.h"
#include "reading/transfers.h"
#include "store/folder_tree.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "store/message_transfer.h"

namespace velmora::reading {

namespace fs = std::filesystem;
using store::FolderKind;
namespace cmd = folder_commands;

namespace {

constexpr platform::Milliseconds kOutBoxDeletePause{750};

bool opensInCompose(FolderKind kind) {
    return kind == FolderKind::Drafts || kind == FolderKind::OutBox || kind == FolderKind::Sent;
}

}  // namespace

// --- commands on rows
// -----------------------------------------------------------------------------

void TinboxForm::openSelectedRows() {
    if (rows_.empty()) return;
    if (opensInCompose(folderKind())) {
        const platform::Command* edit = host_.registeredCommands().find(cmd::kEditInCompose);
        if (!edit || !edit->run) {
            platform_.dialogs.information(kProductName,
                                          "Messages of " + folderName() +
                                              " open in a compose window, which is not available "
                                              "in this version.");
            return;
        }
        edit->run();
        return;
    }
    // Each read window's opening may remove a row whose file is missing: by file name, then.
    std::vector<std::string> files;
    for (int row : selectedRows())
        files.push_back(rows_[static_cast<std::size_t>(row)].item.fileName);
    for (const auto& file : files) {
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            if (rows_[i].item.fileName == file) {
                openReadWindow(*this, static_cast<int>(i));
                break;
            }
        }
    }
}

void TinboxForm::afterRowsRemoved() {
    previous_ = current_;
    if (rows_.empty()) {
        clearPreview();
    } else {
        loadPreview();
    }
    changed();
}

void TinboxForm::deleteSelectedRows() {
    if (selectedCount_ == 0) return;
    deleteSelected(*this, host_, platform_);
    afterRowsRemoved();
}

void TinboxForm::removeAttachments() {
    if (folderKind() != FolderKind::Sent || current_ < 0) return;
    mime::TmsMessage* loaded = loadedMessage();
    if (!loaded) return;
    const int row = current_;
    store::FolderRow& target = rows_[static_cast<std::size_t>(row)];
    const std::size_t count = std::max<std::size_t>(
        target.item.attachList.size(), static_cast<std::size_t>(loaded->Attachments().Count()));
    if (count == 0) return;
    const bool one = count == 1;
    if (platform_.dialogs.question(
            one ? "Confirm Attachment Delete" : "Confirm Attachments Delete",
            one ? "This Action Cannot Be Undone.\rAre You Sure You Want To Delete This Attachment?"
                : "This Action Cannot Be Undone.\rAre You Sure You Want To Delete These "
                  "Attachments?",
            platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
        return;
    clickRow(row);

    // The rewritten message is saved first; only when it is safely on disk do the attachment
    // files go, so a failed save leaves the message and its attachments as they were.
    mime::TmsMessage rewritten;
    if (auto error = store::loadMessageFile(
            store::messageFilePath(directory(), target.item.fileName), rewritten)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "Create Error 15579\r" + *error);
        return;
    }
    store::stripPrivateHeaders(rewritten, target.item);
    rewritten.Attachments().Clear();
    rewritten.SetContentType("text/plain");
    store::TObjListViewVLF item = target.item;
    const std::vector<std::string> oldFiles = item.attachList;
    item.attachCount = 0;
    item.attachList.clear();
    item.status = [&] {
        std::string status = item.status;
        const std::string padding = kStatusPadding;
        if (status.size() < padding.size()) status += padding.substr(status.size());
        status[8] = 'D';
        return status;
    }();
    if (auto failure = store::writeMessageFile(rewritten, item, directory(),
                                               store::PrioritySpelling::NewMessage)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "File I/O Error 10351\r" + *failure);
        return;
    }
    for (const auto& file : oldFiles) {
        std::error_code ignored;
        if (store::isStoredAttachmentPath(file) &&
            fs::weakly_canonical(fs::path(file).parent_path(), ignored) ==
                fs::weakly_canonical(directory(), ignored))
            fs::remove(file, ignored);
    }
    target.item = item;
    store::replaceColumn(target.text, store::Column::Status, item.status);
    std::error_code ec;
    const auto size = fs::file_size(store::messageFilePath(directory(), item.fileName), ec);
    if (!ec) store::replaceColumn(target.text, store::Column::SizeKb, store::sizeText(size));
    indexDirty_ = true;

    // A copy of the rewritten message goes to Trash; the Sent row stays.
    TinboxForm& trash = host_.openFolderWindow("Trash", false);
    auto outcome = store::copyStoredMessage(directory(), item, trash.directory(), platform_.clock);
    if (outcome.item) {
        trash.addRow({target.text, std::move(*outcome.item)});
        trash.sortRows();
        trash.setIndexDirty();
        host_.folderWindowChanged(trash);
    } else {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, outcome.failure);
    }
    loadPreview();
    changed();
}

void TinboxForm::escapePressed() {
    host_.closeChildWindow(*this);
}

bool TinboxForm::closeQuery() {
    if (folderKind() == FolderKind::OutBox && !rows_.empty()) return outBoxClosePrompt();
    return true;
}

bool TinboxForm::outBoxClosePrompt() {
    if (rows_.size() > 1) {
        selectAll();
    } else {
        clickRow(0);
    }
    const bool several = selectedCount_ > 1;
    if (state() == platform::WindowState::Minimized)
        setState(lastWindowState() == "max" ? platform::WindowState::Maximized
                                            : platform::WindowState::Normal);
    setVisible(true);
    host_.activateChildWindow(*this);
    platform_.pause(platform::Milliseconds{500});
    platform_.system.beep();
    platform::MsgFormRequest question;
    question.caption = several ? "Send OutBox Messages" : "Send OutBox Message";
    question.lines = {several ? "Do you want to send all of these OutBox messages now?"
                              : "Do you want to send this OutBox message now?",
                      "", "", ""};
    question.thirdCaption = several ? "&Delete All" : "&Delete It";
    const std::string answer = platform_.dialogs.msgForm(question);
    if (answer == platform::kMsgFormDelete) {
        if (platform_.dialogs.question(
                several ? "Confirm OutBox Message Deletions" : "Confirm OutBox Message Deletion",
                several ? "Are You Really Sure You Want To Delete These OutBox Messages?"
                        : "Are You Really Sure You Want To Delete This OutBox Message?",
                platform::Buttons::YesNo, platform::Answer::No) == platform::Answer::Yes) {
            transferSelected(*this, host_.openFolderWindow("Trash", false), kMoveOptions, host_,
                             platform_);
            platform_.pause(kOutBoxDeletePause);
        }
        return true;
    }
    if (answer == platform::kMsgFormYes) {
        const platform::Command* send = host_.registeredCommands().find(cmd::kSendSelected);
        if (send && send->run) {
            send->run();
        } else {
            platform_.dialogs.information(kProductName,
                                          "Sending is not available in this version: the messages "
                                          "stay in OutBox.");
        }
    }
    return true;
}

// --- menus --------------------------------------------------------------------------------------

platform::MenuEntry TinboxForm::commandEntry(std::string name, std::string caption,
                                             const char* command, std::string shortcut) {
    platform::MenuEntry entry(std::move(name), std::move(caption));
    entry.shortcut = std::move(shortcut);
    const platform::Commands& commands = host_.registeredCommands();
    entry.enabled = commands.available(command) && !rows_.empty();
    if (const platform::Command* found = commands.find(command)) entry.command = found->run;
    return entry;
}

bool TinboxForm::replyAllAvailable() {
    mime::TmsMessage* message = loadedMessage();
    return message && (message->CC().Count() > 0 || message->Recipients().Count() > 1);
}

platform::Menu TinboxForm::forwardAndReplyEntries(bool preview) {
    const bool include = settings_.reply.includeOriginal;
    const std::string oppositeText = include ? " (no message text)" : " (with message text)";
    platform::Menu entries;
    entries.push_back(
        commandEntry("popForward", preview ? "&Forward" : "&Foward", cmd::kForward, "F12"));
    entries.push_back(commandEntry("popForwardAbuse", "Forward abuse@", cmd::kForwardAbuse));
    entries.push_back(commandEntry("popReplySender", "Reply To Sender", cmd::kReplySender, "F11"));
    const bool all = replyAllAvailable();
    entries.push_back(commandEntry("popReplyAll", "Reply To All", cmd::kReplyAll));
    entries.back().visible = all;
    entries.push_back(commandEntry("popReplySenderOpposite", "Reply To Sender" + oppositeText,
                                   cmd::kReplySenderOpposite));
    entries.push_back(
        commandEntry("popReplyAllOpposite", "Reply To All" + oppositeText, cmd::kReplyAllOpposite));
    entries.back().visible = all;
    return entries;
}

namespace {

// The folders the selected rows may be moved or copied into, as submenu entries.
platform::Menu folderTargets(TinboxForm& window, const std::string& prefix, bool copy,
                             const store::TMailTree& tree) {
    platform::Menu entries;
    for (const store::TMailNode* node : tree.flatten()) {
        if (!node->isMailFolder()) continue;
        const std::string path = node->logicalPath();
        if (!store::isValidMoveTarget(store::lastComponent(path), window.logicalPath())) continue;
        platform::MenuEntry entry(prefix + std::to_string(entries.size()), path);
        entry.command = [&window, path, copy] {
            if (copy) {
                copySelected(window, path, window.host(), window.platform());
            } else {
                moveSelected(window, path, window.host(), window.platform());
            }
            window.loadPreview();
            window.host().folderWindowChanged(window);
        };
        entries.push_back(std::move(entry));
    }
    return entries;
}

platform::Menu headerModeEntries(TinboxForm& window, bool preview) {
    struct Mode {
        HeaderMode mode;
        const char* listCaption;
        const char* previewCaption;
    };
    constexpr Mode kModes[] = {{HeaderMode::Full, "&Full", "Body Text With F&ull Headers"},
                               {HeaderMode::Normal, "&Normal", "Body Text With &Normal Headers"},
                               {HeaderMode::BodyOnly, "&Body Only", "Body Te&xt Only"}};
    platform::Menu entries;
    for (const Mode& mode : kModes) {
        platform::MenuEntry entry(std::string("popHeaders_") + mode.listCaption[1],
                                  preview ? mode.previewCaption : mode.listCaption);
        entry.checkable = true;
        entry.checked = window.headerMode() == mode.mode;
        const HeaderMode chosen = mode.mode;
        entry.command = [&window, chosen] { window.setHeaderMode(chosen); };
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

platform::MenuEntry TinboxForm::addSenderEntry(const std::string& name) {
    // With one book the entry adds to it; otherwise the books are listed to choose from.
    platform::MenuEntry entry = commandEntry(name, "Add Sender To Address &Book", cmd::kAddSender);
    platform::Menu books = host_.addSenderBooks(name + "_");
    if (books.size() > 1) {
        entry.command = nullptr;
        entry.enabled = books.front().enabled;
        entry.entries = std::move(books);
    }
    return entry;
}

platform::MenuEntry TinboxForm::harvestEntry(const std::string& name) {
    const FolderKind kind = folderKind();
    platform::MenuEntry harvest(name, "&Harvest Addresses");
    harvest.entries = host_.harvestEntries(name + "_");
    harvest.enabled = !harvest.entries.empty();
    harvest.visible = (kind == FolderKind::InBox || kind == FolderKind::User) &&
                      host_.registeredCommands().find(cmd::kHarvest);
    return harvest;
}

platform::MenuEntry TinboxForm::transferEntry(const std::string& name, bool copy,
                                              const store::TMailTree& tree) {
    const bool plural = selectedCount_ >= 2;
    platform::MenuEntry entry(name, copy ? (plural ? "Copy Me&ssages" : "Copy Me&ssage")
                                         : (plural ? "&Move Messages" : "&Move Message"));
    entry.visible = copy || folderKind() != FolderKind::Sent;
    entry.enabled = !rows_.empty() && selectedCount_ > 0;
    entry.entries = folderTargets(*this, name + "To", copy, tree);
    return entry;
}

platform::MenuEntry TinboxForm::deleteEntry(const std::string& name) {
    platform::MenuEntry del(name, selectedCount_ >= 2 ? "&Delete Messages" : "&Delete Message");
    del.enabled = !rows_.empty() && selectedCount_ > 0;
    del.command = [this] { deleteSelectedRows(); };
    return del;
}

platform::MenuEntry TinboxForm::readEntry(const std::string& name) {
    platform::MenuEntry read(name, selectedCount_ >= 2 ? "&Read Messages" : "&Read Message");
    read.visible = !opensInCompose(folderKind());
    read.enabled = !rows_.empty() && selectedCount_ > 0;
    read.command = [this] { openSelectedRows(); };
    return read;
}

platform::MenuEntry TinboxForm::editInComposeEntry(const std::string& name) {
    auto edit = commandEntry(name, "&Edit In Compose", cmd::kEditInCompose);
    edit.visible = opensInCompose(folderKind());
    return edit;
}

platform::Menu TinboxForm::mailMenuEntries(const store::TMailTree& tree) {
    auto addSender = addSenderEntry("mnuMail_AddSender");
    addSender.visible = host_.registeredCommands().find(cmd::kAddSender) != nullptr;
    addSender.enabled = addSender.enabled &&
                        (folderKind() == FolderKind::InBox || folderKind() == FolderKind::User);
    return {
        std::move(addSender),
        harvestEntry("mnuMail_Harvest"),
        transferEntry("mnuMail_Move", false, tree),
        transferEntry("mnuMail_Copy", true, tree),
        deleteEntry("mnuMail_Delete"),
        readEntry("mnuMail_Read"),
        editInComposeEntry("mnuMail_EditInCompose"),
    };
}

platform::Menu TinboxForm::listMenu() {
    const FolderKind kind = folderKind();
    const bool plural = selectedCount_ >= 2;
    const bool none = rows_.empty();
    auto singular = [plural](const char* one, const char* many) {
        return std::string(plural ? many : one);
    };
    const bool replyKinds = kind == FolderKind::InBox || kind == FolderKind::User;
    const platform::Commands& commands = host_.registeredCommands();

    platform::Menu menu;
    platform::MenuEntry preview("popListView_Preview", previewShown()
                                                           ? "H&ide Mail Message Window"
                                                           : "Show Mail Message &Window");
    preview.command = [this] { host_.setPreviewShown(!previewShown()); };
    menu.push_back(std::move(preview));
    menu.push_back(profiles::changeUserProfileMenu(host_.userProfiles(), "popListView_Profile"));
    menu.push_back(platform::MenuEntry::separator());

    auto addSender = addSenderEntry("popListView_AddSender");
    addSender.visible = replyKinds && commands.find(cmd::kAddSender);
    menu.push_back(std::move(addSender));
    menu.push_back(harvestEntry("popListView_Harvest"));

    platform::MenuEntry remove("popListView_RemoveAttachments",
                               singular("Remove Attachment", "Remove Attachments"));
    remove.visible = kind == FolderKind::Sent;
    remove.enabled = !none && current_ >= 0 &&
                     !rows_[static_cast<std::size_t>(current_)].item.attachList.empty();
    remove.command = [this] { removeAttachments(); };
    menu.push_back(std::move(remove));

    store::TMailTree tree(home_);
    tree.refresh();
    menu.push_back(transferEntry("popListView_Move", false, tree));
    menu.push_back(transferEntry("popListView_Copy", true, tree));
    menu.push_back(deleteEntry("popListView_Delete"));
    menu.push_back(readEntry("popListView_Read"));
    platform::MenuEntry selectAllEntry("popListView_SelectAll", "Select All Messa&ges");
    selectAllEntry.shortcut = "Ctrl+A";
    selectAllEntry.enabled = !none;
    selectAllEntry.command = [this] { selectAll(); };
    menu.push_back(std::move(selectAllEntry));
    menu.push_back(platform::MenuEntry::separator());

    const bool sendPlural =
        plural || (kind == FolderKind::OutBox && settings_.send.sendOutBoxTogether);
    std::string sendCaption = sendPlural ? "&Send Messages" : "&Send Message";
    if (kind == FolderKind::Sent) sendCaption += " Again";
    auto send = commandEntry("popListView_Send", sendCaption, cmd::kSendSelected, "F5");
    send.visible = kind == FolderKind::OutBox || kind == FolderKind::Sent;
    menu.push_back(std::move(send));

    for (auto& entry : forwardAndReplyEntries(false)) {
        entry.name = "popListView_" + entry.name.substr(3);
        entry.visible = entry.visible && replyKinds;
        menu.push_back(std::move(entry));
    }
    menu.push_back(editInComposeEntry("popListView_EditInCompose"));

    platform::MenuEntry headers("popListView_Headers", "Display Message Headers");
    headers.entries = headerModeEntries(*this, false);
    menu.push_back(std::move(headers));
    const std::string printing = printCaption();
    menu.push_back(commandEntry("popListView_Print", printing.empty() ? "&Print Message" : printing,
                                cmd::kPrint, "Ctrl+P"));
    menu.push_back(platform::MenuEntry::separator());
    appendWindowEntries(menu, "popListView_");
    return menu;
}

platform::Menu TinboxForm::previewMenu() {
    const FolderKind kind = folderKind();
    const bool replyKinds = kind == FolderKind::InBox || kind == FolderKind::User;
    const bool none = rows_.empty();
    platform::Menu menu;
    platform::MenuEntry hide("popPreview_Hide", "Hide Mail Message &Window");
    hide.command = [this] { host_.setPreviewShown(false); };
    menu.push_back(std::move(hide));
    menu.push_back(profiles::changeUserProfileMenu(host_.userProfiles(), "popPreview_Profile"));
    auto addSender = addSenderEntry("popPreview_AddSender");
    addSender.visible = replyKinds && host_.registeredCommands().find(cmd::kAddSender);
    menu.push_back(std::move(addSender));
    store::TMailTree tree(home_);
    tree.refresh();
    platform::MenuEntry move("popPreview_Move", "&Move Message");
    move.visible = kind != FolderKind::Sent;
    move.enabled = !none;
    move.entries = folderTargets(*this, "popPreview_MoveTo", false, tree);
    menu.push_back(std::move(move));
    platform::MenuEntry copy("popPreview_Copy", "Copy Me&ssage");
    copy.enabled = !none;
    copy.entries = folderTargets(*this, "popPreview_CopyTo", true, tree);
    menu.push_back(std::move(copy));
    platform::MenuEntry del("popPreview_Delete", "&Delete Message");
    del.enabled = !none;
    del.command = [this] { deleteSelectedRows(); };
    menu.push_back(std::move(del));
    platform::MenuEntry read("popPreview_Read", "&Read Message");
    read.visible = !opensInCompose(kind);
    read.enabled = !none;
    read.command = [this] { openSelectedRows(); };
    menu.push_back(std::move(read));
    menu.push_back(platform::MenuEntry::separator());
    for (auto& entry : forwardAndReplyEntries(true)) {
        entry.name = "popPreview_" + entry.name.substr(3);
        entry.visible = entry.visible && replyKinds;
        menu.push_back(std::move(entry));
    }
    auto edit = commandEntry("popPreview_EditInCompose", "&Edit In Compose", cmd::kEditInCompose);
    edit.visible = opensInCompose(kind);
    menu.push_back(std::move(edit));
    for (auto& entry : headerModeEntries(*this, true)) {
        entry.name = "popPreview_" + entry.name.substr(3);
        menu.push_back(std::move(entry));
    }
    platform::MenuEntry clip("popPreview_CopyText", "Copy Message To Clipboard");
    clip.enabled = !previewText_.empty();
    clip.command = [this] { platform_.system.setClipboardText(previewText_); };
    menu.push_back(std::move(clip));
    menu.push_back(platform::MenuEntry::separator());
    appendWindowEntries(menu, "popPreview_");
    return menu;
}

// "Floating &Tips", "Close Window" and "Help", the last entries of both pop-up menus.
void TinboxForm::appendWindowEntries(platform::Menu& menu, const std::string& prefix) {
    const platform::Commands& commands = host_.registeredCommands();
    menu.push_back(platform::commandMenuEntry(commands, prefix + "Tips", "Floating &Tips",
                                              platform::kFloatingTipsCommand));
    platform::MenuEntry close(prefix + "Close", "Close Window");
    close.command = [this] { escapePressed(); };
    menu.push_back(std::move(close));
    menu.push_back(platform::commandMenuEntry(commands, prefix + "Help", "Help", cmd::kHelp));
}

}  // namespace velmora::reading
