#include "tools/scratch_pad_form.h"

#include <algorithm>
#include <vector>

#include "base/file_access.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "base/unicode_text.h"

namespace velmora::tools {

namespace {

bool sameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    std::error_code ec;
    return a == b || std::filesystem::equivalent(a, b, ec);
}

bool fileExists(const std::filesystem::path& file) {
    std::error_code ec;
    return std::filesystem::exists(std::filesystem::symlink_status(file, ec));
}

// "notes (2).txt", "notes (3).txt" ...: the first name that nothing in `folder` uses.
std::string freeNameBeside(const std::filesystem::path& folder, const std::string& fileName) {
    const std::filesystem::path name(fileName);
    const std::string stem = name.stem().string();
    const std::string extension = name.extension().string();
    for (int n = 2;; ++n) {
        std::string candidate = stem + " (" + std::to_string(n) + ")" + extension;
        if (!fileExists(folder / candidate)) return candidate;
    }
}

}  // namespace

std::string modifiedQuestion(const std::string& fileName) {
    return "ScratchPad  " + fileName + "  has been modified - Do you want to save it?";
}

std::string sortedPadText(const std::string& text) {
    std::vector<std::string> lines;
    for (const std::string& line : splitLines(text))
        if (!line.empty()) lines.push_back(lowerCase(line));
    // Every line is in lower case now, so sorting them as they are ignores case.
    std::stable_sort(lines.begin(), lines.end());
    return joinLines(lines, false);
}

TscratchPadForm::TscratchPadForm(platform::Platform& platform, ScratchPadHost& host,
                                 std::filesystem::path home, std::string fileName)
    : platform_(platform),
      host_(host),
      home_(std::move(home)),
      fileName_(std::move(fileName)),
      source_(home_ / fileName_) {
    setKey(std::string(kScratchPadKind) + "." + fileName_);
    updateCaption();
    setBounds({0, 0, 0, 0});  // the view gives a new pad the whole client area
}

void TscratchPadForm::updateCaption() {
    setCaption(modified_ ? fileName_ + kModifiedMark : fileName_);
}

std::error_code TscratchPadForm::load(const std::filesystem::path& file) {
    source_ = file;
    sourceUnread_ = false;
    text_.clear();
    modified_ = false;
    updateCaption();
    std::error_code ec;
    if (!fileExists(file)) return {};
    const auto bytes = readRegularFile(file, ec, kMaxPadFileBytes);
    if (!bytes) {
        sourceUnread_ = true;
        return ec;
    }
    text_ = joinLines(splitLines(*bytes), false);
    host_.padChanged(*this);
    return {};
}

void TscratchPadForm::markModified() {
    if (modified_) return;
    modified_ = true;
    updateCaption();
    host_.padChanged(*this);
}

bool TscratchPadForm::keyPressed(const PadKey& key) {
    if (key.escape) {
        closeWindowClick();
        return true;
    }
    if (key.alt) return true;
    if (key.blockedAtEdge && !host_.quietKeyboard()) return true;
    markModified();
    return false;
}

void TscratchPadForm::textEdited(const std::string& text) {
    if (text == text_) return;
    text_ = text;
    markModified();
}

void TscratchPadForm::setSpellCheckedText(const std::string& text) {
    textEdited(text);
}

void TscratchPadForm::appendLine(const std::string& line) {
    if (!text_.empty() && text_.back() != '\n' && text_.back() != '\r') text_ += "\r\n";
    text_ += line;
    modified_ = false;  // so that the mark is set and the view told even when already marked
    markModified();
}

std::string TscratchPadForm::saveName() {
    const std::filesystem::path target = home_ / fileName_;
    if (!fileExists(target)) return fileName_;
    const bool ownFile = sameFile(target, source_);
    if (ownFile && !sourceUnread_) return fileName_;
    const std::string other = freeNameBeside(home_, fileName_);
    const std::string why =
        ownFile ? "  could not be read when it was opened, so its file in the " +
                      std::string(kProductName) + " home folder holds text this pad does not show."
                : "  came from another folder, and the " + std::string(kProductName) +
                      " home folder already holds a different " + fileName_ + ".";
    const platform::Answer answer = platform_.dialogs.question(
        kProductName,
        "ScratchPad  " + fileName_ + why +
            "\rReplace that file with this scratch pad?\r\rNo keeps both: the scratch pad is "
            "saved as " +
            other + ".",
        platform::Buttons::YesNo, platform::Answer::No);
    return answer == platform::Answer::Yes ? fileName_ : other;
}

bool TscratchPadForm::save() {
    const std::string name = saveName();
    const std::filesystem::path target = home_ / name;
    if (const std::error_code ec = writeFileAtomically(target, text_ + "\r\n")) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "File I/O Error 9563\rScratchPad " +
                                                    target.string() +
                                                    " could not be saved: " + errorText(ec) +
                                                    "\rIts text stays in the window.");
        return false;
    }
    if (name != fileName_) {
        fileName_ = name;
        setKey(std::string(kScratchPadKind) + "." + fileName_);
    }
    source_ = target;
    sourceUnread_ = false;
    modified_ = false;
    updateCaption();
    host_.padChanged(*this);
    return true;
}

void TscratchPadForm::sortClick() {
    if (platform_.dialogs.question(kProductName, kSortQuestion, platform::Buttons::YesNo,
                                   platform::Answer::No) != platform::Answer::Yes)
        return;
    const std::string sorted = sortedPadText(text_);
    if (sorted == text_) return;
    text_ = sorted;
    modified_ = false;
    markModified();
}

void TscratchPadForm::closeWindowClick() {
    host_.closePad(*this);
}

void TscratchPadForm::closeClick() {
    closeWithoutAsking_ = true;
    host_.closePad(*this);
}

bool TscratchPadForm::closeQuery() {
    if (closeWithoutAsking_ || !modified_) return true;
    host_.showPad(*this);
    platform_.system.beep();
    if (platform_.dialogs.question(kProductName, modifiedQuestion(fileName_),
                                   platform::Buttons::YesNo,
                                   platform::Answer::Yes) != platform::Answer::Yes)
        return true;
    return save();
}

std::string TscratchPadForm::printCaption() const {
    return selectedText().empty() ? "&Print Document" : "&Print Selected Text";
}

std::optional<platform::Printout> TscratchPadForm::printout() {
    return platform::Printout{fileName_, selectedText().empty() ? text_ : selectedText()};
}

platform::Menu TscratchPadForm::popupMenu(bool textSelected) const {
    const platform::Commands& commands = host_.commands();
    auto entry = [&](const char* name, const char* caption, const std::string& command) {
        return platform::commandMenuEntry(commands, name, caption, command);
    };
    auto own = [](const char* name, const char* caption, std::function<void()> run) {
        platform::MenuEntry e{name, caption};
        e.command = std::move(run);
        return e;
    };
    auto* self = const_cast<TscratchPadForm*>(this);
    platform::MenuEntry spell = entry("popScratch_SpellCheck", "Spell Check Te&xt", "spell.check");
    spell.shortcut = "Ctrl+F7";
    return {
        entry("popScratch_New", "&New", "scratch.new"),
        entry("popScratch_Open", "&Open", "scratch.open"),
        own("popScratch_Save", "&Save", [self] { self->save(); }),
        own("popScratch_Close", "&Close", [self] { self->closeClick(); }),
        platform::MenuEntry::separator(),
        own("popScratch_Sort", "So&rt", [self] { self->sortClick(); }),
        spell,
        entry("popScratch_Print", textSelected ? "&Print Selected Text" : "&Print Document",
              platform::kPrintCommand),
        platform::MenuEntry::separator(),
        entry("popScratch_FloatingTips", "Floating &Tips", platform::kFloatingTipsCommand),
        own("popScratch_CloseWindow", "&Close Window", [self] { self->closeWindowClick(); }),
        entry("popScratch_Help", "&Help", platform::kHelpCommand),
    };
}

}  // namespace velmora::tools
