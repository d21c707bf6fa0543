// "search.cfg" in the home folder: where the find window stood, the target last chosen, the
// search text and the two options. Read when the window is created, written whole (and
// atomically) each time it closes.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace velmora::tools {

inline constexpr const char* kSearchSettingsFile = "search.cfg";

struct SearchSettings {
    // The design position, used while no file says otherwise.
    int top = 90;
    int left = 140;
    int target = 0;  // 0, 1 or 2
    std::string text;
    bool caseSensitive = false;
    bool wholeWords = false;
};

// A missing file reads as the defaults; so does each damaged or missing line (a target outside
// 0..2 among them), the other lines keep their values.
SearchSettings loadSearchSettings(const std::filesystem::path& file);
[[nodiscard]] std::error_code saveSearchSettings(const std::filesystem::path& file,
                                                 const SearchSettings& settings);

}  // namespace velmora::tools
