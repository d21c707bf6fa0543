// Base64 (the standard alphabet, "=" padding) as the message format uses it: attachment data is
// written 57 bytes to a 76-character line and read back line by line.
#pragma once

#include <string>
#include <string_view>

namespace velmora::mime {

// One line of base64 for `bytes` (57 bytes give 76 characters), padded with "=" to a multiple
// of four.
std::string encodeBase64Line(std::string_view bytes);
void appendBase64(std::string_view bytes, std::string& out);

// Bytes on a line of attachment data, and its characters.
inline constexpr std::size_t kBase64LineBytes = 57;
inline constexpr std::size_t kBase64LineChars = 76;

// Appends `bytes` as lines of kBase64LineBytes bytes, each ended by CR LF; a last shorter line
// holds what remains (no line at all when nothing remains).
void appendBase64Lines(std::string_view bytes, std::string& out);

// The bytes of one base64 line. Any character outside the alphabet and "=" (a space too)
// raises EMessageParserError "Invalid Character". A line whose length is not a multiple of four
// decodes its whole groups, and a final group of two or three characters gives its one or two
// bytes; "=" padding ends a group early.
std::string decodeBase64Line(std::string_view line);

// Decodes the lines of one part as one stream: a group of four may be split over two lines (as
// some mailers write), so a line of the wrong length loses nothing. Errors as decodeBase64Line.
class Base64Decoder {
  public:
    // Appends the bytes of every group the line completes to `out`.
    void feedLine(std::string_view line, std::string& out);
    // Appends the bytes of a pending partial group (two or three characters) and starts afresh.
    void finish(std::string& out);

    // The same into memory the caller holds: `dst` has room for roomFor(line.size()) bytes
    // (for finish, kFinishRoom); the end of the bytes written comes back. Bytes past it may
    // have been overwritten.
    static constexpr std::size_t roomFor(std::size_t chars) { return chars / 4 * 3 + 3 + 8; }
    static constexpr std::size_t kFinishRoom = 3;
    char* feedLine(std::string_view line, char* dst);
    char* finish(char* dst);

  private:
    unsigned char pending_[4] = {};
    int pendingCount_ = 0;
};

}  // namespace velmora::mime
