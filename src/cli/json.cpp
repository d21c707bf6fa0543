#include "cli/json.h"

namespace velmora::cli {

namespace {

void appendCharacterOfByte(unsigned char byte, std::string& out) {
    out += static_cast<char>(0xC0 | (byte >> 6));
    out += static_cast<char>(0x80 | (byte & 0x3F));
}

// Length of the well-formed UTF-8 sequence at `pos` (no overlong forms, no surrogates, nothing
// above U+10FFFF), or 0.
std::size_t utf8SequenceAt(std::string_view text, std::size_t pos) {
    const auto at = [&](std::size_t i) { return static_cast<unsigned char>(text[pos + i]); };
    const unsigned char lead = at(0);
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (pos + length > text.size() || at(1) < low || at(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80) return 0;
    }
    return length;
}

// `text` with every byte that is not part of a UTF-8 sequence replaced by the character of its
// code; the text itself when it is UTF-8 throughout.
std::string asUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            out += static_cast<char>(c);
            ++i;
        } else if (const std::size_t length = utf8SequenceAt(text, i)) {
            out.append(text.substr(i, length));
            i += length;
        } else {
            appendCharacterOfByte(c, out);
            ++i;
        }
    }
    return out;
}

std::string bytesOfText(std::string_view jsonText) {
    std::string bytes;
    bytes.reserve(jsonText.size());
    for (std::size_t i = 0; i < jsonText.size(); ++i) {
        const auto c = static_cast<unsigned char>(jsonText[i]);
        // U+0080 to U+00FF are the two-byte sequences led by 0xC2 and 0xC3.
        if ((c == 0xC2 || c == 0xC3) && i + 1 < jsonText.size()) {
            bytes += static_cast<char>(((c & 0x03) << 6) | (jsonText[++i] & 0x3F));
        } else {
            bytes += static_cast<char>(c);
        }
    }
    return bytes;
}

}  // namespace

std::string jsonText(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            text += c;
        } else {
            appendCharacterOfByte(byte, text);
        }
    }
    return text;
}

std::string bytesOf(const Json& value) {
    return bytesOfText(value.get_ref<const std::string&>());
}

std::string printJson(const Json& value) {
    return value.dump(-1, ' ', /*ensure_ascii=*/true);
}

Json parseJson(std::string_view text) {
    try {
        return Json::parse(asUtf8(text));
    } catch (const Json::parse_error& error) {
        // What follows nlohmann's "[json.exception.parse_error.101] " tag is the readable part.
        std::string what = error.what();
        if (const auto tagEnd = what.find("] ");
            what.rfind("[json.", 0) == 0 && tagEnd != std::string::npos) {
            what.erase(0, tagEnd + 2);
        }
        throw JsonError("JSON " + what);
    }
}

}  // namespace velmora::cli
