#include "tools/search_settings.h"

#include <cstdint>

#include "base/settings_lines.h"

namespace velmora::tools {

namespace {

// Window positions far off any screen are damage, not places to open the window.
constexpr std::int64_t kMaxPosition = 100'000;

int position(SettingsReader& reader, int fallback) {
    const std::int64_t value = reader.integer(fallback);
    return value < -kMaxPosition || value > kMaxPosition ? fallback : static_cast<int>(value);
}

}  // namespace

SearchSettings loadSearchSettings(const std::filesystem::path& file) {
    SearchSettings settings;
    SettingsReader reader(file);
    if (!reader.exists()) return settings;
    settings.top = position(reader, settings.top);
    settings.left = position(reader, settings.left);
    settings.target = reader.choice(3, settings.target);
    settings.text = reader.text(settings.text);
    settings.caseSensitive = reader.boolean(settings.caseSensitive);
    settings.wholeWords = reader.boolean(settings.wholeWords);
    return settings;
}

std::error_code saveSearchSettings(const std::filesystem::path& file,
                                   const SearchSettings& settings) {
    SettingsWriter writer;
    writer.integer(settings.top)
        .integer(settings.left)
        .integer(settings.target >= 0 && settings.target <= 2 ? settings.target : 0)
        .text(settings.text)
        .boolean(settings.caseSensitive)
        .boolean(settings.wholeWords);
    return writer.save(file);
}

}  // namespace velmora::tools
