// Whole-file reading and writing by the program's file conventions: lines end in CR LF, files are
// rewritten whole, and every write goes to a temporary file in the same folder that is renamed
// over the old one (a new file of arriving mail: an unnamed one that gets its name when written),
// so a crash or a full disk never leaves a half-written file behind.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "base/pending_syncs.h"

namespace velmora {

// Writes `bytes` as the whole new content of `file`: temporary file (a new name, created with
// O_EXCL and O_NOFOLLOW, so nothing planted there is followed or reused), flush to disk, rename.
// On failure the previous file is untouched, the temporary file is removed and the error is
// returned (never thrown).
[[nodiscard]] std::error_code writeFileAtomically(const std::filesystem::path& file,
                                                  std::string_view bytes);
// Creates `file`, which must not exist yet, whole with `bytes`, without waiting for the disk:
// the data go to an unnamed file in the same folder (or, where the file system has none, a
// temporary name as above), their writeback is started, and only then does the file get its
// name, never replacing a file of that name (the error is then file_exists). The file is handed
// to `later` and durable once later.syncAll() succeeded. Until then a crash may leave it shorter
// under its name, so nothing may rely on it before that (a server deleting the message, a
// record saying it was stored).
[[nodiscard]] std::error_code createFileAtomically(const std::filesystem::path& file,
                                                   std::string_view bytes, PendingSyncs& later);

// Appends `bytes` to `file` and flushes them to disk before returning, for records that must
// survive a crash the moment they are made. A missing file is first created whole with
// `firstBytes` (its version line). A link in place of the file is not followed.
[[nodiscard]] std::error_code appendFileDurably(const std::filesystem::path& file,
                                                std::string_view firstBytes,
                                                std::string_view bytes);

// Reads a whole file; nullopt when it does not exist, is not a regular file (a FIFO, a device,
// a directory: see file_access.h) or cannot be read.
[[nodiscard]] std::optional<std::string> readWholeFile(const std::filesystem::path& file);

// Splits text into lines at CR LF, lone LF or lone CR. A final line end does not start an
// empty last line.
std::vector<std::string> splitLines(std::string_view text);

// The records of a file that is appended to line by line after its version line: every line
// after the first that ends in CR LF. A last line without its line end (an append cut short by
// a crash) is left out.
std::vector<std::string_view> appendedRecords(std::string_view bytes);

// Reads a file's lines; an empty list for a missing file.
std::vector<std::string> readLines(const std::filesystem::path& file);

// Joins lines with CR LF; `finalLineEnd` adds one after the last line too.
std::string joinLines(const std::vector<std::string>& lines, bool finalLineEnd = true);

// The system's text for an error, as message boxes show it after "\r".
std::string errorText(const std::error_code& error);

}  // namespace velmora
