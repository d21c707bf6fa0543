#include "mime/readable_text.h"

#include <iconv.h>

#include <array>
#include <cerrno>

#include "base/text.h"
#include "mime/header_words.h"
#include "mime/headers.h"

namespace velmora::mime {

namespace {

// The header value cut of the message model.
constexpr std::size_t kMaxHeaderText = 255;

// windows-1252 0x80..0x9F; the unassigned 0x81, 0x8D, 0x8F, 0x90, 0x9D keep their C1 code.
constexpr std::array<char16_t, 32> kWindows1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void appendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

bool isAscii(std::string_view bytes) {
    for (unsigned char c : bytes)
        if (c >= 0x80) return false;
    return true;
}

bool readsAsUnknown(std::string_view charset) {
    return charset.empty() || equalsNoCase(charset, "us-ascii") || equalsNoCase(charset, "ascii");
}

// What iconv reads for a label mail programs write: names it does not know (Outlook's Korean
// "ks_c_5601-1987", "x-sjis" ...) and labels that stand, in practice, for the larger set their
// senders write in (ISO-8859-1 text with windows-1252 quotes and euro signs, GB2312 for GBK),
// as web browsers read them. Any other label goes to iconv as it is.
std::string iconvName(const std::string& label) {
    static constexpr std::pair<const char*, const char*> kLabels[] = {
        {"iso-8859-1", "CP1252"},
        {"iso8859-1", "CP1252"},
        {"iso_8859-1", "CP1252"},
        {"latin1", "CP1252"},
        {"ks_c_5601-1987", "CP949"},
        {"ks_c_5601-1989", "CP949"},
        {"ks_c_5601", "CP949"},
        {"ksc5601", "CP949"},
        {"x-windows-949", "CP949"},
        {"euc-kr", "CP949"},
        {"shift_jis", "CP932"},
        {"shift-jis", "CP932"},
        {"x-sjis", "CP932"},
        {"sjis", "CP932"},
        {"windows-31j", "CP932"},
        {"x-euc-jp", "EUC-JP"},
        {"gb2312", "GB18030"},
        {"gbk", "GB18030"},
        {"x-gbk", "GB18030"},
        {"csgb2312", "GB18030"},
        {"big5", "BIG5-HKSCS"},
        {"x-x-big5", "BIG5-HKSCS"},
        {"iso-8859-8-i", "ISO-8859-8"},
        {"iso-8859-6-i", "ISO-8859-6"},
        {"unicode-1-1-utf-7", "UTF-7"},
        {"x-mac-roman", "MACINTOSH"},
    };
    for (const auto& [name, iconvLabel] : kLabels)
        if (equalsNoCase(label, name)) return iconvLabel;
    return label;
}

// The conversion by iconv; false when the set is unknown or a byte cannot be converted.
bool iconvToUtf8(std::string_view bytes, const std::string& charset, std::string& out) {
    iconv_t cd = iconv_open("UTF-8", charset.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::string input(bytes);
    char* in = input.data();
    std::size_t inLeft = input.size();
    std::array<char, 4096> buffer{};
    bool ok = true;
    for (;;) {
        char* outPtr = buffer.data();
        std::size_t outLeft = buffer.size();
        const std::size_t result = iconv(cd, inLeft ? &in : nullptr, &inLeft, &outPtr, &outLeft);
        out.append(buffer.data(), buffer.size() - outLeft);
        if (result != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                // Flush the shift state (ISO-2022-JP ends in ASCII).
                outPtr = buffer.data();
                outLeft = buffer.size();
                iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
                out.append(buffer.data(), buffer.size() - outLeft);
                break;
            }
            continue;
        }
        if (errno == E2BIG) continue;
        ok = false;  // EILSEQ or EINVAL: a byte the set does not have
        break;
    }
    iconv_close(cd);
    return ok;
}

// One well-formed encoded word at `at` ("=?charset?B|Q?text?="): its end and decoded text.
bool encodedWordAt(std::string_view value, std::size_t at, std::size_t& end, std::string& text) {
    if (value.compare(at, 2, "=?") != 0) return false;
    const std::size_t q1 = value.find('?', at + 2);
    if (q1 == std::string_view::npos || q1 + 2 >= value.size() || value[q1 + 2] != '?')
        return false;
    const char encoding = static_cast<char>(value[q1 + 1] | 0x20);
    if (encoding != 'b' && encoding != 'q') return false;
    const std::size_t close = value.find("?=", q1 + 3);
    if (close == std::string_view::npos) return false;
    std::string charset(value.substr(at + 2, q1 - at - 2));
    if (const auto star = charset.find('*'); star != std::string::npos)
        charset.resize(star);  // RFC 2231 language
    const std::string word(value.substr(at, close + 2 - at));
    // The model's own decoder does the B and Q work; only the character set is ours.
    const std::string decoded = DecodeHeaderWords(word);
    if (decoded == word) return false;
    text = toUtf8(decoded, charset);
    end = close + 2;
    return true;
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        char32_t code = 0;
        if ((c & 0xE0) == 0xC0) {
            length = 2;
            code = c & 0x1F;
        } else if ((c & 0xF0) == 0xE0) {
            length = 3;
            code = c & 0x0F;
        } else if ((c & 0xF8) == 0xF0) {
            length = 4;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + static_cast<std::size_t>(length) > bytes.size()) return false;
        for (int k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(bytes[i + static_cast<std::size_t>(k)]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if ((length == 2 && code < 0x80) || (length == 3 && code < 0x800) ||
            (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
            (code >= 0xD800 && code <= 0xDFFF))
            return false;
        i += static_cast<std::size_t>(length);
    }
    return true;
}

std::string windows1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0xA0) {
            appendUtf8(out, kWindows1252High[c - 0x80]);
        } else {
            appendUtf8(out, c);
        }
    }
    return out;
}

std::string readableBytes(std::string_view bytes) {
    if (isAscii(bytes) || isValidUtf8(bytes)) return std::string(bytes);
    return windows1252ToUtf8(bytes);
}

std::optional<std::string> convertToUtf8(std::string_view bytes, std::string_view charset) {
    const std::string name(trimmed(charset));
    if (readsAsUnknown(name) || equalsNoCase(name, "utf-8") || equalsNoCase(name, "utf8")) {
        if (isValidUtf8(bytes)) return std::string(bytes);
        return std::nullopt;
    }
    // ISO-2022-JP is 7-bit: ASCII text may still hold its escapes.
    if (isAscii(bytes) && !equalsNoCase(name.substr(0, 8), "iso-2022") &&
        !equalsNoCase(name, "utf-7"))
        return std::string(bytes);
    std::string out;
    if (iconvToUtf8(bytes, iconvName(name), out)) return out;
    return std::nullopt;
}

std::string toUtf8(std::string_view bytes, std::string_view charset) {
    if (auto text = convertToUtf8(bytes, charset)) return *text;
    return windows1252ToUtf8(bytes);
}

std::string readableHeaderValue(std::string_view raw) {
    std::string out;
    std::string plain;  // text between encoded words, converted as a whole
    std::string pendingSpace;
    bool afterWord = false;
    std::size_t i = 0;
    const std::string_view value = raw;
    while (i < value.size()) {
        std::size_t end = 0;
        std::string word;
        if (encodedWordAt(value, i, end, word)) {
            if (!afterWord) plain += pendingSpace;
            out += readableBytes(plain);
            plain.clear();
            pendingSpace.clear();
            out += word;
            afterWord = true;
            i = end;
            continue;
        }
        const char c = value[i];
        if (c == ' ' || c == '\t') {
            pendingSpace += c;
        } else {
            plain += pendingSpace;
            pendingSpace.clear();
            plain += c;
            afterWord = false;
        }
        ++i;
    }
    plain += pendingSpace;
    out += readableBytes(plain);
    return out;
}

}  // namespace velmora::mime
