// Rebuilding a folder index from the message files of the folder directory: one row per ".vlf"
// file, its item read back from the file's private header block, under a progress box.
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/list_item.h"

namespace velmora::store {

// The ".vlf" files of a folder directory, in name order (which is the order they were created).
// None for a missing directory (or a path that is no directory); a directory that cannot be listed
// throws std::system_error
// ("List folder " and the path), so an unreadable folder is never taken for an empty one.
std::vector<std::filesystem::path> listMessageFiles(const std::filesystem::path& directory);
std::size_t countMessageFiles(const std::filesystem::path& directory);

// The row of one message file: size text from the file size, the item from its private block,
// the From column from the block's sender (or the message's From when the block has none), the
// To column the first recipient's address ("<unknown address>" when there is none or it is
// "<>"), and the Date column in `dateFormat`. A file that cannot be read is reported with
// "Load From File Error 6498\r" and the error text, and gives a row of what was read.
FolderRow rowFromMessageFile(const std::filesystem::path& file, int dateFormat,
                             platform::Platform& platform);

struct RebuildResult {
    std::vector<FolderRow> rows;
    bool stopped = false;  // a message object or item could not be created
};

// Rows for `files`, showing the progress box titled logicalPath + " Window" with the lines
// "Rebuilding " LOGICALPATH " Index File " n " of " N and "Please Wait..."; the box is hidden
// at the end. Pending events run while it works.
RebuildResult rebuildRows(const std::vector<std::filesystem::path>& files,
                          const std::string& logicalPath, int dateFormat,
                          platform::Platform& platform);

// The message files of `directory` that no row of `rows` names, for mending an index whose
// end was damaged without losing the rows read before the damage.
std::vector<std::filesystem::path> unlistedMessageFiles(const std::filesystem::path& directory,
                                                        const std::vector<FolderRow>& rows);

}  // namespace velmora::store
