// Signature blocks: each profile's ordered list of named blocks in "<profile>.sig" in the home
// folder (the signature window's model is compose/signature_form.h).
//
// The file: the version line "46", the default block position, then per block its name, the
// number N of its lines and the N lines; the last line without a line end. A block's text is
// stored as its logical lines (never an editor's wrapped display lines). A damaged or negative
// default position, or one past the last block, reads as the first block; a damaged line count
// ends the file there, keeping the blocks read before. The file exists only while the profile
// has a block: writing an empty list deletes it.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

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

}  // namespace velmora::compose
