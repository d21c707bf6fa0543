#include "reading/read_window.h"

#include <algorithm>

#include "base/identity.h"
#include "base/text_file.h"
#include "profiles/profile_menus.h"
#include "reading/att_save_to_form.h"
#include "reading/attachment_files.h"
#include "reading/folder_window.h"
#include "reading/read_windows.h"
#include "reading/readable_text.h"
#include "reading/transfers.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::reading {

namespace fs = std::filesystem;

int tabOfPage(ReadPage page) {
    switch (page) {
        case ReadPage::Full:
            return 0;
        case ReadPage::Normal:
            return 1;
        case ReadPage::BodyOnly:
            return 2;
        case ReadPage::Attachments:
            return 3;
    }
    return 1;
}

ReadPage pageOfTab(int tab) {
    switch (tab) {
        case 0:
            return ReadPage::Full;
        case 2:
            return ReadPage::BodyOnly;
        case 3:
            return ReadPage::Attachments;
        default:
            return ReadPage::Normal;
    }
}

TreadForm::TreadForm(TinboxForm& owner, int row)
    : host_(owner.host()),
      platform_(owner.platform()),
      ownerPath_(owner.logicalPath()),
      row_(row),
      message_(std::make_unique<mime::TmsMessage>()),
      rowsAtOpening_(owner.rowCount()) {
    setKey(store::readWindowKey(ownerPath_));
    if (row >= 0 && static_cast<std::size_t>(row) < owner.rowCount()) {
        item_ = owner.rows()[static_cast<std::size_t>(row)].item;
        rowFileAtOpening_ = item_.fileName;
    }
}

TreadForm::~TreadForm() = default;

TinboxForm* TreadForm::owner() const {
    return host_.findFolderWindow(ownerPath_);
}

bool TreadForm::load(int failureCode) {
    TinboxForm* folder = owner();
    if (!folder) return false;
    auto message = std::make_unique<mime::TmsMessage>();
    const auto file = store::messageFilePath(folder->directory(), item_.fileName);
    if (auto error = store::loadMessageFile(file, *message)) {
        folder->platform().system.beep();
        folder->platform().dialogs.warning(
            kProductName, "File I/O Error " + std::to_string(failureCode) + "\r" + *error);
        return false;
    }
    store::stripPrivateHeaders(*message, item_);
    message_ = std::move(message);
    fillAttachments();
    composeText();
    updateCaption();
    return true;
}

void TreadForm::fillAttachments() {
    attachments_.clear();
    TinboxForm* folder = owner();
    if (folder)
        for (const auto& path : item_.attachList)
            if (isShownAttachment(path, folder->directory())) attachments_.emplace_back(path);
    attachmentSelected_.assign(attachments_.size(), false);
    currentAttachment_ = attachments_.empty() ? -1
                                              : std::min(std::max(currentAttachment_, 0),
                                                         static_cast<int>(attachments_.size()) - 1);
}

std::string TreadForm::printCaption() const {
    if (text_.empty()) return {};
    return selectedText().empty() ? "&Print Message" : "&Print Selected Text";
}

std::optional<platform::Printout> TreadForm::printout() {
    if (text_.empty()) return std::nullopt;
    return platform::Printout{item_.subject, selectedText().empty() ? text_ : selectedText()};
}

void TreadForm::composeText() {
    text_.clear();
    setSelectedText({});
    TinboxForm* folder = owner();
    if (!folder || page_ == ReadPage::Attachments) return;
    const HeaderMode mode = page_ == ReadPage::Full       ? HeaderMode::Full
                            : page_ == ReadPage::BodyOnly ? HeaderMode::BodyOnly
                                                          : HeaderMode::Normal;
    text_ =
        joinLines(readableLines(readWindowLines(*message_, item_, mode, folder->platform().dialogs),
                                *message_),
                  false);
}

void TreadForm::setCounter(int k) {
    counter_ = k;
    updateCaption();
}

void TreadForm::updateCaption() {
    TinboxForm* folder = owner();
    const int count = folder ? folder->readWindowCount() : 0;
    const std::string rows = folder ? std::to_string(folder->rowCount()) : "0";
    const std::string name = folder ? folder->folderName() : ownerPath_;
    setCaption("Read " + std::to_string(counter_) + "/" + std::to_string(count) + " [" + name +
               " " + std::to_string(row_ + 1) + "/" + rows + "] [" + message_->Subject() + "]");
}

// --- pages -----------------------------------------------------------------------------------

void TreadForm::choosePage(ReadPage page) {
    TinboxForm* folder = owner();
    if (!folder) {
        platform_.dialogs.warning(kProductName, "InBox Assignment Error 0523");
        return;
    }
    page_ = page;
    folder->setReadPage(static_cast<int>(page));
    if (page == ReadPage::Attachments) {
        if (attachmentPageVisits_++ == 0 && !attachments_.empty()) {
            std::fill(attachmentSelected_.begin(), attachmentSelected_.end(), false);
            attachmentSelected_[0] = true;
            currentAttachment_ = 0;
        }
        text_.clear();
        setSelectedText({});
        host_.childWindowChanged(*this);
        if (hasVbScript(attachments_))
            folder->platform().dialogs.warning(kProductName, kVbsWarning);
        return;
    }
    folder->setHeaderMode(static_cast<HeaderMode>(static_cast<int>(page)));
    composeText();
    host_.childWindowChanged(*this);
}

// --- rows ----------------------------------------------------------------------------------------

void TreadForm::setRow(int row) {
    if (TinboxForm* folder = owner()) {
        auto& entries = folder->readWindowRows();
        const auto it = std::find(entries.begin(), entries.end(), row_);
        if (it != entries.end()) *it = row;
    }
    row_ = row;
}

bool TreadForm::showRow(int row) {
    TinboxForm* folder = owner();
    if (!folder || row < 0 || static_cast<std::size_t>(row) >= folder->rowCount()) return false;
    const store::FolderRow& target = folder->rows()[static_cast<std::size_t>(row)];
    std::error_code ec;
    if (!fs::is_regular_file(store::messageFilePath(folder->directory(), target.item.fileName),
                             ec)) {
        // As opening does: the row goes, the folder shows its neighbour.
        openReadWindow(*folder, row);
        return false;
    }
    const store::TObjListViewVLF previousItem = item_;
    const int previousRow = row_;
    setRow(row);
    item_ = target.item;
    if (!load(2084)) {
        setRow(previousRow);
        item_ = previousItem;
        return false;
    }
    rowsAtOpening_ = folder->rowCount();
    rowFileAtOpening_ = item_.fileName;
    attachmentPageVisits_ = 0;
    folder->markMailMessageRead(row);
    item_ = folder->rows()[static_cast<std::size_t>(row)].item;
    if (page_ == ReadPage::Attachments) choosePage(ReadPage::Attachments);
    updateCaption();
    host_.childWindowChanged(*this);
    host_.registeredCommands().run(folder_commands::kReadAckShown);
    return true;
}

void TreadForm::followSortedRow() {
    TinboxForm* folder = owner();
    if (!folder) return;
    for (std::size_t i = 0; i < folder->rowCount(); ++i) {
        if (folder->rows()[i].item.fileName == item_.fileName) {
            setRow(static_cast<int>(i));
            break;
        }
    }
    updateCaption();
}

void TreadForm::deleteMessage() {
    TinboxForm* folder = owner();
    if (!folder) return;
    platform::Platform& platform = folder->platform();
    const std::size_t before = folder->rowCount();
    const std::string logicalPath = folder->logicalPath();
    TinboxForm& trash = folder->folderKind() == store::FolderKind::Trash
                            ? *folder
                            : host_.openFolderWindow("Trash", false);
    leaving_ = true;  // the transfer closes the row's read windows, but not this one
    transferOne(*folder, trash, row_, kDeleteOptions, host_, platform);
    leaving_ = false;
    if (folder->rowCount() == before) return;  // not confirmed, or the copy failed
    folder->loadPreview();
    host_.folderWindowChanged(*folder);

    const auto others = readWindowsOf(host_, logicalPath);
    // Closing frees this window: what follows uses locals only.
    FolderWindowHost& host = host_;
    if (folder->rowCount() == 0) {
        host.closeChildWindow(*this);
        host.activateChildWindow(*folder);
        return;
    }
    if (others.size() > 1) {
        host.closeChildWindow(*this);
        if (auto remaining = readWindowsOf(host, logicalPath); !remaining.empty())
            host.activateChildWindow(*remaining.front());
        return;
    }
    const int next = std::min(row_, static_cast<int>(folder->rowCount()) - 1);
    folder->clickRow(next);
    folder->loadPreview();
    if (!showRow(next)) {
        platform.dialogs.warning(
            kProductName, "File I/O Error 12080\r" + errorText(std::make_error_code(
                                                         std::errc::no_such_file_or_directory)));
    }
}

void TreadForm::escapePressed() {
    host_.closeChildWindow(*this);
}

bool TreadForm::showsFolderRow(const std::string& folderPath, int row) const {
    return !leaving_ && folderPath == ownerPath_ && row == row_;
}

void TreadForm::folderRowRemoved(const std::string& folderPath, int row) {
    if (folderPath != ownerPath_ || row_ <= row) return;
    setRow(row_ - 1);
    updateCaption();
}

void TreadForm::folderRenamed(const std::string& oldPath, const std::string& newPath) {
    if (auto renamed = store::renamedLogicalPath(ownerPath_, oldPath, newPath)) {
        ownerPath_ = *renamed;
        setKey(store::readWindowKey(ownerPath_));
        updateCaption();
    }
}

void TreadForm::onClose() {
    if (closed_) return;
    closed_ = true;
    TinboxForm* folder = owner();
    if (!folder) {
        // The folder window closed first: nothing of it is left to update; the window closes.
        platform_.dialogs.warning(kProductName, "InBox Assignment Error 0190");
        return;
    }
    auto& entries = folder->readWindowRows();
    if (const auto it = std::find(entries.begin(), entries.end(), row_); it != entries.end())
        entries.erase(it);
    leaving_ = true;
    renumberReadWindows(host_, ownerPath_);
}

// --- attachments ---------------------------------------------------------------------------------

std::string TreadForm::attachmentsTabCaption() const {
    return "Attachments [" + std::to_string(attachments_.size()) + "]";
}

bool TreadForm::isAttachmentSelected(std::size_t index) const {
    return index < attachmentSelected_.size() && attachmentSelected_[index];
}

void TreadForm::setAttachmentSelected(std::size_t index, bool selected) {
    if (index < attachmentSelected_.size()) attachmentSelected_[index] = selected;
}

void TreadForm::selectAllAttachments() {
    std::fill(attachmentSelected_.begin(), attachmentSelected_.end(), true);
}

std::size_t TreadForm::selectedAttachmentCount() const {
    return static_cast<std::size_t>(
        std::count(attachmentSelected_.begin(), attachmentSelected_.end(), true));
}

void TreadForm::setCurrentAttachment(int index) {
    if (index >= -1 && index < static_cast<int>(attachments_.size())) currentAttachment_ = index;
}

void TreadForm::openAttachment() {
    TinboxForm* folder = owner();
    if (!folder || currentAttachment_ < 0) return;
    const fs::path file = attachments_[static_cast<std::size_t>(currentAttachment_)];
    platform::Platform& platform = folder->platform();
    // Checked again now: the file may have changed since the list was filled.
    if (!isShownAttachment(file, folder->directory())) return;
    if (isProgramOrLauncher(file) &&
        platform.dialogs.question(kProductName,
                                  "\"" + file.filename().string() +
                                      "\" is a program, script or launcher: opening it may run "
                                      "it.\rOpen it anyway?",
                                  platform::Buttons::YesNo,
                                  platform::Answer::No) != platform::Answer::Yes)
        return;
    if (!platform.system.openWithRegisteredProgram(file))
        platform.dialogs.warning(
            kProductName,
            "Windows does not recognize this attachment file extension.\rTherefore, "
            "it is unable to launch the correct application to view it.");
}

bool TreadForm::inSyncWithOwner(TinboxForm& folder) const {
    return folder.rowCount() == rowsAtOpening_ && row_ >= 0 &&
           static_cast<std::size_t>(row_) < folder.rowCount() &&
           folder.rows()[static_cast<std::size_t>(row_)].item.fileName == rowFileAtOpening_;
}

void TreadForm::deleteAttachmentsAt(const std::vector<std::size_t>& indexes) {
    TinboxForm* folder = owner();
    if (!folder || indexes.empty()) return;
    if (!inSyncWithOwner(*folder)) {
        folder->platform().dialogs.information(
            kProductName,
            "Unable to delete attachment(s).\r" + folder->folderName() +
                " message(s) have been deleted since opening this Read window.\rThe "
                "indexes are no longer in sync.\rClose this Read window, re-open it and "
                "then delete attachments.");
        return;
    }
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        std::error_code ignored;
        if (isShownAttachment(attachments_[*it], folder->directory()))
            fs::remove(attachments_[*it], ignored);
        attachments_.erase(attachments_.begin() + static_cast<std::ptrdiff_t>(*it));
    }
    attachmentSelected_.assign(attachments_.size(), false);
    if (!attachments_.empty()) attachmentSelected_[0] = true;
    currentAttachment_ = attachments_.empty() ? -1 : 0;
    folder->setStatusLetter(row_, 9, 'D');
    item_ = folder->rows()[static_cast<std::size_t>(row_)].item;
    folder->writeFolderIndex();
    folder->clickRow(row_);
    host_.childWindowChanged(*this);
}

void TreadForm::deleteSelectedAttachments() {
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < attachmentSelected_.size(); ++i)
        if (attachmentSelected_[i]) indexes.push_back(i);
    deleteAttachmentsAt(indexes);
}

void TreadForm::deleteAllAttachments() {
    selectAllAttachments();
    deleteSelectedAttachments();
}

void TreadForm::moveAttachments() {
    transferAttachments(true);
}
void TreadForm::copyAttachments() {
    transferAttachments(false);
}

void TreadForm::transferAttachments(bool move) {
    TinboxForm* folder = owner();
    if (!folder) return;
    std::vector<std::size_t> indexes;
    for (std::size_t i = 0; i < attachmentSelected_.size(); ++i)
        if (attachmentSelected_[i]) indexes.push_back(i);
    if (indexes.empty()) return;
    platform::Platform& platform = folder->platform();
    TattSaveToForm dialog(move ? AttachmentAction::Move : AttachmentAction::Copy, indexes.size(),
                          folder->home() / store::kAttachDirectory);
    const auto directory = dialog.run(platform.dialogs);
    if (!directory) return;

    platform.dialogs.showStatus(
        "Please Wait", {move ? "Moving File Attachment" : "Copying File Attachment", "", "", ""});
    bool anyMoved = false;
    bool anyCopied = false;
    for (auto it = indexes.rbegin(); it != indexes.rend(); ++it) {
        const fs::path source = attachments_[*it];
        if (!isShownAttachment(source, folder->directory())) continue;
        if (auto failure = copyAttachmentInto(source, *directory)) {
            platform.dialogs.hideStatus();
            platform.system.beep();
            platform.dialogs.warning(kProductName, "Move File Error 0058\r" + *failure);
            continue;
        }
        anyCopied = true;
        if (move) {
            std::error_code ec;
            fs::remove(source, ec);
            attachments_.erase(attachments_.begin() + static_cast<std::ptrdiff_t>(*it));
            anyMoved = true;
        }
    }
    platform.dialogs.hideStatus();
    attachmentSelected_.assign(attachments_.size(), false);
    if (!attachments_.empty()) attachmentSelected_[0] = true;
    currentAttachment_ = attachments_.empty() ? -1 : 0;
    if (anyMoved) {
        folder->setStatusLetter(row_, 9, 'M');
        folder->writeFolderIndex();
    } else if (anyCopied) {
        folder->setStatusLetter(row_, 9, 'C');
    }
    if (row_ >= 0 && static_cast<std::size_t>(row_) < folder->rowCount())
        item_ = folder->rows()[static_cast<std::size_t>(row_)].item;
    host_.childWindowChanged(*this);
}

// --- pop-up menu ------------------------------------------------------------------------------

platform::Menu TreadForm::popupMenu() {
    namespace cmd = folder_commands;
    TinboxForm* folder = owner();
    platform::Menu menu;
    if (!folder) return menu;
    const platform::Commands& commands = host_.registeredCommands();
    auto command = [&](std::string name, std::string caption, const char* registered) {
        platform::MenuEntry entry(std::move(name), std::move(caption));
        entry.enabled = commands.available(registered);
        if (const platform::Command* found = commands.find(registered)) entry.command = found->run;
        return entry;
    };
    const auto kind = folder->folderKind();
    const bool replies = kind != store::FolderKind::Drafts && kind != store::FolderKind::OutBox &&
                         kind != store::FolderKind::Sent;
    const std::string opposite = folder->settings().reply.includeOriginal ? "no" : "with";
    const bool all = message_->CC().Count() > 0 || message_->Recipients().Count() > 1;
    struct Reply {
        const char* name;
        std::string caption;
        const char* command;
        bool needsAll;
    };
    const Reply kReplies[] = {
        {"popRead_ReplySender", "Reply To &Sender", cmd::kReplySender, false},
        {"popRead_ReplyAll", "Reply To &All", cmd::kReplyAll, true},
        {"popRead_ReplySenderOpposite", "Reply To Sender (" + opposite + " message te&xt)",
         cmd::kReplySenderOpposite, false},
        {"popRead_ReplyAllOpposite", "Reply To All (" + opposite + " &message text)",
         cmd::kReplyAllOpposite, true},
        {"popRead_Forward", "&Forward", cmd::kForward, false},
        {"popRead_ForwardAbuse", "Forward Abuse@", cmd::kForwardAbuse, false}};
    for (const Reply& reply : kReplies) {
        auto entry = command(reply.name, reply.caption, reply.command);
        entry.visible = replies && (!reply.needsAll || all);
        menu.push_back(std::move(entry));
    }
    menu.push_back(platform::MenuEntry::separator());
    menu.push_back(profiles::changeUserProfileMenu(host_.userProfiles(), "popRead_Profile"));
    auto addSender = command("popRead_AddSender", "Add Sender To Address &Book", cmd::kAddSender);
    addSender.visible = replies && commands.find(cmd::kAddSender);
    menu.push_back(std::move(addSender));
    platform::MenuEntry del("popRead_Delete", "&Delete Message");
    del.command = [this] { deleteMessage(); };
    menu.push_back(std::move(del));
    const std::string printing = printCaption();
    menu.push_back(
        command("popRead_Print", printing.empty() ? "&Print Message" : printing, cmd::kPrint));
    platform::MenuEntry clip("popRead_CopyText", "Copy Text To Clip&board");
    clip.enabled = page_ != ReadPage::Attachments;
    clip.command = [this, folder] { folder->platform().system.setClipboardText(text_); };
    menu.push_back(std::move(clip));

    const bool plural = selectedAttachmentCount() >= 2;
    platform::MenuEntry files("popRead_Attachments",
                              attachments_.size() >= 2 ? "F&ile Attachments" : "F&ile Attachment");
    files.enabled = page_ == ReadPage::Attachments && !attachments_.empty();
    platform::MenuEntry moveTo("popRead_MoveTo", "&Move To...");
    moveTo.enabled = selectedAttachmentCount() > 0;
    moveTo.command = [this] { moveAttachments(); };
    platform::MenuEntry copyTo("popRead_CopyTo", "&Copy To...");
    copyTo.enabled = selectedAttachmentCount() > 0;
    copyTo.command = [this] { copyAttachments(); };
    platform::MenuEntry deleteSelected(
        "popRead_DeleteSelected",
        plural ? "Delete &Selected Attachments" : "Delete &Selected Attachment");
    deleteSelected.enabled = selectedAttachmentCount() > 0;
    deleteSelected.command = [this] { deleteSelectedAttachments(); };
    platform::MenuEntry deleteAll("popRead_DeleteAll", "&Delete All Attachments");
    deleteAll.enabled = attachments_.size() >= 2;
    deleteAll.command = [this] { deleteAllAttachments(); };
    files.entries = {moveTo, copyTo, deleteSelected, deleteAll};
    menu.push_back(std::move(files));
    menu.push_back(platform::MenuEntry::separator());
    menu.push_back(platform::commandMenuEntry(commands, "popRead_Tips", "Floating &Tips",
                                              platform::kFloatingTipsCommand));
    platform::MenuEntry close("popRead_Close", "Close Window");
    close.command = [this] { escapePressed(); };
    menu.push_back(std::move(close));
    menu.push_back(
        platform::commandMenuEntry(commands, "popRead_Help", "Help", platform::kHelpCommand));
    return menu;
}

}  // namespace velmora::reading
