#include "reading/folder_window.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <numeric>
#include <system_error>

#include "base/identity.h"
#include "base/text_file.h"
#include "reading/read_windows.h"
#include "store/date_text.h"
#include "store/folder_index.h"
#include "store/folders.h"
#include "store/index_rebuild.h"

namespace velmora::reading {

namespace {

std::string& sharedLastWindowState() {
    static std::string state = "normal";
    return state;
}

std::vector<TinboxForm*>& openWindows() {
    static std::vector<TinboxForm*> windows;
    return windows;
}

double sizeValue(std::string_view text) {
    // The size texts are ours ("12.3"); anything else reads as far as it is a number.
    const std::string copy(text);
    return std::strtod(copy.c_str(), nullptr);
}

int sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

}  // namespace

int compareRows(const store::FolderRow& a, const store::FolderRow& b, store::Column column) {
    switch (column) {
        case store::Column::Status:
            return 0;
        case store::Column::SizeKb: {
            const double x = sizeValue(store::columnText(a.text, column));
            const double y = sizeValue(store::columnText(b.text, column));
            return x < y ? -1 : (x > y ? 1 : 0);
        }
        case store::Column::Date:
            return sign(a.item.sortDate.compare(b.item.sortDate));
        default:
            return sign(
                store::columnText(a.text, column).compare(store::columnText(b.text, column)));
    }
}

TinboxForm::TinboxForm(platform::Platform& platform, std::filesystem::path home,
                       std::string logicalPath, const profiles::Settings& settings,
                       FolderWindowHost& host)
    : platform_(platform),
      home_(std::move(home)),
      logicalPath_(std::move(logicalPath)),
      settings_(settings),
      host_(host) {
    openWindows().push_back(this);
    setKey(store::folderWindowKey(logicalPath_));
    applyLayout();
    previewTimer_ =
        platform_.timers.createTimer(kPreviewDelay, true, [this] { previewTimerFired(); });
    updateCaption();
}

TinboxForm::~TinboxForm() {
    std::erase(openWindows(), this);
}

void TinboxForm::open() {
    indexRebuilt_ = false;
    // Until loading has succeeded the rows are not the folder's, and closing must leave its
    // index file alone (an index too large for memory must not be deleted as empty).
    loadFailed_ = true;
    std::error_code readError;
    const auto index = store::readFolderIndex(indexFile(), readError);
    if (readError) throw std::system_error(readError, "Read folder index " + indexFile().string());
    if (index) {
        rows_ = std::move(index->rows);
        selected_.assign(rows_.size(), false);
        selectedCount_ = 0;
        if (index->damaged) {
            // Keep what was read and add the message files the damaged part listed.
            const auto missing = store::unlistedMessageFiles(directory(), rows_);
            auto rebuilt =
                store::rebuildRows(missing, logicalPath_, settings_.retrieve.dateFormat, platform_);
            for (auto& row : rebuilt.rows) rows_.push_back(std::move(row));
            selected_.assign(rows_.size(), false);
            indexDirty_ = true;
            indexRebuilt_ = true;
        }
    } else if (store::countMessageFiles(directory()) > 0) {
        rebuildFolderIndex();
        indexRebuilt_ = true;
    }
    sortRows();
    if (index) {
        // The window is left on screen before its index is checked against the message files.
        if (countCheckPause_.count() > 0) platform_.pause(countCheckPause_);
        if (checkFolderIndex()) indexRebuilt_ = true;
    }
    renderDateColumn();
    loadFailed_ = false;
    changed();
    if (previewTimer_) previewTimer_->start();  // the current row's preview follows
}

void TinboxForm::setLogicalPath(std::string logicalPath) {
    logicalPath_ = std::move(logicalPath);
    setKey(store::folderWindowKey(logicalPath_));
    updateCaption();
}

void TinboxForm::optionsChanged() {
    changed();
}

void TinboxForm::folderRenamed(const std::string& oldPath, const std::string& newPath) {
    if (auto renamed = store::renamedLogicalPath(logicalPath_, oldPath, newPath)) {
        setLogicalPath(*renamed);
        changed();
    }
}

std::string TinboxForm::folderName() const {
    return settings_.other.shortFolderNames ? store::lastComponent(logicalPath_) : logicalPath_;
}

std::filesystem::path TinboxForm::directory() const {
    return store::folderDirectory(home_, logicalPath_);
}

std::filesystem::path TinboxForm::indexFile() const {
    return store::folderIndexFile(home_, logicalPath_);
}

std::array<std::string, store::kColumnCount> TinboxForm::columns(std::size_t row) const {
    return store::splitRowText(rows_.at(row).text);
}

// --- rows ------------------------------------------------------------------------------------

void TinboxForm::addRow(store::FolderRow row) {
    rows_.push_back(std::move(row));
    selected_.push_back(false);
    indexDirty_ = true;
    changed();
}

void TinboxForm::addRows(std::vector<store::FolderRow> rows) {
    if (rows.empty()) return;
    for (auto& row : rows) rows_.push_back(std::move(row));
    selected_.resize(rows_.size(), false);
    indexDirty_ = true;
    changed();
}

void TinboxForm::removeRow(std::size_t row) {
    removeRows({row});
}

void TinboxForm::removeRows(std::vector<std::size_t> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    while (!rows.empty() && rows.back() >= rows_.size()) rows.pop_back();
    if (rows.empty()) return;
    std::size_t write = 0;
    std::size_t next = 0;
    for (std::size_t read = 0; read < rows_.size(); ++read) {
        if (next < rows.size() && rows[next] == read) {
            if (selected_[read]) --selectedCount_;
            ++next;
            continue;
        }
        if (write != read) {
            rows_[write] = std::move(rows_[read]);
            selected_[write] = selected_[read];
        }
        ++write;
    }
    rows_.resize(write);
    selected_.resize(write);
    indexDirty_ = true;
    clampCurrent();
    const int last = static_cast<int>(rows_.size()) - 1;
    if (firstVisible_ > std::max(0, last)) firstVisible_ = std::max(0, last);
    changed();
}

void TinboxForm::replaceRows(std::vector<store::FolderRow> rows) {
    rows_ = std::move(rows);
    selected_.assign(rows_.size(), false);
    selectedCount_ = 0;
    current_ = -1;
    firstVisible_ = 0;
    indexDirty_ = true;
    changed();
}

// --- sorting -----------------------------------------------------------------------------------

void TinboxForm::setSort(store::Column column, bool descending) {
    sortColumn_ = column;
    sortDescending_ = descending;
}

void TinboxForm::sortRows() {
    const auto before = [this](const store::FolderRow& a, const store::FolderRow& b) {
        const int order = compareRows(a, b, sortColumn_);
        return sortDescending_ ? order > 0 : order < 0;
    };
    // An index is written in list order, so the usual case is a list already in order: checking
    // that first keeps opening a folder linear in its rows.
    bool sorted = true;
    for (std::size_t i = 1; i < rows_.size() && sorted; ++i)
        if (before(rows_[i], rows_[i - 1])) sorted = false;
    if (!sorted) {
        std::vector<std::size_t> order(rows_.size());
        std::iota(order.begin(), order.end(), 0);
        // Each row's key is found once, not at every comparison (a text column means a walk over
        // the row's tabs).
        if (sortColumn_ == store::Column::Status) {
            // All rows compare equal: the order stays.
        } else if (sortColumn_ == store::Column::SizeKb) {
            std::vector<double> keys(rows_.size());
            for (std::size_t i = 0; i < rows_.size(); ++i)
                keys[i] = sizeValue(store::columnText(rows_[i].text, sortColumn_));
            std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
                return sortDescending_ ? keys[a] > keys[b] : keys[a] < keys[b];
            });
        } else {
            std::vector<std::string_view> keys(rows_.size());
            for (std::size_t i = 0; i < rows_.size(); ++i)
                keys[i] = sortColumn_ == store::Column::Date
                              ? std::string_view(rows_[i].item.sortDate)
                              : store::columnText(rows_[i].text, sortColumn_);
            std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
                return sortDescending_ ? keys[a] > keys[b] : keys[a] < keys[b];
            });
        }
        std::vector<store::FolderRow> rows;
        rows.reserve(rows_.size());
        std::vector<bool> selected(rows_.size());
        for (std::size_t i = 0; i < order.size(); ++i) {
            rows.push_back(std::move(rows_[order[i]]));
            selected[i] = selected_[order[i]];
        }
        rows_ = std::move(rows);
        selected_ = std::move(selected);
    }
    selectSortEnd();
}

void TinboxForm::selectSortEnd() {
    if (rows_.empty()) {
        current_ = -1;
        changed();
        return;
    }
    clickRow(sortDescending_ ? 0 : static_cast<int>(rows_.size()) - 1);
}

// --- current row and selection ---------------------------------------------------------------

void TinboxForm::clampCurrent() {
    if (rows_.empty()) {
        current_ = -1;
    } else {
        current_ = std::clamp(current_, 0, static_cast<int>(rows_.size()) - 1);
    }
}

void TinboxForm::setCurrentRow(int row) {
    current_ = row;
    clampCurrent();
    changed();
}

void TinboxForm::clickRow(int row) {
    std::fill(selected_.begin(), selected_.end(), false);
    selectedCount_ = 0;
    current_ = row;
    clampCurrent();
    if (current_ >= 0) {
        selected_[static_cast<std::size_t>(current_)] = true;
        selectedCount_ = 1;
    }
    changed();
}

void TinboxForm::setSelected(std::size_t row, bool selected) {
    if (row >= selected_.size() || selected_[row] == selected) return;
    selected_[row] = selected;
    if (selected) {
        ++selectedCount_;
    } else {
        --selectedCount_;
    }
    changed();
}

std::vector<int> TinboxForm::selectedRows() const {
    std::vector<int> rows;
    rows.reserve(selectedCount_);
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i]) rows.push_back(static_cast<int>(i));
    return rows;
}

void TinboxForm::selectAll() {
    std::fill(selected_.begin(), selected_.end(), true);
    selectedCount_ = selected_.size();
    changed();
}

void TinboxForm::setFirstVisibleRow(int row) {
    firstVisible_ = rows_.empty() ? 0 : std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
}

void TinboxForm::restoreRows(int firstVisible, int selected) {
    setFirstVisibleRow(firstVisible);
    clickRow(selected);
    if (previewTimer_) previewTimer_->start();
}

// --- texts -------------------------------------------------------------------------------------

std::string TinboxForm::statusCountsText() const {
    std::size_t unread = 0;
    for (const auto& r : rows_)
        if (!r.text.empty() && std::toupper(static_cast<unsigned char>(r.text[0])) == 'U') ++unread;
    return "Total [" + folderName() + "] Messages " + std::to_string(rows_.size()) + "/" +
           std::to_string(unread) + " Unread";
}

void TinboxForm::updateCaption() {
    std::string text = caption().rfind("* ", 0) == 0 ? "* " : "";
    text += folderName();
    if (rows_.empty()) {
        text += "   Message 0/0";
    } else if (selectedCount_ >= 2) {
        text += " " + std::to_string(selectedCount_) + " Selected/" + std::to_string(rows_.size());
    } else {
        text += "   Message " + std::to_string(std::max(current_, 0) + 1) + "/" +
                std::to_string(rows_.size());
    }
    if (folderKind() == store::FolderKind::Trash && settings_.other.emptyTrashOnExit)
        text += " (Delete On Exit)";
    setCaption(text);
}

void TinboxForm::changed() {
    updateCaption();
    followCurrentRow();
    host_.folderWindowChanged(*this);
}

// --- index -------------------------------------------------------------------------------------

void TinboxForm::rebuildFolderIndex() {
    auto result = store::rebuildRows(store::listMessageFiles(directory()), logicalPath_,
                                     settings_.retrieve.dateFormat, platform_);
    replaceRows(std::move(result.rows));
    sortRows();
}

bool TinboxForm::checkFolderIndex() {
    if (store::countMessageFiles(directory()) == rows_.size()) return false;
    rebuildFolderIndex();
    return true;
}

void TinboxForm::writeFolderIndex() {
    if (loadFailed_) return;
    const auto file = indexFile();
    std::error_code ec;
    if (rows_.empty()) {
        if (std::filesystem::remove(file, ec) || !ec) {
            indexDirty_ = false;
            return;
        }
        platform_.dialogs.information(kProductName, "Delete file error 200: " + file.string());
        return;
    }
    if (!indexDirty_) return;
    if (auto error = store::writeFolderIndexFile(file, rows_)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName,
                                  "File I/O Error 200\r" + errorText(error) + "\r" + file.string());
        return;
    }
    indexDirty_ = false;
}

void TinboxForm::renderDateColumn() {
    const int format = settings_.retrieve.dateFormat;
    for (auto& row : rows_)
        store::replaceColumn(row.text, store::Column::Date,
                             store::dateText(row.item.mailDate, format));
}

void TinboxForm::onClose() {
    if (closed_) return;
    closed_ = true;
    if (previewTimer_) previewTimer_->stop();
    closeReadWindows(*this);  // they cannot live without their folder window
    if (layoutWrittenOnClose_) writeLayout();
    writeFolderIndex();
}

const std::string& TinboxForm::lastWindowState() {
    return sharedLastWindowState();
}

void TinboxForm::setLastWindowState(std::string state) {
    sharedLastWindowState() = std::move(state);
}

int TinboxForm::openCount() {
    return static_cast<int>(openWindows().size());
}

void TinboxForm::setColumnWidthEverywhere(int column, int width) {
    for (TinboxForm* window : openWindows()) window->setColumnWidth(column, width);
}

}  // namespace velmora::reading
