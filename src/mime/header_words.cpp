#include "mime/header_words.h"

#include <algorithm>
#include <optional>

#include "base/text.h"
#include "mime/base64.h"
#include "mime/errors.h"
#include "mime/headers.h"
#include "mime/limits.h"
#include "mime/quoted_printable.h"

namespace velmora::mime {

namespace {

constexpr char kEscape = 27;

struct EncodedWord {
    std::size_t end;  // just after the closing "?="
    std::string text;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isAllBlank(std::string_view text) {
    for (const char c : text) {
        if (!isBlank(c)) return false;
    }
    return true;
}

// Line breaks and NUL inside a decoded word would split or end the header line it is written
// back into later (a reply's Subject); they are shown as blanks.
void neutralise(std::string& text) {
    for (char& c : text) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
}

// The encoded word "=?charset?X?text?=" starting at `start`, or nullopt when the text there is
// not one (it then stays literal).
std::optional<EncodedWord> readEncodedWord(std::string_view value, std::size_t start) {
    const std::size_t charsetEnd = value.find('?', start + 2);
    if (charsetEnd == std::string_view::npos || charsetEnd == start + 2) return std::nullopt;
    const std::string_view charset = value.substr(start + 2, charsetEnd - start - 2);
    for (const char c : charset) {
        if (isBlank(c) || c == '=') return std::nullopt;
    }
    if (charsetEnd + 2 >= value.size() || value[charsetEnd + 2] != '?') return std::nullopt;
    const char letter = value[charsetEnd + 1];
    const std::size_t textStart = charsetEnd + 3;
    const std::size_t close = value.find("?=", textStart);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view encoded = value.substr(textStart, close - textStart);

    EncodedWord word{close + 2, {}};
    if (letter == 'B' || letter == 'b') {
        try {
            word.text = decodeBase64Line(encoded);
        } catch (const EMessageParserError&) {
            return std::nullopt;
        }
    } else if (letter == 'Q' || letter == 'q') {
        std::string raw(encoded);
        for (char& c : raw) {
            if (c == '_') c = ' ';
        }
        word.text = decodeQuotedPrintableLine(raw);
    } else {
        return std::nullopt;
    }
    neutralise(word.text);
    return word;
}

}  // namespace

std::string DecodeHeaderWords(std::string_view value) {
    if (value.find("=?") == std::string_view::npos) return cutText(value);
    std::string result;
    std::size_t pos = 0;
    bool afterEncodedWord = false;
    while (pos < value.size() && result.size() < kMaxTextLength) {
        const std::size_t start = value.find("=?", pos);
        if (start == std::string_view::npos) {
            result += value.substr(pos);
            break;
        }
        const auto word = readEncodedWord(value, start);
        if (!word) {
            result += value.substr(pos, start + 2 - pos);
            pos = start + 2;
            afterEncodedWord = false;
            continue;
        }
        const std::string_view between = value.substr(pos, start - pos);
        if (!(afterEncodedWord && isAllBlank(between))) result += between;
        result += word->text;
        pos = word->end;
        afterEncodedWord = true;
    }
    return cutText(result);
}

std::string EncodeJisHeaderWord(std::string_view text) {
    if (text.empty() || text.front() != kEscape) return std::string(text);
    return cutText("=?ISO-2022-JP?B?" + encodeBase64Line(text) + "?=");
}

std::string EncodeUtf8HeaderWords(std::string_view text) {
    if (!hasHighBytes(text)) return std::string(text);
    constexpr std::size_t kWordBytes = 45;  // 60 base64 characters: a word within 78 columns
    std::string out;
    while (!text.empty()) {
        std::size_t take = std::min(kWordBytes, text.size());
        // Never between the bytes of one character.
        while (take < text.size() && take > 0 &&
               (static_cast<unsigned char>(text[take]) & 0xC0) == 0x80)
            --take;
        if (take == 0) take = std::min(kWordBytes, text.size());
        if (!out.empty()) out += ' ';
        out += "=?utf-8?B?" + encodeBase64Line(text.substr(0, take)) + "?=";
        text.remove_prefix(take);
    }
    return out;
}

}  // namespace velmora::mime
