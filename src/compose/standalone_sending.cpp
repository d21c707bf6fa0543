#include "compose/standalone_sending.h"

#include <cstdio>

#include "base/identity.h"
#include "compose/compose_form.h"
#include "reading/folder_window.h"

namespace velmora::compose {

StandaloneSending::StandaloneSending(platform::Platform& platform, std::filesystem::path home)
    : platform_(platform), home_(std::move(home)), title_(kProductName) {
    profiles::loadConfigurationGroup(home_, settings_);
    settings_.vl = profiles::loadVlSettings(home_);
    profiles_.loadProfileNames(home_);
    if (auto error = profiles_.loadProfiles(home_))
        platform_.dialogs.warning(kProductName, "Create Error 0746\r" + *error);
    if (!profiles_.empty()) {
        profiles_.selectActiveProfile(settings_.vl.activeProfile);
        profiles_.selectConnectionProfile(settings_.vl.connectionProfile);
    }
    folders_ = std::make_unique<reading::StandaloneFolders>(platform_, home_, settings_);
    sending_ = std::make_unique<Sending>(platform_, home_, *this);
    sending_->setReadingPauses(false);
}

StandaloneSending::~StandaloneSending() {
    sending_.reset();
    windows_.clear();
    folders_.reset();
}

std::pair<int, int> StandaloneSending::sendOutBox() {
    reading::TinboxForm& outbox = folders_->openFolderWindow("OutBox", false);
    const int rows = static_cast<int>(outbox.rowCount());
    if (rows == 0) return {0, 0};
    outbox.selectAll();
    const auto delivered = sending_->sendSelectedRows(outbox);
    return {static_cast<int>(delivered.size()), rows};
}

void StandaloneSending::showStatus(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

TcomposeForm& StandaloneSending::addComposeWindow(std::unique_ptr<TcomposeForm> window) {
    windows_.push_back(std::move(window));
    return *windows_.back();
}

}  // namespace velmora::compose
