#include "reading/folder_layout.h"

#include <charconv>

#include "base/text.h"
#include "base/text_file.h"

namespace velmora::reading {

namespace {

// The number of a line when it lies in [low, high]; otherwise `fallback`.
int numberIn(const std::vector<std::string>& lines, std::size_t index, int low, int high,
             int fallback) {
    if (index >= lines.size()) return fallback;
    const std::string_view text = trimmed(lines[index]);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) return fallback;
    return value < low || value > high ? fallback : value;
}

}  // namespace

std::optional<FolderLayout> loadFolderLayout(const std::filesystem::path& file) {
    const auto bytes = readWholeFile(file);
    if (!bytes) return std::nullopt;
    const auto lines = splitLines(*bytes);
    FolderLayout layout;
    const FolderLayout defaults;
    for (std::size_t c = 0; c < layout.widths.size(); ++c)
        layout.widths[c] =
            numberIn(lines, 1 + c, kMinColumnWidth, kMaxColumnWidth, defaults.widths[c]);
    layout.sortColumn = numberIn(lines, 7, 0, store::kColumnCount - 1, defaults.sortColumn);
    layout.sortDescending = numberIn(lines, 8, 0, 1, 0) == 1;
    layout.headerMode = numberIn(lines, 10, 0, 2, defaults.headerMode);
    layout.windowState = numberIn(lines, 11, 0, 2, defaults.windowState);
    return layout;
}

std::optional<std::string> saveFolderLayout(const std::filesystem::path& file,
                                            const FolderLayout& layout) {
    std::vector<std::string> lines{"46"};
    for (int width : layout.widths) lines.push_back(std::to_string(width));
    lines.push_back(std::to_string(layout.sortColumn));
    lines.push_back(layout.sortDescending ? "1" : "0");
    lines.emplace_back("0");
    lines.push_back(std::to_string(layout.headerMode));
    lines.push_back(std::to_string(layout.windowState));
    if (auto error = writeFileAtomically(file, joinLines(lines, false))) return errorText(error);
    return std::nullopt;
}

}  // namespace velmora::reading
