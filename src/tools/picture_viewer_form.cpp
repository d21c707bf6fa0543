#include "tools/picture_viewer_form.h"

#include <algorithm>

#include "base/identity.h"
#include "base/text_file.h"
#include "platform/help_requests.h"
#include "store/folders.h"
#include "tools/picture_viewer_settings.h"

namespace velmora::tools {

namespace fs = std::filesystem;

namespace {

// A folder as the viewer keeps it: absolute, without "." or ".." parts or a trailing "/".
fs::path normalFolder(const fs::path& folder) {
    fs::path normal = folder.lexically_normal();
    if (normal.has_relative_path() && normal.filename().empty()) normal = normal.parent_path();
    return normal;
}

bool liesIn(const fs::path& folder, const fs::path& place) {
    const std::string f = folder.string(), p = place.string();
    if (f.compare(0, p.size(), p) != 0) return false;
    return f.size() == p.size() || p.back() == '/' || f[p.size()] == '/';
}

}  // namespace

std::string kilobytesText(std::uint64_t bytes) {
    std::string digits = std::to_string((bytes + 1023) / 1024);
    for (std::size_t at = digits.size(); at > 3; at -= 3) digits.insert(at - 3, ",");
    return digits + " KB";
}

TpictureViewerForm::TpictureViewerForm(platform::Platform& platform,
                                       reading::FolderWindowHost& host, PlaceSources sources)
    : platform_(platform), host_(host), sources_(std::move(sources)) {
    setKey(kPictureViewerKey);
    const PictureViewerSettings settings =
        loadPictureViewerSettings(sources_.home / kPictureViewerSettingsFile);
    setBounds({settings.left, settings.top, settings.width, settings.height});
    fitToWindow_ = settings.fitToWindow;

    ensureAttachFolder();
    const std::string attachProblem = error_;
    listPlaces();
    const fs::path attach = normalFolder(sources_.home / store::kAttachDirectory);
    std::error_code ignored;
    const fs::path last = normalFolder(settings.folder);
    // A last folder that is gone (or was never recorded) quietly gives way to Attach; one that
    // cannot be read says so first.
    bool opened = !settings.folder.empty() && last.is_absolute() &&
                  fs::is_directory(last, ignored) && openFolder(last);
    const std::string lastProblem = error_;
    if (!opened) opened = openFolder(attach);
    if (!opened) opened = openFolder(sources_.home);
    if (!lastProblem.empty()) error_ = lastProblem;
    if (!attachProblem.empty()) error_ = attachProblem;
    if (opened && !settings.picture.empty() && folder_ == last) {
        const auto it =
            std::find_if(pictureRows_.begin(), pictureRows_.end(),
                         [&](const PictureFile& f) { return f.name == settings.picture; });
        if (it != pictureRows_.end()) selectPicture(static_cast<int>(it - pictureRows_.begin()));
    }
    updateCaption();
    updateStatus();
    started_ = true;
}

// --- state -----------------------------------------------------------------------------------

int TpictureViewerForm::placeIndex() const {
    int best = -1;
    std::size_t bestLength = 0;
    for (std::size_t i = 0; i < places_.size(); ++i) {
        const std::string path = places_[i].path.string();
        if (liesIn(folder_, places_[i].path) && (best < 0 || path.size() > bestLength)) {
            best = static_cast<int>(i);
            bestLength = path.size();
        }
    }
    return best;
}

void TpictureViewerForm::ensureAttachFolder() {
    const fs::path attach = sources_.home / store::kAttachDirectory;
    std::error_code error;
    if (fs::is_directory(attach, error)) return;
    if (fs::exists(fs::symlink_status(attach, error)))
        error = std::make_error_code(std::errc::not_a_directory);
    else
        fs::create_directory(attach, error);
    if (error) {
        error_ = "Cannot create the folder " + attach.string() + ": " + errorText(error);
        return;
    }
    host_.homeFoldersChanged();  // the tree shows it at once
}

void TpictureViewerForm::listPlaces() {
    places_ = picturePlaces(sources_);
    for (PicturePlace& place : places_) place.path = normalFolder(place.path);
}

void TpictureViewerForm::updateCaption() {
    std::string caption = kPictureViewerCaption;
    caption += " - ";
    caption += selected_ >= 0
                   ? (folder_ / pictureRows_[static_cast<std::size_t>(selected_)].name).string()
                   : folder_.string();
    setCaption(std::move(caption));
}

void TpictureViewerForm::updateStatus() {
    status_.clear();
    if (selected_ < 0) return;
    const PictureFile& file = pictureRows_[static_cast<std::size_t>(selected_)];
    status_ = file.name + "  ";
    if (picture_)
        status_ += std::to_string(picture_->trueWidth) + " x " +
                   std::to_string(picture_->trueHeight) + " pixels  ";
    status_ += kilobytesText(file.size);
    status_ +=
        "  (" + std::to_string(selected_ + 1) + " of " + std::to_string(pictureRows_.size()) + ")";
    // Shown at actual size, a picture too large for the memory bound comes reduced.
    if (picture_ && !fitToWindow_ && picture_->scaleDenominator > 1)
        status_ += "  shown at 1/" + std::to_string(picture_->scaleDenominator);
}

void TpictureViewerForm::changed() {
    updateCaption();
    updateStatus();
    // While the constructor lists the start folder the window is not the host's yet.
    if (started_) host_.childWindowChanged(*this);
}

JpegDecodeRequest TpictureViewerForm::decodeRequest() const {
    if (!fitToWindow_) return {};
    return {std::max(areaWidth_, 1), std::max(areaHeight_, 1)};
}

// --- commands --------------------------------------------------------------------------------

void TpictureViewerForm::choosePlace(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= places_.size()) return;
    const fs::path path = places_[static_cast<std::size_t>(index)].path;
    error_.clear();
    if (path == normalFolder(sources_.home / store::kAttachDirectory)) ensureAttachFolder();
    if (!error_.empty()) return changed();
    openFolder(path);
}

void TpictureViewerForm::openFolderRow(int row) {
    if (row < 0 || static_cast<std::size_t>(row) >= folderRows_.size()) return;
    const FolderRow& entry = folderRows_[static_cast<std::size_t>(row)];
    openFolder(entry.parent ? folder_.parent_path() : folder_ / entry.label);
}

bool TpictureViewerForm::openFolder(const fs::path& requested) {
    const fs::path folder = normalFolder(requested);
    std::error_code error;
    std::optional<PictureFolderListing> listing = listPictureFolder(folder, error);
    if (!listing) {
        error_ = "Cannot open the folder " + folder.string() + ": " + errorText(error);
        changed();
        return false;
    }
    const bool moved = folder != folder_;
    const std::string previous =
        !moved && selected_ >= 0 ? pictureRows_[static_cast<std::size_t>(selected_)].name : "";
    folder_ = folder;
    folderRows_.clear();
    if (folder_.has_relative_path()) folderRows_.push_back({kParentFolderLabel, true});
    for (std::string& name : listing->folders) folderRows_.push_back({std::move(name), false});
    pictureRows_ = std::move(listing->pictures);
    error_ = listing->truncated ? "Only the first " + std::to_string(kMaxFolderEntries) +
                                      " entries of this folder are listed"
                                : "";
    selected_ = -1;
    picture_.reset();
    ++pictureVersion_;
    // Listed again (F5): the picture shown stays chosen while it is there.
    const auto it = std::find_if(pictureRows_.begin(), pictureRows_.end(),
                                 [&](const PictureFile& f) { return f.name == previous; });
    if (!previous.empty() && it != pictureRows_.end()) {
        selected_ = static_cast<int>(it - pictureRows_.begin());
        showSelected();
    }
    if (moved && started_) {
        if (const std::error_code written = writeSettings())
            error_ = "Cannot write " + (sources_.home / kPictureViewerSettingsFile).string() +
                     ": " + errorText(written);
    }
    changed();
    return true;
}

void TpictureViewerForm::showSelected() {
    picture_.reset();
    ++pictureVersion_;
    if (selected_ < 0) return;
    const PictureFile& file = pictureRows_[static_cast<std::size_t>(selected_)];
    JpegDecodeResult result = decodeJpegFile(folder_ / file.name, decodeRequest());
    if (!result.picture) {
        error_ = "Cannot show " + file.name + ": " + result.error;
        return;
    }
    picture_ = std::move(result.picture);
    error_ = picture_->warning.empty() ? "" : file.name + " is damaged: " + picture_->warning;
}

void TpictureViewerForm::selectPicture(int row) {
    if (row < -1 || row >= static_cast<int>(pictureRows_.size())) return;
    if (row == selected_ && (row < 0 || picture_)) return;
    selected_ = row;
    error_.clear();
    showSelected();
    changed();
}

void TpictureViewerForm::previousPictureClick() {
    if (previousEnabled()) selectPicture(selected_ - 1);
}

void TpictureViewerForm::nextPictureClick() {
    if (nextEnabled()) selectPicture(selected_ + 1);
}

void TpictureViewerForm::setFitToWindow(bool on) {
    if (on == fitToWindow_) return;
    fitToWindow_ = on;
    if (picture_ && jpegScaleDenominator(picture_->trueWidth, picture_->trueHeight,
                                         decodeRequest()) != picture_->scaleDenominator)
        showSelected();
    changed();
}

void TpictureViewerForm::setPictureArea(int width, int height) {
    if (width <= 0 || height <= 0 || (width == areaWidth_ && height == areaHeight_)) return;
    areaWidth_ = width;
    areaHeight_ = height;
    if (!fitToWindow_ || !picture_) return;
    if (jpegScaleDenominator(picture_->trueWidth, picture_->trueHeight, decodeRequest()) ==
        picture_->scaleDenominator)
        return;
    showSelected();
    changed();
}

void TpictureViewerForm::refreshClick() {
    listPlaces();
    // Listing the folder again reads the chosen picture again too: it may have changed on disk.
    openFolder(folder_);
}

void TpictureViewerForm::closeClick() {
    host_.closeChildWindow(*this);
}

void TpictureViewerForm::helpClick() {
    platform::showHelpTopic(platform_, platform::help_topic::kPictureViewer);
}

platform::Menu TpictureViewerForm::toolbar() const {
    auto* self = const_cast<TpictureViewerForm*>(this);
    platform::MenuEntry previous{"cmdPrevious", "&Previous"};
    previous.hint = "Show the previous picture of this folder";
    previous.icon = "go-previous";
    previous.shortcut = "PgUp";
    previous.enabled = previousEnabled();
    previous.command = [self] { self->previousPictureClick(); };
    platform::MenuEntry next{"cmdNext", "&Next"};
    next.hint = "Show the next picture of this folder";
    next.icon = "go-next";
    next.shortcut = "PgDown";
    next.enabled = nextEnabled();
    next.command = [self] { self->nextPictureClick(); };
    platform::MenuEntry fit{"chkFitToWindow", "&Fit To Window"};
    fit.hint = "Shrink large pictures to fit the window";
    fit.icon = "zoom-fit-best";
    fit.checkable = true;
    fit.checked = fitToWindow_;
    fit.command = [self] { self->setFitToWindow(!self->fitToWindow()); };
    return {previous, next, fit};
}

platform::Menu TpictureViewerForm::popupMenu() const {
    auto* self = const_cast<TpictureViewerForm*>(this);
    const platform::Commands& commands = host_.registeredCommands();
    auto own = [](const char* name, const char* caption, std::function<void()> run) {
        platform::MenuEntry e{name, caption};
        e.command = std::move(run);
        return e;
    };
    platform::Menu buttons = toolbar();
    platform::MenuEntry previous = buttons[0], next = buttons[1], fit = buttons[2];
    previous.name = "popJpeg_Previous", previous.caption = "&Previous Picture";
    next.name = "popJpeg_Next", next.caption = "&Next Picture";
    fit.name = "popJpeg_FitToWindow";
    platform::MenuEntry refresh =
        own("popJpeg_Refresh", "&Refresh", [self] { self->refreshClick(); });
    refresh.shortcut = "F5";
    return {
        previous,
        next,
        platform::MenuEntry::separator(),
        fit,
        refresh,
        platform::MenuEntry::separator(),
        platform::commandMenuEntry(commands, "popJpeg_FloatingTips", "Floating &Tips",
                                   platform::kFloatingTipsCommand),
        own("popJpeg_Help", "&Help", [self] { self->helpClick(); }),
        own("popJpeg_Close", "&Close", [self] { self->closeClick(); }),
    };
}

std::error_code TpictureViewerForm::writeSettings() const {
    PictureViewerSettings settings;
    settings.folder = folder_;
    if (selected_ >= 0) settings.picture = pictureRows_[static_cast<std::size_t>(selected_)].name;
    settings.fitToWindow = fitToWindow_;
    settings.top = bounds().top;
    settings.left = bounds().left;
    settings.width = bounds().width;
    settings.height = bounds().height;
    return savePictureViewerSettings(sources_.home / kPictureViewerSettingsFile, settings);
}

void TpictureViewerForm::onClose() {
    const fs::path file = sources_.home / kPictureViewerSettingsFile;
    if (const std::error_code error = writeSettings()) {
        platform_.system.beep();
        platform_.dialogs.warning(
            kProductName, "File I/O Error 9563\r" + errorText(error) + "\r" + file.string());
    }
}

}  // namespace velmora::tools
