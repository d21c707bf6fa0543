// The records of the session state files that reopen the windows of the last session:
// "folders.dat", "read.dat", "compose.dat", "scratch.dat" and "headers.dat" in the home folder.
// Each file is a sequence of records, one value per line (lines ending CR LF), with no header
// and no count; a reader reads records until the end of the file. Window states are 0 normal,
// 1 minimized, 2 maximized. The main window owns the files and their order; each window kind
// reads and writes the records of its own file.
#pragma once

#include <string>
#include <vector>

#include "platform/child_window.h"

namespace velmora::platform {

inline constexpr const char* kFoldersSessionFile = "folders.dat";
inline constexpr const char* kHeadersSessionFile = "headers.dat";
inline constexpr const char* kReadSessionFile = "read.dat";
inline constexpr const char* kComposeSessionFile = "compose.dat";
inline constexpr const char* kScratchSessionFile = "scratch.dat";

struct WindowPlacement {
    WindowState state = WindowState::Normal;
    WindowBounds bounds;
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

// Readers of a file's lines. A truncated last record is dropped; a value that is not a number
// reads as 0; negative left and top read as 0, so a window never opens off the screen.
std::vector<FolderWindowRecord> parseFolderRecords(const std::vector<std::string>& lines);
std::vector<ReadWindowRecord> parseReadRecords(const std::vector<std::string>& lines);
std::vector<ComposeWindowRecord> parseComposeRecords(const std::vector<std::string>& lines);
std::vector<ScratchPadRecord> parseScratchRecords(const std::vector<std::string>& lines);
// "headers.dat" holds at most one record; further lines are ignored.
std::vector<WindowPlacement> parseHeadersRecord(const std::vector<std::string>& lines);

// The lines of one record, as they are appended to its file.
std::vector<std::string> folderRecordLines(const FolderWindowRecord& record);
std::vector<std::string> readRecordLines(const ReadWindowRecord& record);
std::vector<std::string> composeRecordLines(const ComposeWindowRecord& record);
std::vector<std::string> scratchRecordLines(const ScratchPadRecord& record);
std::vector<std::string> headersRecordLines(const WindowPlacement& placement);

}  // namespace velmora::platform
