// The picture viewer `TpictureViewerForm` ("JPEG Viewer"): browses the places of
// tools/picture_places.h and their folders, lists each folder's subfolders (after a parent
// entry "..") and JPEG files, and shows the chosen picture, fitted to the window (shrunk, never
// enlarged) or at actual size, with a status line of its name, true dimensions and file size.
//
// It starts in the last folder of "jpeg.cfg" with the last picture chosen, or in the Attach
// folder of the home folder, which it creates when missing. Whatever fails (a folder that cannot
// be read, a picture that cannot be decoded, Attach that cannot be made) is said on the error
// line; a folder that cannot be read keeps the previous one shown. One viewer is open at a time.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "reading/folder_window_host.h"
#include "tools/jpeg_picture.h"
#include "tools/picture_folder.h"
#include "tools/picture_places.h"

namespace velmora::tools {

inline constexpr const char* kPictureViewerKind = "JpegViewer";
inline constexpr const char* kPictureViewerKey = "JpegViewer.JpegViewer";
inline constexpr const char* kPictureViewerCaption = "JPEG Viewer";
inline constexpr const char* kParentFolderLabel = "..";
// The picture area assumed until the view reports its size.
inline constexpr int kDefaultPictureAreaWidth = 640;
inline constexpr int kDefaultPictureAreaHeight = 480;

struct FolderRow {
    std::string label;  // the subfolder's name, or ".." for the parent
    bool parent = false;
};

class TpictureViewerForm final : public platform::ChildWindow {
  public:
    // Reads "jpeg.cfg" from `sources.home`, makes Attach when missing and lists the start
    // folder.
    TpictureViewerForm(platform::Platform& platform, reading::FolderWindowHost& host,
                       PlaceSources sources);

    platform::Platform& platform() { return platform_; }

    // --- what the window shows -------------------------------------------------------------
    const std::vector<PicturePlace>& places() const { return places_; }
    // The place the current folder lies in (the innermost one); -1 when none.
    int placeIndex() const;
    const std::filesystem::path& folder() const { return folder_; }
    const std::vector<FolderRow>& folderRows() const { return folderRows_; }
    const std::vector<PictureFile>& pictureRows() const { return pictureRows_; }
    int selectedPicture() const { return selected_; }
    // The decoded picture; nullptr when none is chosen or it could not be decoded.
    const JpegPicture* picture() const { return picture_ ? &*picture_ : nullptr; }
    // Counts the pictures decoded (or failed): a view redraws when it moves on.
    int pictureVersion() const { return pictureVersion_; }
    // "name  W x H pixels  N KB  (i of n)"; "" while no picture is shown.
    const std::string& statusLine() const { return status_; }
    const std::string& errorLine() const { return error_; }
    bool fitToWindow() const { return fitToWindow_; }
    bool previousEnabled() const { return selected_ > 0; }
    bool nextEnabled() const {
        return static_cast<std::size_t>(selected_ + 1) < pictureRows_.size();
    }

    // --- commands ---------------------------------------------------------------------------
    void choosePlace(int index);
    // Double-click or Enter on a folder row: into the subfolder, or up for "..".
    void openFolderRow(int row);
    // Lists `folder`; false (the previous folder kept, the error line saying why) when it cannot
    // be read.
    bool openFolder(const std::filesystem::path& folder);
    // Shows picture `row` of the list; -1 shows none.
    void selectPicture(int row);
    void previousPictureClick();
    void nextPictureClick();
    void setFitToWindow(bool on);
    // The size of the area the picture is shown in, as the view lays it out: a fitted picture is
    // decoded again when another reduced scale suits the new size.
    void setPictureArea(int width, int height);
    // F5: the places and the folder listed again, the picture read again.
    void refreshClick();
    void closeClick();
    void helpClick();

    platform::Menu popupMenu() const;
    // The buttons above the picture: previous, next, fit to window.
    platform::Menu toolbar() const;

    int helpContext() const override { return platform::help_topic::kPictureViewer; }
    // Writes "jpeg.cfg"; a failure is shown as a warning.
    void onClose() override;

  private:
    void ensureAttachFolder();
    void listPlaces();
    void showSelected();
    JpegDecodeRequest decodeRequest() const;
    void updateCaption();
    void updateStatus();
    void changed();
    [[nodiscard]] std::error_code writeSettings() const;

    platform::Platform& platform_;
    reading::FolderWindowHost& host_;
    PlaceSources sources_;

    std::vector<PicturePlace> places_;
    std::filesystem::path folder_;
    std::vector<FolderRow> folderRows_;
    std::vector<PictureFile> pictureRows_;
    int selected_ = -1;
    std::optional<JpegPicture> picture_;
    int pictureVersion_ = 0;
    std::string status_;
    std::string error_;
    bool fitToWindow_ = true;
    int areaWidth_ = kDefaultPictureAreaWidth;
    int areaHeight_ = kDefaultPictureAreaHeight;
    bool started_ = false;
};

// "1,234 KB": a file size as the status line shows it, rounded up.
std::string kilobytesText(std::uint64_t bytes);

}  // namespace velmora::tools
