// The book file ("<name>.abk") and its backup ("<name>.abk.bak"): the version line "46", then per
// entry its full name, nickname, address count, the addresses and an empty line, the note count,
// the notes and an empty line, "TRUE"/"FALSE" for a mailing list and the three list addresses.
// Lines end CR LF, the last one without a line end, so a book whose last entry ends in empty
// list fields is read back byte for byte.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "addressbook/entry.h"

namespace velmora::addressbook {

enum class BookFileKind {
    Book,    // a comma name is written without its double quotes
    Backup,  // a comma name is written in double quotes
};

// Counts above this are damage, not a real entry: no book line list is that long, and a count
// never makes the reader run past the file's end anyway.
inline constexpr long long kMaxLineCount = 10'000'000;

struct BookReadResult {
    bool exists = false;   // the file was there
    bool readable = true;  // it could be opened and read
    bool complete = true;  // every entry was read whole, every count was a number
    std::vector<TEmailNameObjListView> entries;
    std::string problem;  // why it is not complete / not readable
};

// Reads a book from its bytes. Never fails: a damaged count or a file that ends inside an entry
// keeps what was read so far and marks the result incomplete. A comma name without double
// quotes gets them.
BookReadResult parseBook(std::string_view bytes);
// Reads the file; a missing file gives exists = false and no entries.
BookReadResult readBookFile(const std::filesystem::path& file);

// The bytes of a book file. A book whose only entry holds no address and no notes (the untouched
// template of "Add") is the version line alone. CR, LF and NUL inside one-line fields become
// blanks; a note or address holding line breaks becomes several lines.
std::string bookBytes(const std::vector<TEmailNameObjListView>& entries, BookFileKind kind);
[[nodiscard]] std::error_code writeBookFile(const std::filesystem::path& file,
                                            const std::vector<TEmailNameObjListView>& entries,
                                            BookFileKind kind);

// The file's lines: split at CR LF (or a lone LF or CR); the text after the last line end is a
// line too, even when empty, since the last line of a book is written without one.
std::vector<std::string_view> splitBookLines(std::string_view bytes);

}  // namespace velmora::addressbook
