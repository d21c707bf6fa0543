#include "tools/scratch_pads.h"

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::tools {

bool isUsablePadName(std::string_view name) {
    if (name.empty() || name == "." || name.find("..") != std::string_view::npos) return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            return false;
    return true;
}

ScratchPads::ScratchPads(platform::Platform& platform, std::filesystem::path home,
                         reading::FolderWindowHost& host)
    : platform_(platform), home_(std::move(home)), host_(host) {}

std::vector<TscratchPadForm*> ScratchPads::pads() const {
    std::vector<TscratchPadForm*> found;
    for (platform::ChildWindow* child : host_.childWindows())
        if (auto* pad = dynamic_cast<TscratchPadForm*>(child)) found.push_back(pad);
    return found;
}

TscratchPadForm* ScratchPads::activePad() const {
    const auto children = host_.childWindows();
    return children.empty() ? nullptr : dynamic_cast<TscratchPadForm*>(children.front());
}

TscratchPadForm* ScratchPads::findPad(const std::string& fileName) const {
    const std::string key = std::string(kScratchPadKind) + "." + fileName;
    for (TscratchPadForm* pad : pads())
        if (pad->key() == key) return pad;
    return nullptr;
}

TscratchPadForm& ScratchPads::addPad(const std::string& fileName,
                                     const platform::WindowPlacement* placement) {
    auto pad = std::make_unique<TscratchPadForm>(platform_, *this, home_, fileName);
    if (placement) {
        pad->setState(placement->state);
        pad->setBounds(placement->bounds);
    }
    return static_cast<TscratchPadForm&>(host_.addChildWindow(std::move(pad)));
}

TscratchPadForm& ScratchPads::openPadFile(const std::filesystem::path& file,
                                          const char* errorCode) {
    const std::string fileName = file.filename().string();
    if (TscratchPadForm* open = findPad(fileName)) {
        showPad(*open);
        return *open;
    }
    TscratchPadForm& pad = addPad(fileName);
    if (const std::error_code ec = pad.load(file)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, std::string("Load ScratchPad File Error ") +
                                                    errorCode + "\r" + errorText(ec));
    }
    return pad;
}

void ScratchPads::refuseName(const std::string& name) {
    platform_.system.beep();
    platform_.dialogs.warning(
        kProductName, "\"" + name +
                          "\" cannot be the name of a scratch pad.\rIts file is kept in the " +
                          kProductName +
                          " home folder, so the name must not contain \"/\", \"\\\", \"..\" "
                          "or control characters.");
}

void ScratchPads::newClick() {
    platform::InputBoxRequest request;
    request.caption = kNewPadCaption;
    request.first.prompt = kNewPadPrompt;
    const auto answer = platform_.dialogs.inputBox(request);
    if (!answer) return;
    const std::string name(trimmed(answer->first));
    if (name.empty()) return;
    if (!isUsablePadName(name)) {
        refuseName(name);
        return;
    }
    const std::string fileName = name + ".txt";
    std::error_code ec;
    if (findPad(fileName) ||
        std::filesystem::exists(std::filesystem::symlink_status(home_ / fileName, ec))) {
        // Never an empty file over notes of that name: the pad of the file comes up instead.
        openPadFile(home_ / fileName, "1263");
        return;
    }
    addPad(fileName).save();
}

void ScratchPads::openClick() {
    platform::FileDialogRequest request;
    request.title = "Open";
    request.initialDirectory = home_;
    request.filters = {{"Text files (*.txt)", {"*.TXT", "*.txt"}}};
    const auto chosen = platform_.dialogs.openFiles(request);
    if (chosen.empty()) return;
    const std::string fileName = chosen.front().filename().string();
    if (fileName.empty()) return;
    if (!isUsablePadName(fileName)) {
        refuseName(fileName);
        return;
    }
    if (TscratchPadForm* open = findPad(fileName)) {
        // One window per pad file: a second one would write over the first one's text.
        showPad(*open);
        platform_.dialogs.information(
            kProductName, "ScratchPad  " + fileName + "  is open already: its window is in front.");
        return;
    }
    openPadFile(chosen.front(), "1263");
}

void ScratchPads::saveClick() {
    if (TscratchPadForm* pad = activePad()) pad->save();
}

void ScratchPads::closeClick() {
    if (TscratchPadForm* pad = activePad()) closePad(*pad);
}

void ScratchPads::restore(const std::vector<std::string>& lines) {
    for (const platform::ScratchPadRecord& record : platform::parseScratchRecords(lines)) {
        if (!isUsablePadName(record.fileName) || findPad(record.fileName)) continue;
        TscratchPadForm& pad = addPad(record.fileName, &record.placement);
        host_.childWindowChanged(pad);
        const std::filesystem::path file = home_ / record.fileName;
        std::error_code ec;
        if (!std::filesystem::exists(std::filesystem::symlink_status(file, ec))) {
            platform_.dialogs.warning(kProductName,
                                      "ScratchPad File " + file.string() + " not found.");
            continue;
        }
        if ((ec = pad.load(file)))
            platform_.dialogs.warning(kProductName,
                                      "Load ScratchPad File Error 4270\r" + errorText(ec));
    }
}

std::vector<std::string> ScratchPads::record(platform::ChildWindow& window) {
    auto* pad = dynamic_cast<TscratchPadForm*>(&window);
    if (!pad) return {};
    if (pad->modified()) pad->save();
    return platform::scratchRecordLines({pad->fileName(), {pad->state(), pad->bounds()}});
}

void ScratchPads::mailTo(const std::string& address) {
    TscratchPadForm* pad = findPad(kWebLinksPad);
    if (!pad) pad = &openPadFile(home_ / kWebLinksPad, "1263");
    pad->appendLine(address);
}

void ScratchPads::shutdown() {
    for (TscratchPadForm* pad : pads())
        if (pad->modified()) pad->save();
}

void ScratchPads::showPad(platform::ChildWindow& pad) {
    pad.setVisible(true);
    if (pad.state() == platform::WindowState::Minimized)
        pad.setState(platform::WindowState::Normal);
    host_.activateChildWindow(pad);
    host_.childWindowChanged(pad);
}

void ScratchPads::closePad(platform::ChildWindow& pad) {
    host_.closeChildWindow(pad);
}

void ScratchPads::padChanged(platform::ChildWindow& pad) {
    host_.childWindowChanged(pad);
}

std::shared_ptr<ScratchPads> registerScratchPads(platform::WindowKinds& kinds,
                                                 platform::Commands& commands,
                                                 const std::filesystem::path& home,
                                                 reading::FolderWindowHost& host,
                                                 platform::Platform& platform) {
    // The kind and the commands keep the object alive; the pads, freed by the main window before
    // its registries, only borrow it.
    auto pads = std::make_shared<ScratchPads>(platform, home, host);
    platform::WindowKind kind;
    kind.keyPrefix = kScratchPadKind;
    kind.sessionFile = platform::kScratchSessionFile;
    kind.restore = [pads](const std::vector<std::string>& lines) { pads->restore(lines); };
    kind.record = [pads](platform::ChildWindow& window) { return pads->record(window); };
    kind.mailTo = [pads](const std::string& address) { pads->mailTo(address); };
    kind.shutdown = [pads] { pads->shutdown(); };
    kinds.add(std::move(kind));

    auto padInFront = [pads] { return pads->activePad() != nullptr; };
    commands.add("scratch.new", {[pads] { pads->newClick(); }, {}});
    commands.add("scratch.open", {[pads] { pads->openClick(); }, {}});
    commands.add("scratch.save", {[pads] { pads->saveClick(); }, padInFront});
    commands.add("scratch.close", {[pads] { pads->closeClick(); }, padInFront});
    return pads;
}

}  // namespace velmora::tools
