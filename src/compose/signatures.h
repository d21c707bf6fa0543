// Signature blocks: each profile's ordered list of named blocks in "<profile>.sig" in the home
// folder, the signature window's model `TsignatureForm`, and the compose window's copy of the
// active profile's blocks.
//
// The file: the version line "46", the default block position, then per block its name, the
// number N of its lines and the N lines; the last line without a line end. A block's text is
// stored as its logical lines (never an editor's wrapped display lines). A damaged or negative
// default position, or one past the last block, reads as the first block; a damaged line count
// ends the file there, keeping the blocks read before. The file exists only while the profile
// has a block: writing an empty list deletes it.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "platform/platform.h"

namespace velmora::compose {

// One block's text, all its lines.
struct TsignatureObjListBox {
    std::string text;
    bool operator==(const TsignatureObjListBox&) const = default;
};

struct SignatureBlock {
    std::string name;
    TsignatureObjListBox block;
    bool operator==(const SignatureBlock&) const = default;
};

struct SignatureList {
    int defaultPosition = 0;
    std::vector<SignatureBlock> blocks;
    // The index of the block named `name` without regard to case; -1 when none.
    int find(const std::string& name) const;
};

// A block text's lines (CR LF, LF or CR separate them; a text ending in a line end has a last
// empty line; an empty text has none) and the text of lines (joined CR LF).
std::vector<std::string> signatureLines(const std::string& text);
std::string signatureText(const std::vector<std::string>& lines);

// The list held by a signature file's bytes, and the bytes of a list (names made one line).
// Never fails: a missing or damaged part reads as described above.
SignatureList parseSignatureFile(std::string_view bytes);
std::string signatureFileBytes(const SignatureList& list);
SignatureList readSignatureFile(const std::filesystem::path& file);
// Writes the list (atomically), or deletes the file when the list is empty.
[[nodiscard]] std::error_code writeSignatureFile(const std::filesystem::path& file,
                                                 const SignatureList& list);

// "Signature Block name  '", the name, "'" and "  already in use."
std::string nameInUseText(const std::string& existing);

// The signature window: the blocks of one profile, the selected block (the default position)
// and the editor's text. Changes set the change mark; closing writes the file when it is set.
class TsignatureForm {
  public:
    explicit TsignatureForm(platform::Platform& platform) : platform_(platform) {}

    // openAssociatedSignatureBlockFile: the blocks of `profileName` from `file`.
    void open(const std::string& profileName, std::filesystem::path file);
    const std::string& caption() const { return caption_; }
    const SignatureList& list() const { return list_; }
    int selected() const { return list_.blocks.empty() ? -1 : list_.defaultPosition; }
    void select(int index);
    const std::string& editorText() const { return editor_; }
    // Typing in the editor; leaving it stores the text into the selected block.
    void setEditorText(std::string text);
    bool changed() const { return changed_; }

    // "&Add": asks for a name (again while it is in use); false when cancelled.
    bool addClick();
    // "&Edit": a new name for the selected block.
    bool editClick();
    // "&Delete": after the question, removes the selected block.
    bool deleteClick();
    // Writes the file when the list changed (deletes it when the list is empty).
    [[nodiscard]] std::error_code close();
    // "Update Master Signature Block" of a compose window: the block `name` gets `text` and the
    // file is written at once. False when the list has no such block.
    bool updateBlock(const std::string& name, const std::string& text);

  private:
    std::optional<std::string> askName(const std::string& title, std::string start);
    void storeEditor();

    platform::Platform& platform_;
    std::filesystem::path file_;
    std::string caption_;
    SignatureList list_;
    std::string editor_;
    bool changed_ = false;
};

}  // namespace velmora::compose
