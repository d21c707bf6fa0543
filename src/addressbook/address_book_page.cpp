// The page's life and its book commands.
#include "addressbook/address_book_page.h"

#include <algorithm>

#include "addressbook/book_names.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::addressbook {

namespace {
constexpr const char* kNewBookCaption = "Add New Address Book";
constexpr const char* kEditBookCaption = "Edit Address Book Name";
constexpr const char* kBookPrompt = "Enter Address Book Name";
}  // namespace

AddressBooksPage::AddressBooksPage(platform::Platform& platform, std::filesystem::path home,
                                   AddressBookEvents* events)
    : platform_(platform), events_(events), books_(std::move(home)) {}

void AddressBooksPage::info(const std::string& text) {
    platform_.dialogs.information(kProductName, text);
}

void AddressBooksPage::warnWrite(const std::error_code& ec) {
    platform_.system.beep();
    platform_.dialogs.warning(kProductName, std::string(kFileIoError) + "\r" + errorText(ec));
}

void AddressBooksPage::tellBooksChanged() {
    if (events_) events_->booksChanged();
}

void AddressBooksPage::loadAtStartup() {
    books_.readList();
    // A listed book without any file is dropped for good; an unreadable one stays listed.
    for (const std::string& name : books_.names()) {
        if (findBookFile(books_.home(), name)) continue;
        platform_.system.beep();
        info("Address Book '" + name + kBookExtension + "'" +
             " was not found - skipping that file.");
        books_.forget(name);
        if (std::error_code ec = books_.writeList()) warnWrite(ec);
    }
    for (const BookInfo& b : books_.books()) {
        BookReadResult r = books_.readBook(b.name);
        books_.setCount(b.name, r.readable ? static_cast<int>(r.entries.size()) : 0);
        if (!r.readable) {
            platform_.system.beep();
            platform_.dialogs.warning(kProductName,
                                      "Load From File Error 6498\r"
                                      "Address Book '" +
                                          b.name + "' " + r.problem + ".");
        }
    }
    config_ = readAddBookConfig(books_.home());
    configChanged_ = false;
    if (books_.books().empty()) return;
    const std::size_t pick = static_cast<std::size_t>(config_.selectedBook) < books_.books().size()
                                 ? static_cast<std::size_t>(config_.selectedBook)
                                 : 0;
    const int entry = config_.selectedEntry;
    selectBook(books_.books()[pick].name);
    if (entry > 0 && entry < rowCount()) selectOnly(entry);
}

void AddressBooksPage::enterPage() {
    typeAheadLabel_ = kTypeAheadReady;
}

void AddressBooksPage::leavePage() {
    if (books_.changes() > 0 && !books_.loadedName().empty()) {
        storeEntry();
        if (saveLoadedBook()) {
            tellBooksChanged();
            if (std::error_code ec = books_.writeList()) warnWrite(ec);
            if (events_)
                events_->showStatus("[" + books_.loadedName() + "] Address Book Was Saved");
        }
    } else if (events_) {
        events_->showStatus("No Address Book Was Saved");
    }
    if (configChanged_) writeConfig();
}

void AddressBooksPage::writeConfig() {
    config_.selectedBook = std::max(0, books_.indexOf(books_.loadedName()));
    config_.selectedEntry = std::max(0, current_);
    if (std::error_code ec = writeAddBookConfig(books_.home(), config_)) {
        warnWrite(ec);
        return;
    }
    configChanged_ = false;
}

std::string AddressBooksPage::bookLabel() const {
    const int at = books_.indexOf(books_.loadedName());
    return "Address Book " + std::to_string(at + 1) + " of " +
           std::to_string(books_.books().size());
}

bool AddressBooksPage::saveLoadedBook() {
    if (std::error_code ec = books_.saveLoaded()) {
        warnWrite(ec);
        return false;
    }
    return true;
}

bool AddressBooksPage::selectBook(const std::string& name) {
    if (!books_.contains(name)) return false;
    if (buildMode_) setBuildMode(false);
    if (books_.changes() > 0 && !books_.loadedName().empty()) {
        storeEntry();
        if (!saveLoadedBook()) return false;  // the changes stay, the old book stays loaded
    }
    const BookReadResult r = books_.load(name);
    if (!r.exists) {
        info("Address Book '" + name + kBookExtension + "'" + " was not found.");
    } else if (!r.readable) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "Load From File Error 6498\rAddress Book '" + name +
                                                    "' " + r.problem + ".");
    } else if (!r.complete) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "Load From File Error 6498\rAddress Book '" + name +
                                                    "' was not read whole: " + r.problem +
                                                    ". The file is kept as '" + name +
                                                    ".abk.damaged' when the book is saved.");
    }
    afterLoad();
    configChanged_ = true;
    writeConfig();
    tellBooksChanged();
    return true;
}

void AddressBooksPage::afterLoad() {
    buildMode_ = false;
    buildTarget_ = -1;
    typeAhead_.clear();
    typeAheadStart_ = 0;
    // The old book's rows mean nothing in the new one.
    selection_.clear();
    current_ = -1;
    sortEntries();
    if (rowCount() > 0)
        selectOnly(0);
    else
        clearFields();
}

bool AddressBooksPage::refuseName(const std::string& name, bool anyOverlap) {
    if (std::optional<std::string> problem = bookNameProblem(name)) {
        platform_.system.beep();
        info("Address Book name '" + name + "' cannot be used: " + *problem);
        return true;
    }
    for (const BookInfo& b : books_.books()) {
        const bool clash = anyOverlap
                               ? toLowerAscii(b.name).find(toLowerAscii(name)) != std::string::npos
                               : equalsNoCase(b.name, name);
        if (!clash) continue;
        platform_.system.beep();
        info("Address Book name  '" + b.name + "'" + "  already in use.");
        return true;
    }
    return false;
}

void AddressBooksPage::newBookClick() {
    if (!buildMode_) runNewBook();
}

void AddressBooksPage::runNewBook() {
    for (;;) {
        std::optional<platform::InputBoxResult> answer =
            platform_.dialogs.inputBox({kNewBookCaption, {kBookPrompt, "", false}, std::nullopt});
        if (!answer || answer->first.empty()) return;
        const std::string name = answer->first;
        if (refuseName(name, true)) continue;
        if (books_.changes() > 0 && !books_.loadedName().empty()) {
            storeEntry();
            if (!saveLoadedBook()) return;
        }
        const bool fileThere = std::filesystem::exists(bookFile(books_.home(), name));
        if (std::error_code ec = books_.create(name)) {
            platform_.system.beep();
            platform_.dialogs.warning(kProductName, "Create Error 6144\r" + errorText(ec));
            return;
        }
        selectBook(name);
        if (fileThere)
            info("Address Book file '" + name + kBookExtension + "' was already there: its " +
                 std::to_string(rowCount()) + " entries were taken back.");
        focus_ = PageFocus::AddButton;
        return;
    }
}

void AddressBooksPage::editNameClick() {
    const std::string old = books_.loadedName();
    if (old.empty() || buildMode_) return;
    for (;;) {
        std::optional<platform::InputBoxResult> answer =
            platform_.dialogs.inputBox({kEditBookCaption, {kBookPrompt, old, false}, std::nullopt});
        if (!answer || answer->first.empty()) return;
        const std::string name = answer->first;
        if (refuseName(name, false)) continue;
        if (std::error_code ec = books_.rename(old, name)) {
            platform_.system.beep();
            if (ec == std::errc::file_exists)
                info("Address Book file '" + name + kBookExtension + "' already exists.");
            else
                platform_.dialogs.warning(kProductName,
                                          std::string(kFileIoError) + "\r" + errorText(ec));
            continue;
        }
        tellBooksChanged();
        return;
    }
}

void AddressBooksPage::removeClick() {
    const std::string name = books_.loadedName();
    if (name.empty() || buildMode_) return;
    platform_.system.beep();
    if (platform_.dialogs.question(
            kProductName, "Are you sure you want to remove Address Book '" + name + "'" + "?",
            platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
        return;
    const int at = books_.indexOf(name);
    if (std::error_code ec = books_.remove(name)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "Delete File Error 13447\r" + errorText(ec));
        if (books_.contains(name)) return;  // still listed: nothing was removed
    }
    selection_.clear();
    current_ = -1;
    ++listRevision_;
    clearFields();
    if (!books_.books().empty()) {
        const std::size_t next = std::min(static_cast<std::size_t>(at), books_.books().size() - 1);
        selectBook(books_.books()[next].name);
        return;
    }
    tellBooksChanged();
    runNewBook();
}

void AddressBooksPage::backupClick() {
    const std::string name = books_.loadedName();
    if (name.empty()) return;
    storeEntry();
    if (books_.entries().empty()) {
        info("Address Book [" + name + "] is empty - nothing to backup!");
        return;
    }
    if (std::error_code ec = books_.backupLoaded()) {
        warnWrite(ec);
        return;
    }
    info("[" + name + "] Address Book Has Been Backed Up!");
}

void AddressBooksPage::sortBy(int column) {
    if (column != 0 && column != 1) return;
    storeEntry();
    if (config_.sortColumn == column)
        config_.sortDirection = 1 - config_.sortDirection;
    else
        config_.sortColumn = column, config_.sortDirection = 0;
    configChanged_ = true;
    sortEntries();
}

void AddressBooksPage::sortEntries() {
    auto& entries = books_.entries();
    std::vector<std::size_t> order(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    const bool byName = config_.sortColumn == 1;
    const bool descending = config_.sortDirection == 1;
    std::vector<std::string> keys(entries.size());
    for (std::size_t i = 0; i < entries.size(); ++i)
        keys[i] = toLowerAscii(byName ? entries[i].fullName : entries[i].nickname);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        return descending ? keys[b] < keys[a] : keys[a] < keys[b];
    });
    std::vector<TEmailNameObjListView> sorted;
    sorted.reserve(entries.size());
    std::vector<int> newIndex(entries.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        newIndex[order[i]] = static_cast<int>(i);
        sorted.push_back(std::move(entries[order[i]]));
    }
    entries = std::move(sorted);
    ++listRevision_;
    const auto remap = [&newIndex](int& row) {
        row = row >= 0 && static_cast<std::size_t>(row) < newIndex.size()
                  ? newIndex[static_cast<std::size_t>(row)]
                  : -1;
    };
    for (int& row : selection_) remap(row);
    std::erase(selection_, -1);
    remap(current_);
    remap(buildTarget_);
}

void AddressBooksPage::setShowBooks(bool shown) {
    config_.showBooks = shown;
    configChanged_ = true;
}

void AddressBooksPage::setShowListFields(bool shown) {
    config_.showListFields = shown;
    configChanged_ = true;
}

void AddressBooksPage::setColumnWidths(int nickname, int fullName) {
    if (nickname == config_.nicknameWidth && fullName == config_.fullNameWidth) return;
    config_.nicknameWidth = nickname;
    config_.fullNameWidth = fullName;
    configChanged_ = true;
}

void AddressBooksPage::fontClick() {
    platform::FontChoice initial;
    initial.family = config_.fontName;
    initial.pointSize = config_.fontSize;
    initial.colour = config_.fontColour;
    std::optional<platform::FontChoice> chosen = platform_.dialogs.chooseFont(initial);
    if (!chosen) return;
    config_.fontName = chosen->family;
    config_.fontSize = chosen->pointSize;
    config_.fontColour = chosen->colour;
    configChanged_ = true;
}

}  // namespace velmora::addressbook
