#include "retrieval/standalone_retrieval.h"

#include <cstdio>

#include "base/identity.h"

namespace velmora::retrieval {

StandaloneRetrieval::StandaloneRetrieval(platform::Platform& platform, std::filesystem::path home)
    : platform_(platform), home_(std::move(home)), title_(kProductName) {
    profiles::loadConfigurationGroup(home_, settings_);
    settings_.vl = profiles::loadVlSettings(home_);
    profiles_.loadProfileNames(home_);
    if (auto error = profiles_.loadProfiles(home_))
        errors_.push_back("Create Error 0746\r" + *error);
    profiles_.selectActiveProfile(settings_.vl.activeProfile);
    rules_ = loadRules(home_);
    folders_ = std::make_unique<reading::StandaloneFolders>(platform_, home_, settings_);
    retrieval_ = std::make_unique<Retrieval>(platform_, home_, settings_, profiles_, rules_, *this);
    retrieval_->setShowPauses(false);  // no progress box to read
}

StandaloneRetrieval::~StandaloneRetrieval() {
    retrieval_.reset();
    headers_.reset();
    folders_.reset();
}

reading::TinboxForm* StandaloneRetrieval::currentFolderWindow() {
    return current_.empty() ? nullptr : folders_->findFolderWindow(current_);
}

TheadersForm& StandaloneRetrieval::showHeadersWindow() {
    if (!headers_)
        headers_ = std::make_unique<TheadersForm>(
            platform_, home_, TheadersForm::Commands{[this] { return busy_; }, {}, {}});
    return *headers_;
}

void StandaloneRetrieval::showStatus(const std::string& text) {
    if (onStatus)
        onStatus(text);
    else
        std::fprintf(stderr, "%s\n", text.c_str());
}

void StandaloneRetrieval::reportError(const std::string& text) {
    errors_.push_back(text);
    std::fprintf(stderr, "%s: %s\n", title_.c_str(), text.c_str());
}

}  // namespace velmora::retrieval
