// "jpeg.cfg" in the home folder: the picture viewer's last folder and picture, whether pictures
// are fitted to the window, and where the window stood. Read when the viewer opens, written
// whole (and atomically) when it changes folder and when it closes.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace velmora::tools {

inline constexpr const char* kPictureViewerSettingsFile = "jpeg.cfg";

struct PictureViewerSettings {
    std::filesystem::path folder;  // empty: the Attach folder
    std::string picture;           // a file name in `folder`; empty: none
    bool fitToWindow = true;
    // The design bounds, used while no file says otherwise.
    int top = 40;
    int left = 60;
    int width = 760;
    int height = 520;
};

// A missing file reads as the defaults; so does each damaged or missing line (a picture name
// holding a path, a size too small to show the window), the other lines keep their values.
PictureViewerSettings loadPictureViewerSettings(const std::filesystem::path& file);
[[nodiscard]] std::error_code savePictureViewerSettings(const std::filesystem::path& file,
                                                        const PictureViewerSettings& settings);

}  // namespace velmora::tools
