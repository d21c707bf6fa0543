// Text in any character set made readable: bytes in a message's character set become UTF-8 for
// the screen, the command line's output and the folder index's subjects. Conversion goes through
// iconv (UTF-8, ISO-8859-x, windows-125x, KOI8-R, ISO-2022-JP, GB18030 ... whatever the C library
// knows); text of an undeclared or unknown character set, and bytes the declared set cannot
// convert, read as windows-1252, so every byte shows as something.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace velmora::mime {

// Is `bytes` well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF)?
bool isValidUtf8(std::string_view bytes);

// Steps through the characters of one text, for counting and cutting it by characters: its
// UTF-8 characters when the text is well-formed UTF-8, else its bytes (a text in a single-byte
// character set).
class CharacterSteps {
  public:
    explicit CharacterSteps(std::string_view text) : text_(text), utf8_(isValidUtf8(text)) {}
    // The byte offset of the character after the one that starts at `at`; the text's size at
    // its end.
    std::size_t next(std::size_t at) const {
        if (at >= text_.size()) return text_.size();
        ++at;
        if (utf8_)
            while (at < text_.size() && (static_cast<unsigned char>(text_[at]) & 0xC0) == 0x80)
                ++at;
        return at;
    }

  private:
    std::string_view text_;
    bool utf8_;
};

// windows-1252 to UTF-8, every byte mapped (the five unassigned ones to their C1 controls).
std::string windows1252ToUtf8(std::string_view bytes);

// Bytes whose character set is unknown: well-formed UTF-8 stays as it is (plain ASCII among it),
// anything else reads as windows-1252.
std::string readableBytes(std::string_view bytes);

// Bytes in the character set `charset` (a MIME name, any case) as UTF-8. An empty, "us-ascii"
// or unknown name reads as readableBytes does; a conversion that fails part way reads the whole
// text as windows-1252.
std::string toUtf8(std::string_view bytes, std::string_view charset);
// The same conversion where it can be made without a guess; nullopt for bytes beyond ASCII that
// are not UTF-8 under an empty, "us-ascii" or "utf-8" name, for a set iconv does not know, and
// for a byte the set cannot convert.
std::optional<std::string> convertToUtf8(std::string_view bytes, std::string_view charset);

// A header value as written in the message (not yet decoded): each encoded word decoded and
// converted from its own character set, the text around them as readableBytes; white space
// between two adjacent encoded words is dropped. Cut at 255 bytes before conversion, as the
// message model cuts header texts.
std::string readableHeaderValue(std::string_view raw);

}  // namespace velmora::mime
