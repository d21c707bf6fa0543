#include "tools/picture_viewer_settings.h"

#include <cstdint>

#include "base/settings_lines.h"

namespace velmora::tools {

namespace {

// Window positions far off any screen, and sizes beyond any screen, are damage.
constexpr std::int64_t kMaxPosition = 100'000;
constexpr std::int64_t kMinSize = 100;
constexpr std::int64_t kMaxSize = 20'000;

int bounded(SettingsReader& reader, int fallback, std::int64_t low, std::int64_t high) {
    const std::int64_t value = reader.integer(fallback);
    return value < low || value > high ? fallback : static_cast<int>(value);
}

}  // namespace

PictureViewerSettings loadPictureViewerSettings(const std::filesystem::path& file) {
    PictureViewerSettings settings;
    SettingsReader reader(file);
    if (!reader.exists()) return settings;
    settings.folder = reader.text();
    const std::string picture = reader.text();
    // Only a plain name: a path here would lead the viewer out of its folder.
    if (picture.find('/') == std::string::npos && picture != "." && picture != "..")
        settings.picture = picture;
    settings.fitToWindow = reader.boolean(settings.fitToWindow);
    settings.top = bounded(reader, settings.top, -kMaxPosition, kMaxPosition);
    settings.left = bounded(reader, settings.left, -kMaxPosition, kMaxPosition);
    settings.width = bounded(reader, settings.width, kMinSize, kMaxSize);
    settings.height = bounded(reader, settings.height, kMinSize, kMaxSize);
    return settings;
}

std::error_code savePictureViewerSettings(const std::filesystem::path& file,
                                          const PictureViewerSettings& settings) {
    SettingsWriter writer;
    writer.text(settings.folder.string())
        .text(settings.picture)
        .boolean(settings.fitToWindow)
        .integer(settings.top)
        .integer(settings.left)
        .integer(settings.width)
        .integer(settings.height);
    return writer.save(file);
}

}  // namespace velmora::tools
