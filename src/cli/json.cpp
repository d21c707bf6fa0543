#include "cli/json.h"

#include <charconv>
#include <cstdio>

namespace velmora::cli {

namespace {

// Nesting deeper than this is refused rather than recursed into.
constexpr int kMaxDepth = 64;

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    JsonValue document() {
        JsonValue value = parseValue(0);
        skipBlanks();
        if (pos_ != text_.size()) fail("text after the JSON value");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw JsonError("JSON error at offset " + std::to_string(pos_) + ": " + what);
    }

    void skipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t' ||
                                       text_[pos_] == '\r' || text_[pos_] == '\n')) {
            ++pos_;
        }
    }

    bool take(std::string_view word) {
        if (text_.substr(pos_, word.size()) != word) return false;
        pos_ += word.size();
        return true;
    }

    JsonValue parseValue(int depth) {
        if (depth > kMaxDepth) fail("nesting too deep");
        skipBlanks();
        if (pos_ >= text_.size()) fail("value expected");
        JsonValue value;
        const char c = text_[pos_];
        if (c == '{') {
            value.kind = JsonValue::Kind::Object;
            ++pos_;
            skipBlanks();
            if (take("}")) return value;
            for (;;) {
                skipBlanks();
                if (pos_ >= text_.size() || text_[pos_] != '"') fail("member name expected");
                std::string name = parseString();
                skipBlanks();
                if (!take(":")) fail("':' expected");
                value.members[name] = parseValue(depth + 1);
                skipBlanks();
                if (take("}")) return value;
                if (!take(",")) fail("',' or '}' expected");
            }
        }
        if (c == '[') {
            value.kind = JsonValue::Kind::Array;
            ++pos_;
            skipBlanks();
            if (take("]")) return value;
            for (;;) {
                value.items.push_back(parseValue(depth + 1));
                skipBlanks();
                if (take("]")) return value;
                if (!take(",")) fail("',' or ']' expected");
            }
        }
        if (c == '"') {
            value.kind = JsonValue::Kind::String;
            value.text = parseString();
            return value;
        }
        if (take("true")) {
            value.kind = JsonValue::Kind::Boolean;
            value.boolean = true;
            return value;
        }
        if (take("false")) {
            value.kind = JsonValue::Kind::Boolean;
            return value;
        }
        if (take("null")) return value;
        return parseNumber();
    }

    JsonValue parseNumber() {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && std::string_view("+-0123456789.eE").find(text_[pos_]) != std::string_view::npos) {
            ++pos_;
        }
        JsonValue value;
        value.kind = JsonValue::Kind::Number;
        const auto [end, error] = std::from_chars(text_.data() + start, text_.data() + pos_, value.number);
        if (start == pos_ || error != std::errc() || end != text_.data() + pos_) {
            pos_ = start;
            fail("value expected");
        }
        return value;
    }

    unsigned hex4() {
        if (pos_ + 4 > text_.size()) fail("bad \\u escape");
        unsigned code = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = text_[pos_++];
            code <<= 4;
            if (h >= '0' && h <= '9') code |= static_cast<unsigned>(h - '0');
            else if (h >= 'a' && h <= 'f') code |= static_cast<unsigned>(h - 'a' + 10);
            else if (h >= 'A' && h <= 'F') code |= static_cast<unsigned>(h - 'A' + 10);
            else fail("bad \\u escape");
        }
        return code;
    }

    static void appendCode(unsigned code, std::string& out) {
        if (code < 256) {
            out += static_cast<char>(code);
        } else if (code < 0x800) {
            out += static_cast<char>(0xC0 | (code >> 6));
            out += static_cast<char>(0x80 | (code & 63));
        } else if (code < 0x10000) {
            out += static_cast<char>(0xE0 | (code >> 12));
            out += static_cast<char>(0x80 | ((code >> 6) & 63));
            out += static_cast<char>(0x80 | (code & 63));
        } else {
            out += static_cast<char>(0xF0 | (code >> 18));
            out += static_cast<char>(0x80 | ((code >> 12) & 63));
            out += static_cast<char>(0x80 | ((code >> 6) & 63));
            out += static_cast<char>(0x80 | (code & 63));
        }
    }

    // Length of the UTF-8 sequence at pos_ and its code, or 0 when the byte stands alone.
    std::size_t utf8At(unsigned& code) const {
        const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text_[pos_ + i]); };
        const unsigned char lead = byte(0);
        std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0 || pos_ + length > text_.size()) return 0;
        code = lead & (0x7F >> length);
        for (std::size_t i = 1; i < length; ++i) {
            if ((byte(i) & 0xC0) != 0x80) return 0;
            code = (code << 6) | (byte(i) & 63);
        }
        return length;
    }

    std::string parseString() {
        ++pos_;  // the opening quote
        std::string out;
        while (pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '"') {
                ++pos_;
                return out;
            }
            if (c == '\\') {
                if (++pos_ >= text_.size()) break;
                const char e = text_[pos_++];
                switch (e) {
                    case '"': out += '"'; break;
                    case '\\': out += '\\'; break;
                    case '/': out += '/'; break;
                    case 'b': out += '\b'; break;
                    case 'f': out += '\f'; break;
                    case 'n': out += '\n'; break;
                    case 'r': out += '\r'; break;
                    case 't': out += '\t'; break;
                    case 'u': {
                        unsigned code = hex4();
                        if (code >= 0xD800 && code < 0xDC00 && take("\\u")) {
                            const unsigned low = hex4();
                            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                        }
                        appendCode(code, out);
                        break;
                    }
                    default: fail("bad escape");
                }
                continue;
            }
            // Characters written as UTF-8: those up to 255 are one byte each.
            unsigned code = 0;
            if (const std::size_t length = utf8At(code)) {
                appendCode(code, out);
                pos_ += length;
            } else {
                out += c;
                ++pos_;
            }
        }
        fail("unterminated string");
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string jsonString(std::string_view bytes) {
    std::string out = "\"";
    out.reserve(bytes.size() + 2);
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
            case '"': out += "\\\""; break;
            case '\\': out += "\\\\"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            default:
                if (c < 0x20 || c >= 0x7F) {
                    char escape[8];
                    std::snprintf(escape, sizeof escape, "\\u%04x", c);
                    out += escape;
                } else {
                    out += ch;
                }
        }
    }
    out += '"';
    return out;
}

const JsonValue* JsonValue::find(const std::string& name) const {
    const auto found = members.find(name);
    return found == members.end() ? nullptr : &found->second;
}

JsonValue parseJson(std::string_view text) { return Parser(text).document(); }

}  // namespace velmora::cli
