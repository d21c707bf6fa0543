// The spell check of the frame: Edit "Spell Check Te&xt" (Ctrl+F7) and the same entry of the
// compose and scratch pad pop-up menus check the text of the window in front (a compose
// window's body, a pad's note, or only the text selected in it) and give the corrected text
// back to it; sending runs the check
// first when "Spell check message before sending" is on (compose/sending.cpp).
#include "base/identity.h"
#include "core/main_form.h"
#include "core/startup_checks.h"
#include "tools/spell_check_form.h"
#include "tools/spelling_dictionary.h"

namespace velmora::core {

namespace {

constexpr const char* kSpellCheckCommand = "spell.check";
constexpr const char* kDictionaryUnreadableText =
    "The spelling dictionary - ENGLISH.DCT - in the Velmora Pro home folder could not be read.";
constexpr const char* kSendUncheckedQuestion = "Send the message without spell checking?";

// Where the selection of `window` starts in its text, when only the selection is to be
// checked: it is not empty, and the view said where it lies (and still says so truly).
std::optional<std::size_t> checkedSelection(const platform::ChildWindow& window) {
    const std::string& selected = window.selectedText();
    const std::size_t start = window.selectionStart();
    const std::string& text = *window.spellCheckText();
    if (selected.empty() || start == platform::ChildWindow::kUnknownPlace || start > text.size() ||
        text.compare(start, selected.size(), selected) != 0)
        return std::nullopt;
    return start;
}

}  // namespace

platform::ChildWindow* TmainForm::spellCheckTarget() const {
    if (!spellCheckEnabled_ || children_.empty()) return nullptr;
    platform::ChildWindow& front = *children_.front();
    if (front.state() == platform::WindowState::Minimized || !front.spellCheckText())
        return nullptr;
    return &front;
}

void TmainForm::registerSpellCommands() {
    commands_.add(kSpellCheckCommand,
                  {[this] {
                       platform::ChildWindow* target = spellCheckTarget();
                       if (!target) return;
                       const std::string original = *target->spellCheckText();
                       const std::optional<std::size_t> start = checkedSelection(*target);
                       const std::string part = start ? target->selectedText() : original;
                       const std::optional<std::string> checked = spellCheck(part, false);
                       // The window may have gone while the check was up.
                       if (!checked || *checked == part || spellCheckTarget() != target) return;
                       target->setSpellCheckedText(start ? original.substr(0, *start) + *checked +
                                                               original.substr(*start + part.size())
                                                         : *checked);
                       target->setSelectedText({});
                       if (view_) view_->childChanged(*target);
                       notifyFrame();
                   },
                   [this] { return spellCheckTarget() != nullptr; }});
}

std::optional<std::string> TmainForm::spellCheck(const std::string& text, bool beforeSending) {
    if (!dictionary_) {
        auto loaded = tools::SpellingDictionary::load(home_ / kDictionaryFile);
        if (auto* reason = std::get_if<std::string>(&loaded)) {
            const std::string said = std::string(kDictionaryUnreadableText) + "\r" + *reason;
            if (!beforeSending) {
                platform_.dialogs.error(kProductName, said);
                return std::nullopt;
            }
            if (platform_.dialogs.question(kProductName, said + "\r\r" + kSendUncheckedQuestion,
                                           platform::Buttons::YesNo,
                                           platform::Answer::No) == platform::Answer::Yes)
                return text;
            return std::nullopt;
        }
        dictionary_ = std::make_unique<tools::SpellingDictionary>(
            std::move(std::get<tools::SpellingDictionary>(loaded)));
    }
    tools::TspellCheckForm form(platform_, *dictionary_);
    return form.check(text);
}

}  // namespace velmora::core
