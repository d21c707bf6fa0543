#include "compose/compose_windows.h"

#include <numeric>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "profiles/profile.h"
#include "reading/folder_window.h"

namespace velmora::compose {

ComposeWindows::ComposeWindows(platform::Platform& platform, std::filesystem::path home,
                               ComposeHost& host)
    : platform_(platform),
      home_(std::move(home)),
      host_(host),
      context_{platform_, home_, host_, shared_},
      sending_(platform_, home_, host_),
      signatureForm_(platform_, &host_.folders().registeredCommands()) {
    shared_.send = [this](TcomposeForm& window) { sending_.sendComposeWindow(window); };
    shared_.signatures = [this] {
        const auto* active = host_.profiles().activeProfile();
        if (!active || active->profileName == signatureProfile_) return signatureForm_.list();
        // A window opening under the signature window (a mail-to hand-over) must not take the
        // blocks being edited away from it.
        if (editingSignatures_)
            return readSignatureFile(profiles::signatureFilePath(home_, active->profileName));
        openSignatureForm(active->profileName);
        return signatureForm_.list();
    };
    shared_.updateSignature = [this](const std::string& profileName, const std::string& block,
                                     const std::string& text) {
        // A profile deleted meanwhile gets no signature file again.
        if (!host_.profiles().findName(profileName)) return false;
        if (profileName == signatureProfile_) return signatureForm_.updateBlock(block, text);
        // Another profile's file: read, change, write, without touching the signature window.
        const auto file = profiles::signatureFilePath(home_, profileName);
        SignatureList list = readSignatureFile(file);
        const int index = list.find(block);
        if (index < 0) return false;
        list.blocks[static_cast<std::size_t>(index)].block.text = text;
        if (writeSignatureFile(file, list)) return false;
        SignatureMoves same(list.blocks.size());
        std::iota(same.begin(), same.end(), 0);
        followSignatures(profileName, list, same);
        return true;
    };
    signatureForm_.onListChanged = [this](const SignatureMoves& moves) {
        followSignatures(signatureProfile_, signatureForm_.list(), moves);
    };
}

void ComposeWindows::openSignatureForm(const std::string& profileName) {
    signatureProfile_ = profileName;
    if (profileName.empty())
        signatureForm_.open("", home_ / ".no-profile.sig");
    else
        signatureForm_.open(profileName, profiles::signatureFilePath(home_, profileName));
}

void ComposeWindows::loadSignatures(const std::string& profileName) {
    if (!editingSignatures_) openSignatureForm(profileName);
    for (TcomposeForm* window : host_.composeWindows())
        if (!window->loading()) window->buildSignatureDropDownList();
}

void ComposeWindows::followSignatures(const std::string& profileName, const SignatureList& list,
                                      const SignatureMoves& moves) {
    if (profileName.empty()) return;
    for (TcomposeForm* window : host_.composeWindows())
        if (!window->loading() && window->profileName() == profileName)
            window->followSignatureList(list, moves);
}

void ComposeWindows::openSignatureEditor(const std::string& profileName) {
    if (profileName.empty()) return;
    if (editingSignatures_) return;
    openSignatureForm(profileName);
    editingSignatures_ = true;
    const bool shown = signatureForm_.showModal();
    editingSignatures_ = false;
    if (shown) {
        if (auto ec = signatureForm_.close())
            platform_.dialogs.warning(kProductName, "File I/O Error 9563\r" + errorText(ec));
    }
    const auto* active = host_.profiles().activeProfile();
    const std::string activeName = active ? active->profileName : std::string();
    if (activeName != signatureProfile_) openSignatureForm(activeName);
}

bool ComposeWindows::mayOpen() {
    if (host_.busy()) return false;
    if (host_.composeWindows().size() >= static_cast<std::size_t>(kMaxComposeWindows)) {
        platform_.dialogs.information(kProductName, kTooManyWindowsText);
        return false;
    }
    return true;
}

TcomposeForm& ComposeWindows::add(std::unique_ptr<TcomposeForm> window) {
    TcomposeForm& added = host_.addComposeWindow(std::move(window));
    added.start();
    return added;
}

TcomposeForm* ComposeWindows::openNew(const std::optional<std::string>& mailTo) {
    if (!mayOpen()) return nullptr;
    auto window =
        std::make_unique<TcomposeForm>(context_, ComposeMode::Compose, ++shared_.windowsOpened);
    TcomposeForm& added = add(std::move(window));
    if (mailTo) {
        added.initialise();
        added.setMailTo(*mailTo);
    }
    return &added;
}

TcomposeForm* ComposeWindows::openStored(const std::string& folder, int row) {
    reading::TinboxForm* window = &host_.folders().openFolderWindow(folder, false);
    if (row < 0 || row >= static_cast<int>(window->rowCount())) return nullptr;
    if (!mayOpen()) return nullptr;
    auto compose =
        std::make_unique<TcomposeForm>(context_, modeOfFolder(folder), ++shared_.windowsOpened);
    compose->setSource({folder, window->rows()[static_cast<std::size_t>(row)].item.fileName});
    compose->setCaption("Compose " + std::to_string(compose->number()) + " - " + folder + " - [" +
                        window->rows()[static_cast<std::size_t>(row)].item.subject + "]");
    return &add(std::move(compose));
}

void ComposeWindows::composeCommand() {
    if (host_.busy()) return;
    const auto open = host_.composeWindows();
    if (host_.settings().compose.composeButtonMode == 0 && !open.empty()) {
        // The current compose window, on the page of its first empty field of To, Subject, Body.
        TcomposeForm& window = *open.front();
        host_.bringToFront(window);
        const bool addressed = !window.plain(AddressField::To).empty() && !window.subject().empty();
        window.showPage(addressed && window.body().find_first_not_of(" \t\r\n") == std::string::npos
                            ? ComposePage::Body
                            : ComposePage::Compose);
        return;
    }
    openNew();
}

void ComposeWindows::composeUsingProfile(const std::string& profileName) {
    if (host_.busy()) return;
    if (TcomposeForm* window = openNew()) {
        window->initialise();
        window->changeProfile(profileName);
    }
}

bool ComposeWindows::sendAvailable() {
    if (host_.busy() || sending_.running()) return false;
    if (TcomposeForm* compose = host_.activeComposeWindow()) return compose->sendEnabled();
    const reading::TinboxForm* folder = host_.folders().currentFolderWindow();
    return folder && folder->selectedCount() > 0 &&
           (folder->folderKind() == store::FolderKind::OutBox ||
            folder->folderKind() == store::FolderKind::Sent);
}

void ComposeWindows::sendCommand() {
    if (TcomposeForm* compose = host_.activeComposeWindow()) {
        compose->sendMessageClick();
        return;
    }
    if (reading::TinboxForm* folder = host_.folders().currentFolderWindow())
        sending_.sendSelectedRows(*folder);
}

}  // namespace velmora::compose
