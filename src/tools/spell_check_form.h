// The spell check window `TspellCheckForm`, modal: it walks the words of a text that the
// dictionary does not know (tools/spelling_words.h, tools/spelling_dictionary.h), one at a
// time, showing the word, the line it stands in, suggestions and a "Change To" field. Its
// commands correct the word, skip it or add it to the dictionary; "&Cancel" drops every change.
// Once a word was changed the button reads "&Done" and keeps the changes made so far, as does
// closing the window then. At the end (and when there is nothing to check) a box says so.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "tools/spelling_dictionary.h"
#include "tools/spelling_words.h"

namespace velmora::tools {

inline constexpr const char* kSpellCheckCaption = "Spell Check";
inline constexpr const char* kSpellCheckCompleteText = "Spell check complete.";
inline constexpr const char* kNoUnknownWordText =
    "Spell check complete.\rNo misspelled words were found.";
inline constexpr const char* kNothingToCheckText = "There is no text to spell check.";
inline constexpr const char* kAddFailedText = "The word could not be added to the dictionary.";

class TspellCheckForm {
  public:
    static constexpr const char* kChangeCaption = "&Change";
    static constexpr const char* kChangeAllCaption = "Change A&ll";
    static constexpr const char* kIgnoreCaption = "&Ignore";
    static constexpr const char* kIgnoreAllCaption = "I&gnore All";
    static constexpr const char* kAddCaption = "&Add";
    static constexpr const char* kCancelCaption = "&Cancel";
    static constexpr const char* kDoneCaption = "&Done";
    static constexpr const char* kWordLabel = "Not in Dictionary:";
    static constexpr const char* kChangeToLabel = "Change &To:";
    static constexpr const char* kSuggestionsLabel = "&Suggestions:";

    // `dictionary` is borrowed for the window's life; "&Add" writes to it.
    TspellCheckForm(platform::Platform& platform, SpellingDictionary& dictionary)
        : platform_(platform), dictionary_(dictionary) {}

    // Checks `text` (lines ended by CR LF, LF or CR) in the modal window. The corrected text
    // when the check ran to its end or "&Done" was chosen; nullopt when it was cancelled or no
    // window can be shown. Without words, or without an unknown word, the box says so and the
    // text comes back unchanged without the window.
    std::optional<std::string> check(std::string text);

    // --- what the window shows ------------------------------------------------------------
    const std::string& caption() const { return caption_; }
    // The unknown word in front ("" once the check ended).
    std::string word() const;
    // Its line (without the line end), its number (from 1) and where the word lies in it.
    std::string lineText() const;
    int lineNumber() const;
    std::size_t wordOffsetInLine() const;
    const std::vector<std::string>& suggestions() const { return suggestions_; }
    int selectedSuggestion() const { return selectedSuggestion_; }
    const std::string& changeTo() const { return changeTo_; }
    // "&Cancel" until a word was changed, "&Done" after.
    const char* cancelCaption() const { return changed_ ? kDoneCaption : kCancelCaption; }
    // "&Change" and "Change A&ll" need a replacement that differs from the word.
    bool changeEnabled() const;
    bool finished() const { return finished_; }
    // The text with the changes made so far.
    const std::string& text() const { return text_; }

    // --- commands -------------------------------------------------------------------------
    // Picking a suggestion puts it into "Change To".
    void selectSuggestion(int index);
    void setChangeTo(std::string text) { changeTo_ = std::move(text); }
    // "&Change": this occurrence becomes the "Change To" text.
    void changeClick();
    // "Change A&ll": this and every later occurrence of the same word.
    void changeAllClick();
    // "&Ignore": leaves this occurrence; "I&gnore All" every later one too.
    void ignoreClick();
    void ignoreAllClick();
    // "&Add": the word goes into the dictionary file (a failure is said, and the word is
    // still passed over in this check).
    void addClick();
    // "&Cancel" / "&Done", and closing the window: cancels before any change, else ends
    // keeping the changes.
    void cancelClick();

    // The modal window: the view shows it and returns once closeRequested was called (or the
    // user closed it, which the view reports as cancelClick). Tests set a script; the desktop
    // registers its window for every form.
    using View = std::function<void(TspellCheckForm&)>;
    void setView(View view) { view_ = std::move(view); }
    std::function<void()> closeRequested;
    // Told after every step, so that the view renders the model again.
    std::function<void()> onChanged;

  private:
    // Moves to the next unknown word from `next_` on; false when none is left.
    bool advance();
    // After a command: the next unknown word, or the end of the check.
    void step();
    // The word in front (and, with `everyLater`, every later occurrence) becomes "Change To".
    void replaceOccurrences(bool everyLater);
    void finish(bool keep);
    std::size_t lineStart() const;

    platform::Platform& platform_;
    SpellingDictionary& dictionary_;
    std::string caption_ = kSpellCheckCaption;
    std::string text_;
    std::vector<TextWord> words_;
    std::size_t next_ = 0;  // index into words_ of the word after the one in front
    std::optional<TextWord> current_;
    std::set<std::string> ignored_;
    std::vector<std::string> suggestions_;
    int selectedSuggestion_ = -1;
    std::string changeTo_;
    bool changed_ = false;
    bool finished_ = false;
    bool kept_ = false;
    View view_;
};

// The view the desktop registers for the spell check window.
void setSpellCheckWindowView(TspellCheckForm::View view);

}  // namespace velmora::tools
