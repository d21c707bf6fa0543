#include "reading/folder_window.h"

#include <algorithm>
#include <cctype>

#include "store/folders.h"

namespace velmora::reading {

namespace {

std::string& sharedLastWindowState() {
    static std::string state = "normal";
    return state;
}

std::vector<std::string> splitTabs(const std::string& text) {
    std::vector<std::string> columns;
    std::size_t start = 0;
    for (;;) {
        const auto tab = text.find('\t', start);
        columns.push_back(text.substr(start, tab - start));
        if (tab == std::string::npos) break;
        start = tab + 1;
    }
    columns.resize(6);
    return columns;
}

}  // namespace

FolderKind folderKindOf(const std::string& logicalPath) {
    if (logicalPath == "InBox") return FolderKind::InBox;
    if (logicalPath == "Drafts") return FolderKind::Drafts;
    if (logicalPath == "OutBox") return FolderKind::OutBox;
    if (logicalPath == "Sent") return FolderKind::Sent;
    if (logicalPath == "Trash") return FolderKind::Trash;
    return FolderKind::User;
}

TinboxForm::TinboxForm(ui::Platform& platform, std::filesystem::path home,
                       std::string logicalPath, const profiles::Settings& settings,
                       FolderWindowHost& host)
    : platform_(platform),
      home_(std::move(home)),
      logicalPath_(std::move(logicalPath)),
      settings_(settings),
      host_(host) {
    setKey(store::folderWindowKey(logicalPath_));
    updateCaption();
}

void TinboxForm::open() {
    indexRebuilt_ = false;
    if (!rows_.empty()) setCurrentRow(static_cast<int>(rows_.size()) - 1);
    updateCaption();
}

void TinboxForm::setLogicalPath(std::string logicalPath) {
    logicalPath_ = std::move(logicalPath);
    setKey(store::folderWindowKey(logicalPath_));
    updateCaption();
}

std::string TinboxForm::folderName() const {
    return settings_.other.shortFolderNames ? store::lastComponent(logicalPath_) : logicalPath_;
}

std::filesystem::path TinboxForm::directory() const {
    return store::folderDirectory(home_, logicalPath_);
}

std::vector<std::string> TinboxForm::columns(std::size_t row) const {
    return splitTabs(rows_.at(row).text);
}

void TinboxForm::addRow(store::FolderRow row) {
    rows_.push_back(std::move(row));
    selected_.push_back(false);
    indexDirty_ = true;
    changed();
}

void TinboxForm::removeRow(std::size_t row) {
    if (row >= rows_.size()) return;
    rows_.erase(rows_.begin() + static_cast<long>(row));
    selected_.erase(selected_.begin() + static_cast<long>(row));
    indexDirty_ = true;
    const int last = static_cast<int>(rows_.size()) - 1;
    if (current_ > last) current_ = last;
    if (firstVisible_ > std::max(0, last)) firstVisible_ = std::max(0, last);
    changed();
}

void TinboxForm::setCurrentRow(int row) {
    if (rows_.empty()) {
        current_ = -1;
    } else {
        current_ = std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
    }
    changed();
}

void TinboxForm::clickRow(int row) {
    std::fill(selected_.begin(), selected_.end(), false);
    setCurrentRow(row);
    if (current_ >= 0) selected_[static_cast<std::size_t>(current_)] = true;
    changed();
}

void TinboxForm::setSelected(std::size_t row, bool selected) {
    if (row >= selected_.size()) return;
    selected_[row] = selected;
    changed();
}

std::vector<int> TinboxForm::selectedRows() const {
    std::vector<int> rows;
    for (std::size_t i = 0; i < selected_.size(); ++i)
        if (selected_[i]) rows.push_back(static_cast<int>(i));
    return rows;
}

void TinboxForm::selectAll() {
    std::fill(selected_.begin(), selected_.end(), true);
    changed();
}

void TinboxForm::setFirstVisibleRow(int row) {
    firstVisible_ = rows_.empty() ? 0 : std::clamp(row, 0, static_cast<int>(rows_.size()) - 1);
}

void TinboxForm::restoreRows(int firstVisible, int selected) {
    setFirstVisibleRow(firstVisible);
    clickRow(selected);
}

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
    const std::size_t selectedCount =
        static_cast<std::size_t>(std::count(selected_.begin(), selected_.end(), true));
    if (rows_.empty()) {
        text += "   Message 0/0";
    } else if (selectedCount >= 2) {
        text += " " + std::to_string(selectedCount) + " Selected/" + std::to_string(rows_.size());
    } else {
        text += "   Message " + std::to_string(std::max(current_, 0) + 1) + "/" +
                std::to_string(rows_.size());
    }
    if (folderKind() == FolderKind::Trash && settings_.other.emptyTrashOnExit)
        text += " (Delete On Exit)";
    setCaption(text);
}

void TinboxForm::changed() {
    updateCaption();
    host_.folderWindowChanged(*this);
}

void TinboxForm::onClose() {}

const std::string& TinboxForm::lastWindowState() { return sharedLastWindowState(); }

void TinboxForm::setLastWindowState(std::string state) {
    sharedLastWindowState() = std::move(state);
}

}  // namespace velmora::reading
