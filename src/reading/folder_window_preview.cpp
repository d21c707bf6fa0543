// The folder window's layout file, the preview pane with its 350 ms timer, the row appearance
// and the status marks.
#include <algorithm>

#include "base/identity.h"
#include "base/text_file.h"
#include "reading/folder_window.h"
#include "reading/read_windows.h"
#include "reading/readable_text.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::reading {

// --- layout -------------------------------------------------------------------------------------

std::filesystem::path TinboxForm::layoutFile() const {
    return store::folderLayoutFile(home_, logicalPath_);
}

void TinboxForm::applyLayout() {
    if (auto layout = loadFolderLayout(layoutFile())) {
        layout_ = *layout;
        layoutDirty_ = false;
    } else {
        layout_ = FolderLayout{};
        layoutDirty_ = true;  // a window without a layout file writes one when it closes
    }
    setSort(static_cast<store::Column>(layout_.sortColumn), layout_.sortDescending);
    headerMode_ = headerModeOf(layout_.headerMode);
    switch (layout_.windowState) {
        case 0:
            setState(platform::WindowState::Minimized);
            break;
        case 2:
            setState(platform::WindowState::Maximized);
            break;
        default:
            setState(platform::WindowState::Normal);
            break;
    }
}

void TinboxForm::setColumnWidth(int column, int width) {
    if (column < 0 || column >= store::kColumnCount) return;
    width = std::clamp(width, kMinColumnWidth, kMaxColumnWidth);
    auto& stored = layout_.widths[static_cast<std::size_t>(column)];
    if (stored == width) return;
    stored = width;
    layoutDirty_ = true;
}

void TinboxForm::writeLayout() {
    layout_.sortColumn = static_cast<int>(sortColumn());
    layout_.sortDescending = sortDescending();
    layout_.headerMode = static_cast<int>(headerMode_);
    switch (state()) {
        case platform::WindowState::Minimized:
            layout_.windowState = 0;
            break;
        case platform::WindowState::Maximized:
            layout_.windowState = 2;
            break;
        case platform::WindowState::Normal:
            layout_.windowState = 1;
            break;
    }
    if (auto error = saveFolderLayout(layoutFile(), layout_)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName,
                                  "File I/O Error 100\r" + *error + "\r" + layoutFile().string());
        return;
    }
    layoutDirty_ = false;
}

void TinboxForm::headerClick(int column) {
    if (column < 0 || column >= store::kColumnCount) return;
    const auto chosen = static_cast<store::Column>(column);
    setSort(chosen, chosen == sortColumn() ? !sortDescending() : false);
    layoutDirty_ = true;
    sortRows();
    followSortedRows(*this);
    previous_ = currentRow();
    loadPreview();
    changed();
}

// --- preview ------------------------------------------------------------------------------------

void TinboxForm::setHeaderMode(HeaderMode mode) {
    if (mode != headerMode_) layoutDirty_ = true;
    headerMode_ = mode;
    composePreview();
    changed();
}

void TinboxForm::previewShownChanged() {
    composePreview();
    changed();
}

void TinboxForm::rowClicked(int row) {
    host_.activateChildWindow(*this);
    previous_ = currentRow();
    clickRow(row);
    if (previewTimer_) previewTimer_->start();
}

void TinboxForm::setSelection(const std::vector<int>& rows) {
    std::fill(selected_.begin(), selected_.end(), false);
    selectedCount_ = 0;
    for (int row : rows) {
        if (row < 0 || static_cast<std::size_t>(row) >= selected_.size() ||
            selected_[static_cast<std::size_t>(row)])
            continue;
        selected_[static_cast<std::size_t>(row)] = true;
        ++selectedCount_;
    }
    changed();
}

void TinboxForm::currentRowMoved(int row) {
    if (rows_.empty()) return;
    row = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
    if (row == current_) return;
    previous_ = current_;
    current_ = row;
    if (previewTimer_) previewTimer_->start();
    changed();
}

void TinboxForm::followCurrentRow() {
    if (loadedFile_.empty() || !previewTimer_) return;
    if (current_ < 0 || static_cast<std::size_t>(current_) >= rows_.size()) {
        clearPreview();
        return;
    }
    if (rows_[static_cast<std::size_t>(current_)].item.fileName != loadedFile_ &&
        !previewTimer_->isActive())
        previewTimer_->start();
}

void TinboxForm::previewTimerFired() {
    loadPreview();
    changed();
}

void TinboxForm::clearPreview() {
    loaded_.reset();
    loadedFile_.clear();
    previewText_.clear();
    previewSelection_.reset();
    setSelectedText({});
}

void TinboxForm::setPreviewSelection(std::optional<PreviewSelection> selection) {
    if (selection && selection->start > previewText_.size()) selection.reset();
    if (selection)
        selection->length = std::min(selection->length, previewText_.size() - selection->start);
    previewSelection_ = selection;
    ++previewSelectionSerial_;
    changed();
}

void TinboxForm::focusPreview() {
    ++previewFocusRequests_;
    changed();
}

void TinboxForm::loadPreview() {
    if (previewTimer_) previewTimer_->stop();
    if (current_ < 0 || static_cast<std::size_t>(current_) >= rows_.size()) {
        clearPreview();
        return;
    }
    const store::TObjListViewVLF& item = rows_[static_cast<std::size_t>(current_)].item;
    const auto file = store::messageFilePath(directory(), item.fileName);
    std::error_code ec;
    // Whatever was loaded belonged to another row: it never stands in for this one.
    clearPreview();
    if (!std::filesystem::is_regular_file(file, ec)) return;
    auto message = std::make_unique<mime::TmsMessage>();
    if (auto error = store::loadMessageFile(file, *message)) {
        platform_.dialogs.warning(kProductName,
                                  previewShown() ? *error : "File I/O Error 3012\r" + *error);
        return;
    }
    store::stripPrivateHeaders(*message, item);
    loaded_ = std::move(message);
    loadedFile_ = item.fileName;
    composePreview();
}

void TinboxForm::composePreview() {
    previewText_.clear();
    previewSelection_.reset();
    setSelectedText({});
    if (previewShown()) previewText_ = loadedMessageText();
}

std::string TinboxForm::loadedMessageText() {
    if (!loaded_) return {};
    for (const auto& r : rows_)
        if (r.item.fileName == loadedFile_) return messageText(*loaded_, r.item);
    return {};
}

std::string TinboxForm::messageText(mime::TmsMessage& message, const store::TObjListViewVLF& item) {
    const auto lines =
        readableLines(previewLines(message, item, headerMode_, platform_.dialogs), message);
    return joinLines(wrapLines(lines, wordWrapWidth(settings_.reply.wordWrap)), false);
}

// The selected rows' messages, each on pages of its own; a message that cannot be read is
// said in its place, so the pages still show what was asked for.
std::string TinboxForm::selectedMessagesText() {
    std::string text;
    for (const int r : selectedRows()) {
        const store::TObjListViewVLF& item = rows_[static_cast<std::size_t>(r)].item;
        if (!text.empty()) text += std::string("\r\n") + platform::kPageBreak + "\r\n";
        mime::TmsMessage message;
        if (auto error = store::loadMessageFile(store::messageFilePath(directory(), item.fileName),
                                                message)) {
            text += "This message cannot be read: " + item.fileName + "\r\n" + *error;
            continue;
        }
        store::stripPrivateHeaders(message, item);
        text += messageText(message, item);
    }
    return text;
}

std::string TinboxForm::printCaption() const {
    if (current_ < 0 || static_cast<std::size_t>(current_) >= rows_.size()) return {};
    if (!selectedText().empty()) return "&Print Selected Text";
    return selectedCount_ > 1 ? "&Print Messages" : "&Print Message";
}

std::optional<platform::Printout> TinboxForm::printout() {
    if (printCaption().empty()) return std::nullopt;
    const std::string subject = rows_[static_cast<std::size_t>(current_)].item.subject;
    if (!selectedText().empty()) return platform::Printout{subject, selectedText()};
    if (selectedCount_ > 1)
        return platform::Printout{
            folderName() + " - " + std::to_string(selectedCount_) + " Messages",
            selectedMessagesText()};
    if (!previewText_.empty()) return platform::Printout{subject, previewText_};
    if (!loadedMessage()) return std::nullopt;
    std::string text = loadedMessageText();
    if (text.empty()) return std::nullopt;
    return platform::Printout{subject, std::move(text)};
}

mime::TmsMessage* TinboxForm::loadedMessage() {
    if (current_ < 0 || static_cast<std::size_t>(current_) >= rows_.size()) {
        clearPreview();
        return nullptr;
    }
    if (!loaded_ || loadedFile_ != rows_[static_cast<std::size_t>(current_)].item.fileName)
        loadPreview();
    return loaded_.get();
}

// --- rows appearance --------------------------------------------------------------------------

RowLook TinboxForm::rowLook(std::size_t row) const {
    RowLook look;
    if (row >= rows_.size()) return look;
    const std::string_view status = store::columnText(rows_[row].text, store::Column::Status);
    look.bold = status.empty() || status[0] != 'R';
    look.colour = settings_.retrieve.folderListFont.colour;
    if (status.size() >= 11 && status[10] == 'H') look.colour = settings_.misc.highPriorityColour;
    if (status.size() >= 11 && status[10] == 'L') look.colour = settings_.misc.lowPriorityColour;
    return look;
}

std::optional<std::pair<profiles::Colour, profiles::Colour>> TinboxForm::selectionColours() const {
    if (settings_.retrieve.defaultLightbarColor) return std::nullopt;
    return std::pair{settings_.retrieve.lightbarBackground, settings_.retrieve.lightbarForeground};
}

// --- marks
// ----------------------------------------------------------------------------------------

namespace {

// The row's status, eleven characters long: a shorter one is completed from kStatusPadding.
std::string paddedStatus(std::string status) {
    const std::string padding = kStatusPadding;
    if (status.size() < padding.size()) status += padding.substr(status.size());
    return status;
}

}  // namespace

void TinboxForm::storeStatus(int row, std::string status) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    store::FolderRow& target = rows_[static_cast<std::size_t>(row)];
    if (target.item.status == status) return;
    target.item.status = std::move(status);
    store::replaceColumn(target.text, store::Column::Status, target.item.status);
    if (auto failure = store::restampMessageFile(directory(), target.item)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, *failure);
    }
    indexDirty_ = true;
    changed();
}

void TinboxForm::setStatusLetter(int row, int position, char letter) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size() || position < 1 || position > 11)
        return;
    std::string status = paddedStatus(rows_[static_cast<std::size_t>(row)].item.status);
    status[static_cast<std::size_t>(position - 1)] = letter;
    storeStatus(row, std::move(status));
}

void TinboxForm::markMailMessageRead(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= rows_.size()) return;
    if (rows_[static_cast<std::size_t>(row)].item.status.rfind('R', 0) == 0) return;
    setStatusLetter(row, 1, 'R');
}

void TinboxForm::markMailMessageReplied(int row) {
    setStatusLetter(row, 5, 'R');
}
void TinboxForm::markMailMessageForwarded(int row) {
    setStatusLetter(row, 7, 'F');
}
void TinboxForm::markMailMessageAttachmentMoved() {
    setStatusLetter(current_, 9, 'M');
}
void TinboxForm::markMailMessageAttachmentCopied() {
    setStatusLetter(current_, 9, 'C');
}
void TinboxForm::markMailMessageAttachmentDeleted() {
    setStatusLetter(current_, 9, 'D');
}

void TinboxForm::previewEntered() {
    markMailMessageRead(current_);
    host_.registeredCommands().run(folder_commands::kReadAckPreview);
}

}  // namespace velmora::reading
