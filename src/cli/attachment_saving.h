// Saving a decoded message's attachments into a folder of the user's (decode --save-attachments).
#pragma once

#include <filesystem>
#include <vector>

#include "mime/message.h"

namespace velmora::cli {

// Writes every attachment of `message` as a new file in `folder` (created when missing) and
// returns their paths in attachment order. A file is named after the attachment's name made
// safe (mime/safe_file_name.h); when that name is taken, by a file already in the folder or by
// an attachment saved before, the store's "~n~" rule numbers it, so nothing in the folder is
// ever replaced. Files are created with O_CREAT | O_EXCL | O_NOFOLLOW and written straight from
// the attachment data, then flushed to disk.
//
// A symbolic link in the folder under a name an attachment would take stops the save before
// anything is written. Any failure throws std::system_error and removes the files this call
// created, so the folder is left as it was.
std::vector<std::filesystem::path> saveAttachments(mime::TmsMessage& message,
                                                   const std::filesystem::path& folder);

}  // namespace velmora::cli
