// The folder index: the list items of a folder's rows, stored between runs in the file named
// after the folder (InBox.000/InBox.dat). A plain text file of CR LF lines, one record per row
// in list order, no header and no count; a record is the row text followed by the item's fields
// (file name, sender name and address, the blind-copy count and entries, the attachment count
// and paths, mail date, sort date, subject, status, signature index, the five flags as "TRUE" or
// "FALSE", read acknowledgement status, priority, compose From, Reply-To, organization, version).
#pragma once

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

// Reads the records of an index file's bytes. Never fails; lines may end in CR LF, LF or CR.
IndexContent parseFolderIndex(std::string_view bytes);

// The bytes of an index for `rows`. Line breaks inside a value would shift every later record,
// so they are written as blanks.
std::string formatFolderIndex(const std::vector<FolderRow>& rows);

// Reads an index file; nullopt when it does not exist or cannot be read.
std::optional<IndexContent> readFolderIndex(const std::filesystem::path& file);

// Writes the index file whole and atomically; on failure the old file stays.
[[nodiscard]] std::error_code writeFolderIndexFile(const std::filesystem::path& file,
                                                   const std::vector<FolderRow>& rows);

}  // namespace velmora::store
