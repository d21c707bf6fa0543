// Copying a stored message (message file and attachment files) into another folder directory
// under a new file name, and removing a stored message's files. The folder-window side of
// moving, copying and deleting (rows, read windows, confirmations) builds on these.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>

#include "platform/events.h"
#include "store/list_item.h"

namespace velmora::store {

struct CopyOutcome {
    // The target's item (every field of the source's, the new file name, the new attachment
    // paths); empty on failure.
    std::optional<TObjListViewVLF> item;
    // On failure, the warning text: the numbered operation text, "\r" and the system's error
    // text ("Load From File Error 12404\r...", "File I/O Error 12530\r...").
    std::string failure;
};

// Copies the message of `item`, stored in `sourceDirectory`, into `targetDirectory` under a new
// file name. Without attachment files the message file is copied unchanged. With attachment
// files each is copied to the new file name + ".att." + its own name (made unique with the "~n~"
// prefix), and the message file is loaded, its private block rewritten from the new item and
// saved under the new name. Every file is written whole and atomically. On any failure the
// files already written into the target are removed again, so the target gains nothing and the
// source is never touched. An attachment file that no longer exists is not an error: the new
// item lists its new path, which the folder window then reports as not found.
CopyOutcome copyStoredMessage(const std::filesystem::path& sourceDirectory,
                              const TObjListViewVLF& item,
                              const std::filesystem::path& targetDirectory,
                              const platform::Clock& clock);

// Deletes the attachment files of an item that lie in mail folder directories (failures
// ignored) and its message file. Returns the error of deleting the message file; a message file
// that is already gone is no error. A file name that is not one plain name deletes nothing.
[[nodiscard]] std::error_code deleteStoredMessage(const std::filesystem::path& directory,
                                                  const TObjListViewVLF& item);

}  // namespace velmora::store
