#include "compose/signatures.h"

#include <charconv>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::compose {

namespace {

// A line count beyond this is a damaged file, not a signature.
constexpr long kMaxBlockLines = 10'000;

std::optional<long> number(const std::string& line) {
    const std::string_view text = trimmed(line);
    long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

}  // namespace

int SignatureList::find(const std::string& name) const {
    for (std::size_t i = 0; i < blocks.size(); ++i)
        if (equalsNoCase(trimmed(blocks[i].name), trimmed(name))) return static_cast<int>(i);
    return -1;
}

std::vector<std::string> signatureLines(const std::string& text) {
    // The exact inverse of signatureText: a last empty line (text ending in a line end) stays.
    std::vector<std::string> lines;
    if (text.empty()) return lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            lines.push_back(std::move(line));
            line.clear();
        } else {
            line += c;
        }
    }
    lines.push_back(std::move(line));
    return lines;
}

std::string signatureText(const std::vector<std::string>& lines) {
    return joinLines(lines, false);
}

SignatureList readSignatureFile(const std::filesystem::path& file) {
    const auto bytes = readWholeFile(file);
    return bytes ? parseSignatureFile(*bytes) : SignatureList{};
}

SignatureList parseSignatureFile(std::string_view bytes) {
    SignatureList list;
    const auto lines = splitLines(bytes);
    if (lines.size() < 2) return list;
    const long position = number(lines[1]).value_or(0);
    std::size_t next = 2;
    while (next < lines.size()) {
        SignatureBlock block;
        block.name = lines[next++];
        if (next >= lines.size()) {
            list.blocks.push_back(std::move(block));
            break;
        }
        const auto count = number(lines[next++]);
        if (!count || *count < 0 || *count > kMaxBlockLines) break;
        std::vector<std::string> text;
        for (long i = 0; i < *count && next < lines.size(); ++i) text.push_back(lines[next++]);
        // A block that ends in an empty line ends the file in a line end, which the line
        // splitter does not count as a line: that one line is the empty one.
        if (static_cast<long>(text.size()) == *count - 1) text.emplace_back();
        block.block.text = signatureText(text);
        list.blocks.push_back(std::move(block));
    }
    list.defaultPosition = position < 0 || position >= static_cast<long>(list.blocks.size())
                               ? 0
                               : static_cast<int>(position);
    return list;
}

std::string signatureFileBytes(const SignatureList& list) {
    std::vector<std::string> lines{kVersionCode, std::to_string(list.defaultPosition)};
    for (const auto& block : list.blocks) {
        const auto text = signatureLines(block.block.text);
        std::string name = block.name;
        for (char& c : name)
            if (c == '\r' || c == '\n') c = ' ';
        lines.push_back(std::move(name));
        lines.push_back(std::to_string(text.size()));
        lines.insert(lines.end(), text.begin(), text.end());
    }
    return joinLines(lines, false);
}

std::error_code writeSignatureFile(const std::filesystem::path& file, const SignatureList& list) {
    if (list.blocks.empty()) {
        std::error_code ec;
        std::filesystem::remove(file, ec);
        return ec;
    }
    return writeFileAtomically(file, signatureFileBytes(list));
}

std::string nameInUseText(const std::string& existing) {
    return "Signature Block name  '" + existing + "'  already in use.";
}

void TsignatureForm::open(const std::string& profileName, std::filesystem::path file) {
    file_ = std::move(file);
    caption_ = "Signature Blocks For [" + profileName + "]";
    list_ = readSignatureFile(file_);
    editor_ = list_.blocks.empty()
                  ? ""
                  : list_.blocks[static_cast<std::size_t>(list_.defaultPosition)].block.text;
    changed_ = false;
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
    list_.blocks.push_back({*name, {}});
    list_.defaultPosition = static_cast<int>(list_.blocks.size()) - 1;
    editor_.clear();
    changed_ = true;
    return true;
}

bool TsignatureForm::editClick() {
    const int s = selected();
    if (s < 0) return false;
    auto name =
        askName("Edit Signature Block Name", list_.blocks[static_cast<std::size_t>(s)].name);
    if (!name) return false;
    list_.blocks[static_cast<std::size_t>(s)].name = *name;
    changed_ = true;
    return true;
}

bool TsignatureForm::deleteClick() {
    const int s = selected();
    if (s < 0) return false;
    platform_.system.beep();
    const std::string name = list_.blocks[static_cast<std::size_t>(s)].name.substr(0, 32);
    if (platform_.dialogs.question(kProductName, "Confirm deleting " + name + " Signature Block?",
                                   platform::Buttons::YesNo,
                                   platform::Answer::Yes) != platform::Answer::Yes)
        return false;
    list_.blocks.erase(list_.blocks.begin() + s);
    list_.defaultPosition = 0;
    changed_ = true;
    if (list_.blocks.empty()) {
        editor_.clear();
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
        changed_ = false;
        return true;
    }
    editor_ = list_.blocks.front().block.text;
    return true;
}

std::error_code TsignatureForm::close() {
    storeEditor();
    if (!changed_ || list_.blocks.empty()) return {};
    changed_ = false;
    return writeSignatureFile(file_, list_);
}

bool TsignatureForm::updateBlock(const std::string& name, const std::string& text) {
    const int index = list_.find(name);
    if (index < 0) return false;
    list_.blocks[static_cast<std::size_t>(index)].block.text = text;
    if (index == selected()) editor_ = text;
    return !writeSignatureFile(file_, list_);
}

}  // namespace velmora::compose
