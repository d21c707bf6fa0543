// The scratch pad window `TscratchPadForm`: free plain text kept in a file of the home folder
// under the pad's name ("notes.txt"). The caption is that name, followed by " *" while the text
// has unsaved changes; the key is "ScratchPad." + the name the pad was created or opened with.
//
// The pad file holds the whole text as UTF-8 followed by CR LF, written whole and atomically.
// A pad opened from another folder is saved as a copy in the home folder; when the home folder
// already holds a different file of that name (or the pad's own file, which could not be read),
// the user is asked before it is replaced, and without that consent the pad is saved under a
// free name beside it ("notes (2).txt"). A save that fails keeps the text and the mark, and
// says so.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>

#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"

namespace velmora::tools {

inline constexpr const char* kScratchPadKind = "ScratchPad";
inline constexpr const char* kScratchPadHint = "Free form area for any kind of ascii text.";
inline constexpr int kScratchPadHelpTopic = platform::help_topic::kScratchPad;
inline constexpr const char* kSortQuestion = "Verify you want to Sort this data?";
inline constexpr const char* kModifiedMark = " *";
// A pad is a note: a file larger than this is refused instead of filling the memory.
inline constexpr std::uint64_t kMaxPadFileBytes = 64ull * 1024 * 1024;

// What a pad needs of the window that holds it.
class ScratchPadHost {
  public:
    virtual ~ScratchPadHost() = default;
    // Brings the pad to the front (restored when minimized), as before its close question.
    virtual void showPad(platform::ChildWindow& pad) = 0;
    // Closes the pad through its close query.
    virtual void closePad(platform::ChildWindow& pad) = 0;
    // The pad's caption or text changed.
    virtual void padChanged(platform::ChildWindow& pad) = 0;
    // "Quiet keyboard" is on: navigation keys at the edge of the text reach the editor.
    virtual bool quietKeyboard() const = 0;
    // The commands of the main menu that the pop-up menu offers too (New, Open, Save, Print,
    // spell checking, floating tips, help).
    virtual const platform::Commands& commands() const = 0;
};

// One key press in the pad's editor, as the view sees it.
struct PadKey {
    bool escape = false;
    bool alt = false;
    // A navigation key that cannot move the caret (Home at the start of a line, Up on the
    // first line ...), which the edge-of-text guard swallows unless "Quiet keyboard" is on.
    bool blockedAtEdge = false;
};

class TscratchPadForm final : public platform::ChildWindow {
  public:
    // A pad named `fileName` (a plain file name, checked by the caller) whose file lies in
    // `home`. Its text is empty until load().
    TscratchPadForm(platform::Platform& platform, ScratchPadHost& host, std::filesystem::path home,
                    std::string fileName);

    platform::Platform& platform() const { return platform_; }
    // The name of the pad's file in the home folder: the caption without its mark.
    const std::string& fileName() const { return fileName_; }
    std::filesystem::path homeFile() const { return home_ / fileName_; }
    // The text as the editor shows it: lines joined by CR LF.
    const std::string& text() const { return text_; }
    bool modified() const { return modified_; }
    bool closeWithoutAsking() const { return closeWithoutAsking_; }
    void setCloseWithoutAsking(bool skip) { closeWithoutAsking_ = skip; }

    // Loads the lines of `file` (the home file, or one chosen elsewhere), clearing `modified`.
    // A missing file leaves the pad empty; any other failure keeps what was read (nothing) and
    // is returned for the caller's warning.
    [[nodiscard]] std::error_code load(const std::filesystem::path& file);

    // --- typing ---------------------------------------------------------------------------
    // The form sees every key first: Esc closes the pad (asking about unsaved changes), a key
    // with Alt and a key held back by the edge guard go no further, any other key marks the
    // pad. True when the key is swallowed.
    bool keyPressed(const PadKey& key);
    // The editor's text after an edit (typing, pasting, dropping): a change marks the pad.
    void textEdited(const std::string& text);
    // Appends `line` as a new last line and marks the pad (the web-link collector).
    void appendLine(const std::string& line);
    // Marks the pad as changed: " *" after the caption, `modified` set.
    void markModified();

    // --- commands -------------------------------------------------------------------------
    // "&Save": writes the text to the pad's file in the home folder and clears the mark. False
    // when nothing was written (the failure was reported; the text and the mark stay).
    bool save();
    // "So&rt" after its confirmation: non-empty lines in lower case, sorted ignoring case.
    void sortClick();
    // Esc and "&Close Window": close, asking about unsaved changes.
    void closeWindowClick();
    // The pop-up's "&Close": close, dropping unsaved changes without a question.
    void closeClick();

    // The pop-up menu; the print entry's caption follows whether text is selected.
    platform::Menu popupMenu(bool textSelected) const;

    // The selection, else the whole text, under the pad's name.
    int helpContext() const override { return platform::help_topic::kScratchPad; }
    std::string printCaption() const override;
    std::optional<platform::Printout> printout() override;
    // The spell check goes over the whole text; its result marks the pad as typing does.
    const std::string* spellCheckText() const override { return &text_; }
    void setSpellCheckedText(const std::string& text) override;

    // platform::ChildWindow: a modified pad asks whether to save it, unless told not to. A
    // failed save keeps the pad open.
    bool closeQuery() override;

  private:
    void updateCaption();
    // The name the text is written under: the pad's own, or a free name beside it when the
    // home folder holds a different file of that name that the user did not agree to replace.
    std::string saveName();

    platform::Platform& platform_;
    ScratchPadHost& host_;
    std::filesystem::path home_;
    std::string fileName_;
    std::string text_;
    // The file the text came from; a save to a different existing file asks first.
    std::filesystem::path source_;
    // The source could not be read: saving over it would drop what it holds, so that asks too.
    bool sourceUnread_ = false;
    bool modified_ = false;
    bool closeWithoutAsking_ = false;
};

// "ScratchPad  notes.txt  has been modified - Do you want to save it?"
std::string modifiedQuestion(const std::string& fileName);
// The lines of `text` as "So&rt" leaves them: every non-empty line in lower case (in any
// script), empty lines dropped, sorted ignoring case with duplicates kept.
std::string sortedPadText(const std::string& text);

}  // namespace velmora::tools
