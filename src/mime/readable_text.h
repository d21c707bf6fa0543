// Text in any character set made readable: bytes in a message's character set become UTF-8 for
// the screen, the command line's output and the folder index's subjects. Conversion goes through
// iconv (UTF-8, ISO-8859-x, windows-125x, KOI8-R, ISO-2022-JP, GB18030 ... whatever the C library
// knows); text of an undeclared or unknown character set, and bytes the declared set cannot
// convert, read as windows-1252, so every byte shows as something.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::mime {

// Is `bytes` well-formed UTF-8 (no overlong forms, no surrogates, nothing above U+10FFFF)?
bool isValidUtf8(std::string_view bytes);

// The byte offset of each character of `text`, for counting and cutting it by characters: of
// each UTF-8 character when the text is well-formed UTF-8, else of each byte (a text in a
// single-byte character set).
std::vector<std::size_t> characterStarts(std::string_view text);

// windows-1252 to UTF-8, every byte mapped (the five unassigned ones to their C1 controls).
std::string windows1252ToUtf8(std::string_view bytes);

// Bytes whose character set is unknown: well-formed UTF-8 stays as it is (plain ASCII among it),
// anything else reads as windows-1252.
std::string readableBytes(std::string_view bytes);

// Bytes in the character set `charset` (a MIME name, any case) as UTF-8. An empty, "us-ascii"
// or unknown name reads as readableBytes does; a conversion that fails part way reads the whole
// text as windows-1252.
std::string toUtf8(std::string_view bytes, std::string_view charset);

// A header value as written in the message (not yet decoded): each encoded word decoded and
// converted from its own character set, the text around them as readableBytes; white space
// between two adjacent encoded words is dropped. Cut at 255 bytes before conversion, as the
// message model cuts header texts.
std::string readableHeaderValue(std::string_view raw);

}  // namespace velmora::mime
