// Moving delivered OutBox messages into Sent after a send. A message without attachment files
// is moved by a hard link under the same name in Sent and the removal of its OutBox name: no byte
// is copied and a crash leaves it in one folder or the other (or, for an instant, both, never
// neither); the two directories are flushed once at the end. A message with attachments, or whose
// name is taken in Sent, is moved as the folder window moves rows (copied whole, then removed).
// Rows are found by file name; a name no longer in OutBox moves nothing.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"
#include "reading/folder_window.h"
#include "reading/folder_window_host.h"

namespace velmora::compose {

void moveDeliveredToSent(reading::TinboxForm& outbox, reading::TinboxForm& sent,
                         const std::vector<std::string>& fileNames,
                         reading::FolderWindowHost& folders, platform::Platform& platform);

}  // namespace velmora::compose
