// The folder window's layout file: folder name + ".cfg" beside the folder index (InBox.000/
// InBox.cfg). Twelve CR LF lines: the version "46", the six column widths, the sort column
// (0-5), the sort direction (0 ascending, 1 descending), "0", the header mode (0 body only,
// 1 normal, 2 full headers) and the window state (0 minimized, 1 normal, 2 maximized), the last
// without a line end.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>

#include "store/list_item.h"

namespace velmora::reading {

// Widths wider than any screen read as the creation width, as do widths below this.
inline constexpr int kMinColumnWidth = 0;
inline constexpr int kMaxColumnWidth = 10'000;

struct FolderLayout {
    std::array<int, store::kColumnCount> widths{75, 60, 160, 110, 110, 120};
    int sortColumn = 5;
    bool sortDescending = false;
    int headerMode = 1;
    int windowState = 1;  // 0 minimized, 1 normal, 2 maximized

    bool operator==(const FolderLayout&) const = default;
};

// Reads a layout file; nullopt when it is missing or unreadable. A line that is missing, not a
// number or out of range takes its default; the rest of the file is still read.
std::optional<FolderLayout> loadFolderLayout(const std::filesystem::path& file);

// Writes the layout whole and atomically (the old file stays until the new one is complete).
// The system's error text on failure.
[[nodiscard]] std::optional<std::string> saveFolderLayout(const std::filesystem::path& file,
                                                          const FolderLayout& layout);

}  // namespace velmora::reading
