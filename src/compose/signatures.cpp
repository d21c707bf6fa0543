#include "compose/signatures.h"

#include <charconv>
#include <optional>

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

}  // namespace velmora::compose
