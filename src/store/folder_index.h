// The folder index: the list items of a folder's rows, stored between runs in the file named
// after the folder (InBox.000/InBox.dat). A plain text file of CR LF lines, one record per row
// in list order, no header and no count; a record is the row text followed by the item's fields
// (file name, sender name and address, the blind-copy count and entries, the attachment count
// and paths, mail date, sort date, subject, status, signature index, the five flags as "TRUE" or
// "FALSE", read acknowledgement status, priority, compose From, Reply-To, organization, version).
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "store/list_item.h"

namespace velmora::store {

// A count line above this is taken for damage rather than believed: no message carries that
// many blind-copy recipients or attachment files, and it bounds what a damaged file can make us
// allocate.
inline constexpr int kMaxIndexListEntries = 100'000;

struct IndexContent {
    std::vector<FolderRow> rows;
    // The records stopped matching the layout (a count line that is not a number, a row text
    // without its five tabs, a record cut short by the end of the file). `rows` holds the
    // records read before the damage.
    bool damaged = false;
};

// Reads the records of an index file's bytes. Never fails; lines may end in CR LF, LF or CR. A
// count line is believed only as far as the rest of the file can hold that many lines, so
// what is allocated stays within a fixed multiple of the file's size.
IndexContent parseFolderIndex(std::string_view bytes);

// The bytes of an index for `rows`. Line breaks inside a value would shift every later record,
// so they are written as blanks.
std::string formatFolderIndex(const std::vector<FolderRow>& rows);

// An index file above this size is taken for damage rather than read: a folder of a million
// messages has an index of a few hundred megabytes at most, and every line read costs a string.
inline constexpr std::uint64_t kMaxIndexFileBytes = 1024ull * 1024 * 1024;

// Reads an index file. nullopt with `error` clear when there is none (nor a folder directory
// to hold one); nullopt with `error` set
// when it cannot be read: not a regular file (a FIFO is never waited on, a directory never
// read), larger than kMaxIndexFileBytes, or a read error.
std::optional<IndexContent> readFolderIndex(const std::filesystem::path& file,
                                            std::error_code& error);
// As above; nullopt both when there is none and when it cannot be read.
std::optional<IndexContent> readFolderIndex(const std::filesystem::path& file);

// Writes the index file whole and atomically; on failure the old file stays.
[[nodiscard]] std::error_code writeFolderIndexFile(const std::filesystem::path& file,
                                                   const std::vector<FolderRow>& rows);

}  // namespace velmora::store
