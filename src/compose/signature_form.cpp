#include "compose/signature_form.h"

#include <algorithm>
#include <numeric>

#include "base/identity.h"
#include "base/text.h"
#include "platform/help_requests.h"
#include "platform/print_jobs.h"

namespace velmora::compose {

namespace {

TsignatureForm::View& registeredView() {
    static TsignatureForm::View view;
    return view;
}

}  // namespace

void setSignatureWindowView(TsignatureForm::View view) {
    registeredView() = std::move(view);
}

std::string nameInUseText(const std::string& existing) {
    return "Signature Block name  '" + existing + "'  already in use.";
}

void TsignatureForm::open(const std::string& profileName, std::filesystem::path file) {
    file_ = std::move(file);
    profileName_ = profileName;
    caption_ = "Signature Blocks For [" + profileName + "]";
    list_ = readSignatureFile(file_);
    editor_ = list_.blocks.empty()
                  ? ""
                  : list_.blocks[static_cast<std::size_t>(list_.defaultPosition)].block.text;
    changed_ = false;
    copied_ = false;
    focus_ = list_.blocks.empty() ? SignatureFocus::AddButton : SignatureFocus::Editor;
}

SignatureMoves TsignatureForm::unchanged() const {
    SignatureMoves moves(list_.blocks.size());
    std::iota(moves.begin(), moves.end(), 0);
    return moves;
}

void TsignatureForm::tell(const SignatureMoves& moves) {
    if (onListChanged) onListChanged(moves);
}

void TsignatureForm::storeEditor() {
    const int s = selected();
    if (s < 0) return;
    auto& text = list_.blocks[static_cast<std::size_t>(s)].block.text;
    if (text != editor_) {
        text = editor_;
        changed_ = true;
    }
}

void TsignatureForm::select(int index) {
    if (index < 0 || index >= static_cast<int>(list_.blocks.size())) return;
    storeEditor();
    list_.defaultPosition = index;
    editor_ = list_.blocks[static_cast<std::size_t>(index)].block.text;
}

void TsignatureForm::setEditorText(std::string text) {
    editor_ = std::move(text);
    storeEditor();
}

std::optional<std::string> TsignatureForm::askName(const std::string& title, std::string start) {
    for (;;) {
        auto answer = platform_.dialogs.inputBox(
            {title, {"Add Signature Block Name", start, false}, std::nullopt});
        if (!answer) return std::nullopt;
        const std::string name(trimmed(answer->first));
        if (name.empty()) return std::nullopt;
        const int existing = list_.find(name);
        if (existing < 0) return name;
        platform_.system.beep();
        platform_.dialogs.information(
            kProductName, nameInUseText(list_.blocks[static_cast<std::size_t>(existing)].name));
        start = answer->first;
    }
}

bool TsignatureForm::addClick() {
    storeEditor();
    auto name = askName("Add Signature Block Name", "");
    if (!name) return false;
    const SignatureMoves moves = unchanged();
    list_.blocks.push_back({*name, {}});
    list_.defaultPosition = static_cast<int>(list_.blocks.size()) - 1;
    editor_.clear();
    changed_ = true;
    focus_ = SignatureFocus::Editor;
    tell(moves);
    return true;
}

bool TsignatureForm::editClick() {
    const int s = selected();
    if (s < 0) return false;
    storeEditor();
    auto name =
        askName("Edit Signature Block Name", list_.blocks[static_cast<std::size_t>(s)].name);
    if (!name) return false;
    list_.blocks[static_cast<std::size_t>(s)].name = *name;
    changed_ = true;
    tell(unchanged());
    return true;
}

bool TsignatureForm::deleteClick() {
    const int s = selected();
    if (s < 0) return false;
    storeEditor();
    platform_.system.beep();
    const std::string name = list_.blocks[static_cast<std::size_t>(s)].name.substr(0, 32);
    if (platform_.dialogs.question(kProductName, "Confirm deleting " + name + " Signature Block?",
                                   platform::Buttons::YesNo,
                                   platform::Answer::Yes) != platform::Answer::Yes)
        return false;
    SignatureMoves moves = unchanged();
    moves[static_cast<std::size_t>(s)] = -1;
    for (std::size_t i = static_cast<std::size_t>(s) + 1; i < moves.size(); ++i) --moves[i];
    list_.blocks.erase(list_.blocks.begin() + s);
    changed_ = true;
    if (list_.blocks.empty()) {
        list_.defaultPosition = 0;
        editor_.clear();
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
        changed_ = false;
        focus_ = SignatureFocus::AddButton;
    } else {
        list_.defaultPosition = std::min(s, static_cast<int>(list_.blocks.size()) - 1);
        editor_ = list_.blocks[static_cast<std::size_t>(list_.defaultPosition)].block.text;
        focus_ = SignatureFocus::List;
    }
    tell(moves);
    return true;
}

void TsignatureForm::moveBlock(int from, int to) {
    const int count = static_cast<int>(list_.blocks.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    storeEditor();
    const bool wasSelected = from == selected();
    SignatureMoves moves = unchanged();
    for (int i = 0; i < count; ++i) {
        if (i == from)
            moves[static_cast<std::size_t>(i)] = to;
        else if (from < to && i > from && i <= to)
            moves[static_cast<std::size_t>(i)] = i - 1;
        else if (to < from && i >= to && i < from)
            moves[static_cast<std::size_t>(i)] = i + 1;
    }
    SignatureBlock moved = std::move(list_.blocks[static_cast<std::size_t>(from)]);
    list_.blocks.erase(list_.blocks.begin() + from);
    list_.blocks.insert(list_.blocks.begin() + to, std::move(moved));
    list_.defaultPosition = wasSelected ? to : moves[static_cast<std::size_t>(selected())];
    changed_ = true;
    tell(moves);
}

bool TsignatureForm::rankKey(profiles::RankKey key, bool shift) {
    if (list_.blocks.empty()) return false;
    if (key == profiles::RankKey::Delete) {
        if (shift) return false;
        deleteClick();
        return true;
    }
    const int last = static_cast<int>(list_.blocks.size()) - 1;
    int target = selected();
    switch (key) {
        case profiles::RankKey::Up:
            target = std::max(0, target - 1);
            break;
        case profiles::RankKey::Down:
            target = std::min(last, target + 1);
            break;
        case profiles::RankKey::Home:
            target = 0;
            break;
        case profiles::RankKey::End:
            target = last;
            break;
        case profiles::RankKey::Delete:
            break;
    }
    if (shift)
        moveBlock(selected(), target);
    else
        select(target);
    return true;
}

void TsignatureForm::dragBlock(int from, int to) {
    moveBlock(from, to);
}

platform::Menu TsignatureForm::popupMenu() {
    auto entry = [](std::string name, std::string caption, std::function<void()> command,
                    bool enabled) {
        platform::MenuEntry e(std::move(name), std::move(caption));
        e.command = std::move(command);
        e.enabled = enabled;
        return e;
    };
    return {
        entry(
            "popCopySignature", "&Copy Signature Block", [this] { copyClick(); }, !editor_.empty()),
        entry(
            "popPasteSignature", "&Paste Signature Block", [this] { pasteAt(editor_.size()); },
            copied_),
        entry(
            "popPrintSignature", "&Print Signature Block", [this] { printClick(); },
            !editor_.empty()),
        platform::MenuEntry::separator(),
        platform::commandMenuEntry(registered_ ? *registered_ : platform::Commands{},
                                   "popTipsSignature", "Floating &Tips",
                                   platform::kFloatingTipsCommand),
        entry(
            "popCloseSignature", "&Close Window",
            [this] {
                if (closeRequested) closeRequested();
            },
            true),
        entry(
            "popHelpSignature", "&Help",
            [this] { platform::showHelpTopic(platform_, platform::help_topic::kSignatures); },
            true),
    };
}

void TsignatureForm::copyClick() {
    if (editor_.empty()) return;
    platform_.system.setClipboardText(editor_);
    copied_ = true;
}

platform::PrintJob TsignatureForm::printJob() const {
    const int at = selected();
    const std::string block =
        at >= 0 ? list_.blocks[static_cast<std::size_t>(at)].name : std::string();
    return platform::textPrintJob(
        "User Profile [" + profileName_ + "] [" + block + "] Signature Block", editor_,
        platform_.clock.localNow());
}

void TsignatureForm::printClick() {
    if (!editor_.empty()) platform::printAndReport(platform_, printJob());
}

bool TsignatureForm::pasteAt(std::size_t position) {
    const std::string text = platform_.system.clipboardText();
    if (text.empty()) return false;
    if (list_.blocks.empty()) {
        if (!addClick()) return false;
        position = 0;
    }
    std::string edited = editor_;
    edited.insert(std::min(position, edited.size()), text);
    setEditorText(std::move(edited));
    focus_ = SignatureFocus::Editor;
    return true;
}

bool TsignatureForm::showModal() {
    const View& view = view_ ? view_ : registeredView();
    if (!view) return false;
    view(*this);
    return true;
}

std::error_code TsignatureForm::close() {
    storeEditor();
    if (!changed_ || list_.blocks.empty()) return {};
    if (auto ec = writeSignatureFile(file_, list_)) return ec;
    changed_ = false;
    tell(unchanged());
    return {};
}

bool TsignatureForm::updateBlock(const std::string& name, const std::string& text) {
    const int index = list_.find(name);
    if (index < 0) return false;
    storeEditor();
    list_.blocks[static_cast<std::size_t>(index)].block.text = text;
    if (index == selected()) editor_ = text;
    if (writeSignatureFile(file_, list_)) return false;
    tell(unchanged());
    return true;
}

}  // namespace velmora::compose
