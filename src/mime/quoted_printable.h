// Quoted-printable, both ways, on whole texts: bytes to encoded lines and encoded lines to bytes.
//
// Encoding cuts a paragraph (the bytes between two line breaks) into pieces of at most 65
// characters, before a space when there is one, ends every piece but the last with a soft break
// "=", and escapes control characters (tab included), "=" and bytes of 128 and above as "=XX";
// spaces stay as they are. Only CR LF is written as a hard break: a lone CR or LF is escaped, and
// data that does not end in a line break ends with a soft break, so that decoding gives back
// every byte exactly. Paragraphs of any length are handled in blocks of kParagraphBufferSize.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::platform {
class ThrottledEvents;
}

namespace velmora::mime {

// Work is done a paragraph buffer at a time; longer paragraphs are carried on with soft breaks.
inline constexpr std::size_t kParagraphBufferSize = 24'576;

class QuotedPrintableEncoder {
  public:
    using LineSink = std::function<void(std::string_view line)>;
    explicit QuotedPrintableEncoder(LineSink sink, platform::ThrottledEvents* events = nullptr);
    // Feeds the next bytes of the data; complete lines go to the sink.
    void feed(std::string_view bytes);
    // Ends the data: writes what is pending.
    void finish();

  private:
    // Adds data bytes (no line break among them), cutting pieces whenever the buffer fills.
    void addToParagraph(std::string_view bytes);
    void endParagraph(bool hardBreak);
    void emitPieces(std::string_view paragraph, bool last);

    LineSink sink_;
    platform::ThrottledEvents* events_;
    std::string paragraph_;
    std::string line_;
    bool pendingCR_ = false;
};

class QuotedPrintableDecoder {
  public:
    // Appends the bytes of one encoded line: "=XX" (hexadecimal in either case) gives that byte,
    // an "=" not followed by two hexadecimal digits stays as it is; a line ending in "=" joins
    // the next one, any other line ends with CR LF (except one whose last byte is the end-of-file
    // character 26). Never fails.
    void feedLine(std::string_view line, std::string& out) const;
};

// The class of the message format: encode (bytes to lines appended to `lines`) and decode
// (lines to bytes appended to `out`).
class TQuotedPrintable {
  public:
    static void Encode(std::string_view bytes, std::vector<std::string>& lines,
                       platform::ThrottledEvents* events = nullptr);
    static void Decode(const std::vector<std::string>& lines, std::string& out);
};

// Decodes one line and returns its first decoded line (the one-line decoder of header words).
std::string decodeQuotedPrintableLine(std::string_view line);

}  // namespace velmora::mime
