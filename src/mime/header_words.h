// Encoded words of header values ("=?iso-8859-1?Q?Andr=E9?="). No character set is converted:
// the decoded bytes are shown as they are.
#pragma once

#include <string>
#include <string_view>

namespace velmora::mime {

// Replaces every well-formed encoded word (charset, "B" or "Q" in either case, text) by its
// decoded bytes; "_" becomes a blank inside Q words only. White space between two adjacent
// encoded words is dropped, any other text is kept as it is, and a "=?" that does not open a
// well-formed word stays literal text. The result is cut at 255 bytes. Never fails: a B word
// that is not valid base64 stays as it was written.
std::string DecodeHeaderWords(std::string_view value);

// "=?ISO-2022-JP?B?" + base64 of the text + "?=" (cut at 255 bytes) when the text starts with
// the escape character of ISO-2022-JP; otherwise the text unchanged.
std::string EncodeJisHeaderWord(std::string_view text);

// The text unchanged when it is plain ASCII; otherwise "=?utf-8?B?...?=" words of at most 45
// bytes of it each, split between characters and separated by blanks (which decoding drops), so
// a header in any script stays readable to every mail program.
std::string EncodeUtf8HeaderWords(std::string_view text);

}  // namespace velmora::mime
