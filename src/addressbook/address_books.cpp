#include "addressbook/address_books.h"

#include <algorithm>

#include "addressbook/book_list.h"
#include "addressbook/book_names.h"
#include "base/text.h"

namespace velmora::addressbook {

namespace fs = std::filesystem;

AddressBooks::AddressBooks(fs::path home) : home_(std::move(home)) {}

std::string countedName(const BookInfo& book) {
    return book.name + " [" + std::to_string(book.entryCount) + "]";
}

std::vector<std::string> AddressBooks::names() const {
    std::vector<std::string> out;
    out.reserve(books_.size());
    for (const BookInfo& b : books_) out.push_back(b.name);
    return out;
}

std::vector<std::string> AddressBooks::namesWithCounts() const {
    std::vector<std::string> out;
    out.reserve(books_.size());
    for (const BookInfo& b : books_) out.push_back(countedName(b));
    return out;
}

int AddressBooks::indexOf(std::string_view name) const {
    for (std::size_t i = 0; i < books_.size(); ++i)
        if (books_[i].name == name) return static_cast<int>(i);
    return -1;
}

BookInfo* AddressBooks::find(std::string_view name) {
    const int i = indexOf(name);
    return i < 0 ? nullptr : &books_[static_cast<std::size_t>(i)];
}

fs::path AddressBooks::fileOf(std::string_view name) const {
    if (std::optional<fs::path> found = findBookFile(home_, name)) return *found;
    return bookFile(home_, name);
}

void AddressBooks::readList() {
    books_.clear();
    for (std::string& name : readBookList(home_)) {
        if (contains(name)) continue;  // a name listed twice is one book
        books_.push_back({std::move(name), 0, false});
    }
}

std::error_code AddressBooks::writeList() const {
    return writeBookList(home_, names());
}

void AddressBooks::countAll() {
    for (BookInfo& b : books_) {
        if (isLoaded(b.name)) {
            b.entryCount = static_cast<int>(entries_.size());
        } else {
            BookReadResult r = readBook(b.name);
            b.entryCount = r.readable ? static_cast<int>(r.entries.size()) : 0;
        }
        b.loadedOnce = true;
    }
}

void AddressBooks::setCount(std::string_view name, int count) {
    if (BookInfo* b = find(name)) {
        b->entryCount = count;
        b->loadedOnce = true;
    }
}

bool AddressBooks::reorder(const std::vector<std::string>& order) {
    std::vector<std::string> a = names();
    std::vector<std::string> b = order;
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    if (a != b) return false;
    std::vector<BookInfo> moved;
    moved.reserve(books_.size());
    for (const std::string& name : order) moved.push_back(*find(name));
    books_ = std::move(moved);
    return true;
}

void AddressBooks::forget(std::string_view name) {
    std::erase_if(books_, [&](const BookInfo& b) { return b.name == name; });
    if (isLoaded(name)) unload();
}

std::error_code AddressBooks::create(const std::string& name) {
    if (bookNameProblem(name) || contains(name))
        return std::make_error_code(std::errc::invalid_argument);
    const fs::path file = bookFile(home_, name);
    std::error_code ec;
    BookInfo info{name, 0, true};
    if (fs::exists(file, ec)) {
        // A book file that the list lost: it is taken back as it is, never overwritten.
        BookReadResult r = readBookFile(file);
        if (!r.readable) return std::make_error_code(std::errc::io_error);
        info.entryCount = static_cast<int>(r.entries.size());
    } else if (std::error_code w = writeBookFile(file, {}, BookFileKind::Book)) {
        return w;
    }
    books_.push_back(info);
    if (std::error_code w = writeList()) {
        books_.pop_back();
        return w;
    }
    return {};
}

std::error_code AddressBooks::rename(const std::string& oldName, const std::string& newName) {
    BookInfo* book = find(oldName);
    if (!book || bookNameProblem(newName)) return std::make_error_code(std::errc::invalid_argument);
    const fs::path from = fileOf(oldName);
    const fs::path to = bookFile(home_, newName);
    std::error_code ec;
    const bool onlyCase = equalsNoCase(oldName, newName);
    if (!onlyCase && fs::exists(to, ec)) return std::make_error_code(std::errc::file_exists);
    if (fs::exists(from, ec)) {
        fs::rename(from, to, ec);
        if (ec) return ec;
    } else if (std::error_code w = writeBookFile(to, {}, BookFileKind::Book)) {
        return w;
    }
    // The backup follows its book when it can; a backup left behind is not worth failing for.
    const fs::path oldBackup = backupFile(home_, oldName);
    if (fs::exists(oldBackup, ec) && !fs::exists(backupFile(home_, newName), ec))
        fs::rename(oldBackup, backupFile(home_, newName), ec);
    book->name = newName;
    if (loaded_ == oldName) loaded_ = newName;
    if (std::error_code w = writeList()) {
        // The list on disk still names the old book: its file goes back there.
        std::error_code ignored;
        fs::rename(to, from, ignored);
        if (fs::exists(backupFile(home_, newName), ignored) && !fs::exists(oldBackup, ignored))
            fs::rename(backupFile(home_, newName), oldBackup, ignored);
        if (BookInfo* again = find(newName)) again->name = oldName;
        if (loaded_ == newName) loaded_ = oldName;
        return w;
    }
    return {};
}

std::error_code AddressBooks::remove(const std::string& name) {
    const int at = indexOf(name);
    if (at < 0) return std::make_error_code(std::errc::invalid_argument);
    const fs::path file = fileOf(name);
    // The list first: a book whose file could not be deleted is only an unlisted file, which
    // "New" takes back; a listed book without its file would be dropped at the next start.
    std::vector<BookInfo> before = books_;
    books_.erase(books_.begin() + at);
    std::error_code ec;
    if (books_.empty())
        fs::remove(home_ / kMasterFile, ec);
    else
        ec = writeList();
    if (ec) {
        books_ = std::move(before);
        return ec;
    }
    if (isLoaded(name)) unload();
    if (fs::exists(file, ec) && !fs::remove(file, ec) && ec) return ec;
    return {};
}

BookReadResult AddressBooks::load(const std::string& name) {
    BookReadResult r = readBook(name);
    loaded_ = name;
    entries_ = r.readable ? std::move(r.entries) : std::vector<TEmailNameObjListView>{};
    r.entries.clear();
    loadedComplete_ = r.complete || !r.exists;
    changes_ = 0;
    if (BookInfo* b = find(name)) {
        b->entryCount = static_cast<int>(entries_.size());
        b->loadedOnce = true;
    }
    return r;
}

void AddressBooks::unload() {
    loaded_.clear();
    entries_.clear();
    loadedComplete_ = true;
    changes_ = 0;
}

std::error_code AddressBooks::saveLoaded() {
    if (loaded_.empty()) return std::make_error_code(std::errc::invalid_argument);
    const fs::path file = fileOf(loaded_);
    std::error_code ec;
    if (!loadedComplete_ && fs::exists(file, ec)) {
        const fs::path kept = home_ / (loaded_ + ".abk.damaged");
        if (!fs::exists(kept, ec)) {
            fs::copy_file(file, kept, ec);
            if (ec) return ec;
        }
    }
    if (std::error_code w = writeBookFile(file, entries_, BookFileKind::Book)) return w;
    loadedComplete_ = true;
    changes_ = 0;
    if (BookInfo* b = find(loaded_)) b->entryCount = static_cast<int>(entries_.size());
    return {};
}

std::error_code AddressBooks::backupLoaded() const {
    if (loaded_.empty()) return std::make_error_code(std::errc::invalid_argument);
    return writeBookFile(backupFile(home_, loaded_), entries_, BookFileKind::Backup);
}

BookReadResult AddressBooks::readBook(std::string_view name) const {
    std::optional<fs::path> file = findBookFile(home_, name);
    if (!file) return BookReadResult{};
    return readBookFile(*file);
}

std::optional<NicknameMatch> AddressBooks::findNickname(std::string_view nickname) const {
    const std::string_view wanted = trimmed(nickname);
    if (wanted.empty()) return std::nullopt;
    auto search =
        [&](const std::vector<TEmailNameObjListView>& entries) -> const TEmailNameObjListView* {
        for (const TEmailNameObjListView& e : entries)
            if (equalsNoCase(e.nickname, wanted)) return &e;
        return nullptr;
    };
    if (!loaded_.empty())
        if (const TEmailNameObjListView* e = search(entries_)) return NicknameMatch{loaded_, *e};
    for (const BookInfo& b : books_) {
        if (isLoaded(b.name)) continue;
        BookReadResult r = readBook(b.name);
        if (const TEmailNameObjListView* e = search(r.entries)) return NicknameMatch{b.name, *e};
    }
    return std::nullopt;
}

std::optional<NicknameMatch> findNicknameInHome(const fs::path& home, std::string_view nickname) {
    AddressBooks books(home);
    books.readList();
    return books.findNickname(nickname);
}

}  // namespace velmora::addressbook
