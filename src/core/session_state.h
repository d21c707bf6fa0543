// The session state files that reopen the windows of the last session: "folders.dat",
// "read.dat", "compose.dat", "scratch.dat" and "headers.dat" in the home folder. Each is a
// sequence of records, one value per line, with no header and no count; a reader reads records
// until the end of the file. Window states are 0 normal, 1 minimized, 2 maximized.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "platform/child_window.h"

namespace velmora::core {

inline constexpr const char* kFoldersSessionFile = "folders.dat";
inline constexpr const char* kHeadersSessionFile = "headers.dat";
inline constexpr const char* kReadSessionFile = "read.dat";
inline constexpr const char* kComposeSessionFile = "compose.dat";
inline constexpr const char* kScratchSessionFile = "scratch.dat";

struct WindowPlacement {
    platform::WindowState state = platform::WindowState::Normal;
    platform::WindowBounds bounds;
};

struct FolderWindowRecord {
    std::string folderKey;  // logical path without "InBox.": InBox, Work\Sub
    int firstVisibleRow = 0;
    int selectedRow = 0;
    WindowPlacement placement;
};

struct ReadWindowRecord {
    std::string folderKey;
    int row = 0;
    WindowPlacement placement;
    int tabPage = 0;
};

struct ComposeWindowRecord {
    std::string folderName;  // Drafts, OutBox or Sent
    int row = 0;
};

struct ScratchPadRecord {
    std::string fileName;  // relative to the home folder
    WindowPlacement placement;
};

struct SessionState {
    std::vector<FolderWindowRecord> folders;
    std::vector<ReadWindowRecord> reads;
    std::vector<ComposeWindowRecord> composes;
    std::vector<ScratchPadRecord> scratchPads;
    bool hasHeadersWindow = false;
    WindowPlacement headersWindow;
};

// Reads each file that exists. A truncated last record is dropped; a value that is not a number
// reads as 0; negative left and top read as 0, so a window never opens off the screen.
SessionState readSessionState(const std::filesystem::path& home);

// Which files exist, for the restore order that opens each kind only when its file is there.
struct SessionFilesPresent {
    bool headers = false, scratch = false, compose = false, folders = false, read = false;
};
SessionFilesPresent sessionFilesPresent(const std::filesystem::path& home);

// The bytes of each file, as the records are written (lines ending CR LF).
std::string formatFolderRecords(const std::vector<FolderWindowRecord>& records);
std::string formatReadRecords(const std::vector<ReadWindowRecord>& records);
std::string formatComposeRecords(const std::vector<ComposeWindowRecord>& records);
std::string formatScratchRecords(const std::vector<ScratchPadRecord>& records);
std::string formatHeadersRecord(const WindowPlacement& placement);

}  // namespace velmora::core
