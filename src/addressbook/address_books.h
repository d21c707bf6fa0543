// The address books of a home folder: the ordered book names of "master.abk", each book's entry
// count, and the one book that is loaded with its entries and its change counter. Books are kept
// by name, never by position, so a re-order or a changed selection can never send one book's
// entries into another book's file. Every write reports its error and changes nothing in memory
// when it fails; the Address Books page turns the errors into the user's messages.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "addressbook/book_file.h"
#include "addressbook/entry.h"

namespace velmora::addressbook {

struct BookInfo {
    std::string name;
    int entryCount = 0;
    bool loadedOnce = false;  // counted from its file (a book that fails to load counts 0)
};
// The name with its entry count, as the re-order and compose windows show it: "Friends [12]".
std::string countedName(const BookInfo& book);

// A lookup by nickname, for the compose window's recipients: an entry or a mailing list.
struct NicknameMatch {
    std::string book;
    TEmailNameObjListView entry;
};

class AddressBooks {
  public:
    explicit AddressBooks(std::filesystem::path home);

    const std::filesystem::path& home() const { return home_; }

    // --- the book list ------------------------------------------------------------------------
    const std::vector<BookInfo>& books() const { return books_; }
    std::vector<std::string> names() const;
    // "Name [n]" per book, in list order.
    std::vector<std::string> namesWithCounts() const;
    // Position of the book in the list (exact name), or -1.
    int indexOf(std::string_view name) const;
    bool contains(std::string_view name) const { return indexOf(name) >= 0; }

    // Reads "master.abk" (nothing else); books keep count 0 until counted.
    void readList();
    [[nodiscard]] std::error_code writeList() const;
    // Counts every book's entries from its file.
    void countAll();
    void setCount(std::string_view name, int count);
    // Replaces the order of the books (the same names, moved); false when `order` is not a
    // permutation of the current names.
    bool reorder(const std::vector<std::string>& order);
    // Takes a book off the list (the file stays); for the start-up check.
    void forget(std::string_view name);

    // --- book operations ----------------------------------------------------------------------
    // Adds a book at the end of the list and writes "master.abk". When "<name>.abk" is already on
    // disk it is kept and loaded as it is, otherwise an empty file is written. The name must pass
    // bookNameProblem and not be listed already (callers check and word the refusal).
    [[nodiscard]] std::error_code create(const std::string& name);
    // Moves the book's file (and its backup) to the new name, then changes the lists and writes
    // "master.abk". Refuses (file_exists) when a file of the new name is there; nothing changes
    // on any failure (a failed list write moves the file back).
    [[nodiscard]] std::error_code rename(const std::string& oldName, const std::string& newName);
    // Takes the book off the list and writes "master.abk" (or deletes it when no book is left),
    // then deletes the book's file. A failed list write changes nothing; a file that cannot be
    // deleted is reported with the book already off the list. The loaded book is unloaded when
    // it is this one.
    [[nodiscard]] std::error_code remove(const std::string& name);

    // --- the loaded book ----------------------------------------------------------------------
    const std::string& loadedName() const { return loaded_; }
    bool isLoaded(std::string_view name) const { return !loaded_.empty() && loaded_ == name; }
    std::vector<TEmailNameObjListView>& entries() { return entries_; }
    const std::vector<TEmailNameObjListView>& entries() const { return entries_; }
    // Reads the book's file into the entries (replacing them). The result says whether the file
    // existed, could be read, and was read whole.
    BookReadResult load(const std::string& name);
    // No book loaded.
    void unload();
    bool loadedComplete() const { return loadedComplete_; }

    int changes() const { return changes_; }
    void markChanged() { ++changes_; }
    // Writes the loaded entries to the loaded book's file. A book that was not read whole first
    // has its file kept as "<name>.abk.damaged" (once), so nothing of it is lost silently. On
    // success the change counter is reset and the count updated.
    [[nodiscard]] std::error_code saveLoaded();
    // Writes the backup "<name>.abk.bak" of the loaded book.
    [[nodiscard]] std::error_code backupLoaded() const;
    // Reads a book without loading it (for backups of other books, counts and lookups).
    BookReadResult readBook(std::string_view name) const;

    // The first entry or mailing list whose nickname equals `nickname` without case: the loaded
    // book first (with its unsaved changes), then the other books in list order.
    std::optional<NicknameMatch> findNickname(std::string_view nickname) const;

  private:
    BookInfo* find(std::string_view name);
    std::filesystem::path fileOf(std::string_view name) const;

    std::filesystem::path home_;
    std::vector<BookInfo> books_;
    std::string loaded_;
    std::vector<TEmailNameObjListView> entries_;
    bool loadedComplete_ = true;
    int changes_ = 0;
};

// The lookup of the compose window's recipients for a caller that holds no AddressBooks: reads
// the book list of `home` and each book in list order. nullopt when no entry or list has that
// nickname (compared without case).
std::optional<NicknameMatch> findNicknameInHome(const std::filesystem::path& home,
                                                std::string_view nickname);

}  // namespace velmora::addressbook
