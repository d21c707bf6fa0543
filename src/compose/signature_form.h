// The signature window `TsignatureForm`: the signature blocks of one profile, edited in a modal
// window opened from the Users page. It holds the blocks in order, the selected block (the
// default block position, which new compose windows choose first) and the editor's text.
// Every change sets the change mark; closing writes the profile's ".sig" file when it is set.
//
// The compose windows of the same profile follow the list: after each change the form tells
// `onListChanged` where every block went, so a window keeps its chosen block through a move, a
// rename or another block's deletion.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "compose/signatures.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "profiles/users_page.h"

namespace velmora::compose {

// "Signature Block name  '", the name, "'" and "  already in use."
std::string nameInUseText(const std::string& existing);

// Where the blocks of a list went in one change: for each block before it, its position after
// (-1: deleted). Blocks added at the end have no entry.
using SignatureMoves = std::vector<int>;

// The control that has the focus after a command.
enum class SignatureFocus { List, Editor, AddButton };

class TsignatureForm {
  public:
    static constexpr const char* kAddCaption = "&Add";
    static constexpr const char* kEditCaption = "&Edit";
    static constexpr const char* kDeleteCaption = "&Delete";
    static constexpr const char* kCloseCaption = "&Close";
    static constexpr const char* kAddHint = "Add a new signature block|";
    static constexpr const char* kEditHint = "Edit the selected signature block|";
    static constexpr const char* kDeleteHint = "Delete the selected signature block|";
    static constexpr const char* kCloseHint = "Close this window|";
    static constexpr const char* kListHint = "Available Signature Blocks|";
    static constexpr const char* kEditorHint = "Signature block viewing window|";

    // `registered`: the commands every window's pop-up menu offers (floating tips, help); may be
    // null.
    explicit TsignatureForm(platform::Platform& platform,
                            const platform::Commands* registered = nullptr)
        : platform_(platform), registered_(registered) {}

    // openAssociatedSignatureBlockFile: the blocks of `profileName` from `file`; the change mark
    // is cleared.
    void open(const std::string& profileName, std::filesystem::path file);
    const std::string& profileName() const { return profileName_; }
    const std::string& caption() const { return caption_; }
    const SignatureList& list() const { return list_; }
    int selected() const { return list_.blocks.empty() ? -1 : list_.defaultPosition; }
    // Selecting an entry shows its text and makes it the default block position.
    void select(int index);
    const std::string& editorText() const { return editor_; }
    // Typing in the editor: the text goes into the selected block at once.
    void setEditorText(std::string text);
    bool changed() const { return changed_; }

    // What is enabled and focused: the editor, "&Edit" and "&Delete" only with blocks.
    bool hasBlocks() const { return !list_.blocks.empty(); }
    SignatureFocus focus() const { return focus_; }

    // "&Add": asks for a name (again while it is in use); false when cancelled.
    bool addClick();
    // "&Edit": a new name for the selected block.
    bool editClick();
    // "&Delete": after the question, removes the selected block; the block at the same place
    // (the new last one when the last went) is selected. Deleting the last block deletes the
    // file.
    bool deleteClick();
    // Shift+Up/Down/Home/End move the selected block, the keys alone select; Delete deletes.
    // False for a key the list does not handle.
    bool rankKey(profiles::RankKey key, bool shift);
    // Dragging a block from one place to another; it stays selected.
    void dragBlock(int from, int to);

    // The pop-up menu: "&Copy Signature Block" (the editor's text to the clipboard), "&Paste
    // Signature Block" (enabled after a copy in this window), "&Print Signature Block" (enabled
    // while the editor has text), "Floating &Tips", "&Close Window" and "&Help".
    platform::Menu popupMenu();
    void copyClick();
    // "&Print Signature Block": the editor's text under "User Profile [profile] [block]
    // Signature Block".
    platform::PrintJob printJob() const;
    void printClick();
    // Pastes the clipboard into the editor at byte `position` (adding a block first when there
    // is none); false when nothing was pasted.
    bool pasteAt(std::size_t position);

    // Writes the file when the list changed (deletes it when the list is empty).
    [[nodiscard]] std::error_code close();
    // "Update Master Signature Block" of a compose window: the block `name` gets `text` and the
    // file is written at once. False when the list has no such block or the write failed.
    bool updateBlock(const std::string& name, const std::string& text);

    // Told after every change of the names, the order or (on closing and updates) the texts.
    std::function<void(const SignatureMoves&)> onListChanged;

    // The modal window: the view shows it and returns when it closes ("&Close", "&Close Window"
    // or the frame). Tests set a script; the desktop registers its window for every form.
    using View = std::function<void(TsignatureForm&)>;
    void setView(View view) { view_ = std::move(view); }
    // Shows the window when a view exists; false when there is none.
    bool showModal();
    // The view asks to close (the "&Close Window" entry); it ends the modal loop.
    std::function<void()> closeRequested;

  private:
    std::optional<std::string> askName(const std::string& title, std::string start);
    void storeEditor();
    void moveBlock(int from, int to);
    void tell(const SignatureMoves& moves);
    SignatureMoves unchanged() const;

    platform::Platform& platform_;
    const platform::Commands* registered_;
    std::filesystem::path file_;
    std::string profileName_;
    std::string caption_;
    SignatureList list_;
    std::string editor_;
    bool changed_ = false;
    bool copied_ = false;
    SignatureFocus focus_ = SignatureFocus::AddButton;
    View view_;
};

// The view the desktop registers for the signature window.
void setSignatureWindowView(TsignatureForm::View view);

}  // namespace velmora::compose
