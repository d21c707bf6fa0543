#include "mime/encoder.h"

#include <algorithm>
#include <memory>
#include <ostream>
#include <random>
#include <system_error>

#include "base/text.h"
#include "mime/base64.h"
#include "mime/header_words.h"
#include "mime/headers.h"
#include "mime/message.h"
#include "mime/quoted_printable.h"
#include "mime/uuencode.h"
#include "platform/events.h"

namespace velmora::mime {

namespace {

constexpr std::size_t kLongLine = 256;  // a body line this long is sent quoted-printable
constexpr std::size_t kUuLineBytes = 45;
constexpr std::size_t kReadBlock = kBase64LineBytes * kUuLineBytes * 64;  // whole lines of both
constexpr int kBoundaryDigits = 8;

constexpr const char* kHeaderFieldsWritten[] = {"From",
                                                "To",
                                                "CC",
                                                "BCC",
                                                "Return-Receipt-To",
                                                "X-Priority",
                                                "Subject",
                                                "Mime-Version",
                                                "Content-Type",
                                                "X-Encoding",
                                                "Content-Transfer-Encoding"};

void writeLine(std::string& out, std::string_view line) {
    out.append(line);
    out += "\r\n";
}

// A text written into a header line: a line break in it would start a new header line.
std::string headerText(std::string_view text) {
    std::string clean(text);
    for (char& c : clean) {
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    }
    return clean;
}

// A file name inside double quotes of a header line.
std::string quotedName(std::string_view name) {
    std::string clean = headerText(name);
    for (char& c : clean) {
        if (c == '"') c = '\'';
    }
    return "\"" + clean + "\"";
}

// The name parameter of Content-Type: quoted, and a name beyond ASCII (file names here are
// UTF-8) in encoded words, which every mail program reads there.
std::string nameParameter(std::string_view name) {
    return "name=" +
           quotedName(hasHighBytes(name) ? EncodeUtf8HeaderWords(name) : std::string(name));
}

// The filename parameter of Content-Disposition; a name beyond ASCII as RFC 2231 "filename*"
// (utf-8, percent-escaped).
std::string filenameParameter(std::string_view name) {
    if (!hasHighBytes(name)) return "filename=" + quotedName(name);
    static const char* kHex = "0123456789ABCDEF";
    std::string out = "filename*=utf-8''";
    for (const char ch : headerText(name)) {
        const auto c = static_cast<unsigned char>(ch);
        const bool plain = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                           (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '_';
        if (plain) {
            out += ch;
        } else {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 0x0F];
        }
    }
    return out;
}

std::string lowerName(const TmsAttItem& item) {
    return toLowerAscii(item.LastPathComponent());
}
bool isAlternativeBody(const TmsAttItem& item) {
    return lowerName(item).rfind("_alt.", 0) == 0;
}

const char* transferEncodingName(std::uint8_t encoding) {
    switch (encoding) {
        case kEncodingBase64:
            return "Base64";
        case kEncodingQuotedPrintable:
            return "Quoted-Printable";
        default:
            return "7 bit";
    }
}

const char* charsetName(TCharSet charSet) {
    switch (charSet) {
        case TCharSet::csISO8859:
            return "iso-8859-1";
        case TCharSet::csISO2022jp:
            return "iso-2022-jp";
        case TCharSet::csUTF8:
            return "utf-8";
        default:
            return "us-ascii";
    }
}

// The character sets whose text goes out quoted-printable.
bool eightBit(TCharSet charSet) {
    return charSet == TCharSet::csISO8859 || charSet == TCharSet::csUTF8;
}

void appendQuotedPrintable(std::string& out, platform::ThrottledEvents* events,
                           const std::function<void(QuotedPrintableEncoder&)>& feed) {
    QuotedPrintableEncoder encoder([&out](std::string_view line) { writeLine(out, line); }, events);
    feed(encoder);
    encoder.finish();
}

// About the size of the text the writer makes of a message, so the output grows once: every
// header and body line with its line break, base64 data with theirs, a little more for
// quoted-printable escapes and the part headers.
std::size_t expectedSize(TmsCustomMessage& message) {
    std::size_t size = 1024;
    for (const std::string& header : message.Headers()) size += header.size() + 2;
    for (const std::string& line : message.Body()) size += line.size() + 2;
    size += size / 8;
    TmsAttList& attachments = message.Attachments();
    for (int i = 0; i < attachments.Count(); ++i) {
        TmsAttItem& item = attachments.Items(i);
        const auto bytes = static_cast<std::size_t>(item.Data().Size());
        size += 512;
        if (message.Encoding() == TMsgEncoding::meUU) {
            size += (bytes / kUuLineBytes + 1) * (kUuLineBytes / 3 * 4 + 4);
        } else if (item.TransferEncoding() == kEncodingBase64) {
            size += (bytes / kBase64LineBytes + 1) * (kBase64LineChars + 2);
        } else {
            size += bytes + bytes / 8;
        }
    }
    return size;
}

// Writes one message run into `out`.
class Writer {
  public:
    Writer(TmsCustomMessage& message, platform::ThrottledEvents* events, std::string& out)
        : message_(message), events_(events), out_(out) {
        for (const std::string& line : message.Body()) {
            if (line.size() >= kLongLine) {
                longLines_ = true;
                break;
            }
        }
    }

    void writeBody() {
        if (message_.Encoding() == TMsgEncoding::meUU) {
            writeUuencodedBody();
            return;
        }
        const std::string type = message_.ContentType();
        const int attachments = message_.Attachments().Count();
        if (type == "multipart/mixed") {
            writeMultipart(false);
        } else if (type == "multipart/alternative") {
            writeMultipart(true);
        } else if ((type == "text/html" || type == "text/rtf") &&
                   !(message_.Body().empty() && attachments > 0)) {
            writeHtmlOrRtfBody(type);
        } else if (attachments > 0) {  // also the body file "_htmbody.htm" or "_rtfbody.rtf"
            writeSingleAttachmentBody();
        } else {
            writePlainBody();
        }
    }

  private:
    void line(std::string_view text) { writeLine(out_, text); }

    void poll() {
        if (events_) events_->poll();
    }

    void writeTextPartHeader() {
        const TCharSet charSet = message_.CharSet();
        line(std::string("Content-Type: text/plain; charset=\"") + charsetName(charSet) + "\"");
        const bool quoted = eightBit(charSet) || longLines_;
        line(quoted ? "Content-Transfer-Encoding: quoted-printable"
                    : "Content-Transfer-Encoding: 7bit");
    }

    void writeBodyQuotedPrintable() {
        appendQuotedPrintable(out_, events_, [this](QuotedPrintableEncoder& encoder) {
            for (const std::string& text : message_.Body()) {
                encoder.feed(text);
                encoder.feed("\r\n");
            }
        });
    }

    void writeEncodedText() {
        if (eightBit(message_.CharSet()) || longLines_) {
            writeBodyQuotedPrintable();
        } else {
            for (const std::string& text : message_.Body()) line(text);
        }
    }

    void writePlainBody() {
        writeTextPartHeader();
        line("");
        writeEncodedText();
    }

    void writeHtmlOrRtfBody(const std::string& type) {
        std::string contentType =
            type == "text/html" ? "Content-Type: text/html" : "Content-Type: text/rtf";
        if (message_.CharSet() != TCharSet::csUSASCII)
            contentType += std::string("; charset=\"") +
                           (message_.CharSet() == TCharSet::csUTF8 ? "utf-8" : "iso-8859-1") + "\"";
        line(contentType);
        line("Content-Transfer-Encoding: quoted-printable");
        line("");
        writeBodyQuotedPrintable();
    }

    // Reads the whole data of an item in blocks, from its start. Data smaller than a block come
    // in one read; the buffer is kept for the next item.
    template <typename Sink>
    void readData(TmsAttItem& item, Sink&& sink) {
        TTempFileStream& data = item.Data();
        const std::size_t size =
            static_cast<std::size_t>(std::min<std::uint64_t>(data.Size() + 1, kReadBlock));
        if (size > blockSize_) {
            block_ = std::make_unique_for_overwrite<char[]>(size);
            blockSize_ = size;
        }
        data.Seek(0);
        for (;;) {
            const std::size_t got = data.Read(block_.get(), size);
            sink(std::string_view(block_.get(), got), got < size);
            poll();
            if (got < size) break;
        }
    }

    void writeAttachmentContent(TmsAttItem& item) {
        switch (item.TransferEncoding()) {
            case kEncodingBase64:
                // Blocks hold whole lines but the last; the data end with a shorter line,
                // possibly empty.
                readData(item, [this](std::string_view bytes, bool last) {
                    appendBase64Lines(bytes, out_);
                    if (last && bytes.size() % kBase64LineBytes == 0) out_ += "\r\n";
                });
                break;
            case kEncodingQuotedPrintable:
                appendQuotedPrintable(out_, events_, [&](QuotedPrintableEncoder& encoder) {
                    readData(item,
                             [&encoder](std::string_view bytes, bool) { encoder.feed(bytes); });
                });
                break;
            default: {
                // Text lines, written with CR LF whatever their line breaks were. A line that
                // goes on into the next block waits in `pending`.
                std::string pending;
                bool afterCR = false;
                readData(item, [&](std::string_view bytes, bool) {
                    while (!bytes.empty()) {
                        if (afterCR) {
                            afterCR = false;
                            if (bytes.front() == '\n') {
                                bytes.remove_prefix(1);
                                continue;
                            }
                        }
                        std::size_t end = 0;
                        while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n')
                            ++end;
                        if (end == bytes.size()) {
                            pending.append(bytes);
                            return;
                        }
                        if (pending.empty()) {
                            line(bytes.substr(0, end));
                        } else {
                            pending.append(bytes.substr(0, end));
                            line(pending);
                            pending.clear();
                        }
                        afterCR = bytes[end] == '\r';
                        bytes.remove_prefix(end + 1);
                    }
                });
                if (!pending.empty()) line(pending);
                break;
            }
        }
    }

    void writeSingleAttachmentBody() {
        TmsAttItem& item = message_.Attachments().Items(0);
        const std::string name = lowerName(item);
        const bool bodyFile = name == "_htmbody.htm" || name == "_rtfbody.rtf";
        if (name == "_htmbody.htm") {
            line("Content-Type: text/html");
        } else if (name == "_rtfbody.rtf") {
            line("Content-Type: text/rtf");
        } else {
            line("Content-Type: " + headerText(item.ContentType()) + "; " +
                 nameParameter(item.LastPathComponent()));
        }
        line(std::string("Content-Transfer-Encoding: ") +
             transferEncodingName(item.TransferEncoding()));
        if (!bodyFile)
            line("Content-Disposition: attachment; " + filenameParameter(item.LastPathComponent()));
        line("");
        writeAttachmentContent(item);
    }

    void writeMultipart(bool alternative) {
        TmsAttList& attachments = message_.Attachments();
        const bool bodyEmpty = message_.Body().empty();
        const std::string firstName =
            attachments.Count() > 0 ? lowerName(attachments.Items(0)) : "";
        bool htmlFirst = bodyEmpty && firstName == "_htmbody.htm";
        bool rtfFirst = bodyEmpty && firstName == "_rtfbody.rtf";

        std::string boundary = randomBoundary(events_);
        line("Content-Type: " + headerText(message_.ContentType()) + "; boundary=\"" + boundary +
             "\"");
        line("");
        line("This is a multipart message in MIME format");
        line("");
        line("--" + boundary);

        std::string outer;
        bool nested = false;
        if (attachments.Count() > 0 && isAlternativeBody(attachments.Items(0)) && !alternative) {
            outer = boundary;
            boundary = randomBoundary(events_);
            nested = true;
            line("Content-Type:  multipart/alternative; boundary=\"" + boundary + "\"");
            line("Content-Transfer-Encoding: 7bit");
            line("");
            line("--" + boundary);
        }

        if (!bodyEmpty) {
            writeTextPartHeader();
            line("");
            writeEncodedText();
            line("");
            line("--" + boundary);
        }

        const int count = attachments.Count();
        for (int i = 0; i < count; ++i) {
            TmsAttItem& item = attachments.Items(i);
            if (i > 0) {
                line("");
                line("--" + boundary);
                htmlFirst = rtfFirst = false;
            }
            const bool plain = !(alternative || nested || htmlFirst || rtfFirst);
            std::string contentType = "Content-Type: " + headerText(item.ContentType());
            if (plain) contentType += "; " + nameParameter(item.LastPathComponent());
            line(contentType);
            line(std::string("Content-Transfer-Encoding: ") +
                 transferEncodingName(item.TransferEncoding()));
            if (plain)
                line("Content-Disposition: attachment; " +
                     filenameParameter(item.LastPathComponent()));
            line("");
            writeAttachmentContent(item);
            line("");
            if (i == count - 1) {
                line("--" + boundary + "--");
            } else if (nested && !isAlternativeBody(attachments.Items(i + 1))) {
                line("--" + boundary + "--");
                nested = false;
                boundary = outer;
            }
        }
        if (count == 0) line("--" + boundary + "--");
    }

    void writeUuencodedBody() {
        line("");
        for (const std::string& text : message_.Body()) line(text);
        TmsAttList& attachments = message_.Attachments();
        for (int i = 0; i < attachments.Count(); ++i) {
            TmsAttItem& item = attachments.Items(i);
            line("");
            line("begin 600 " + headerText(item.LastPathComponent()));
            readData(item, [this](std::string_view bytes, bool) {
                while (!bytes.empty()) {
                    const std::string_view piece = bytes.substr(0, kUuLineBytes);
                    line(encodeUuLine(piece));
                    bytes.remove_prefix(piece.size());
                }
            });
            line("`");
            line("end");
        }
    }

    TmsCustomMessage& message_;
    platform::ThrottledEvents* events_;
    std::string& out_;
    bool longLines_ = false;
    std::unique_ptr<char[]> block_;
    std::size_t blockSize_ = 0;
};

std::string displayName(const TmsMessage& message, std::string_view name) {
    std::string text = headerText(name);
    if (message.CharSet() == TCharSet::csISO2022jp && message.Encoding() == TMsgEncoding::meMIME) {
        const std::string encoded = EncodeJisHeaderWord(text);
        if (encoded != text) return encoded;
    }
    if (message.CharSet() == TCharSet::csUTF8) {
        const std::string encoded = EncodeUtf8HeaderWords(text);
        if (encoded != text) return encoded;
    }
    // A comma would split the entry in two when the line is read again.
    const bool special = text.find('.') != std::string::npos || text.find(',') != std::string::npos;
    if (special && text.find('"') == std::string::npos) {
        text = "\"" + text + "\"";
    }
    return text;
}

void writeAddressLines(std::string& out, const TmsMessage& message, std::string_view field,
                       const TmsAddressList& list) {
    const int count = list.Count();
    for (int i = 0; i < count; ++i) {
        std::string text;
        if (i == 0) {
            text = std::string(field) + ":";
            text.resize(10, ' ');
        } else {
            text.assign(10, ' ');
        }
        text += displayName(message, list[i].Name()) + " <" + headerText(list[i].Address());
        text += i == count - 1 ? ">" : ">,";
        writeLine(out, text);
    }
}

}  // namespace

std::string randomBoundary(platform::ThrottledEvents* events) {
    static std::mt19937 engine{std::random_device{}()};
    if (events) events->poll();
    std::uniform_int_distribution<int> digit(0, 8);
    std::string boundary;
    for (int i = 0; i < kBoundaryDigits; ++i) boundary += static_cast<char>('0' + digit(engine));
    return boundary;
}

TmsCustomEncoder::TmsCustomEncoder(TmsCustomMessage& message, platform::ThrottledEvents* events)
    : message_(message), events_(events) {}

std::string TmsCustomEncoder::EncodeToString() {
    std::string out;
    out.reserve(expectedSize(message_));
    WriteHeaderLines(out);
    Writer(message_, events_, out).writeBody();
    return out;
}

void TmsCustomEncoder::Encode(std::ostream& output) {
    const std::string text = EncodeToString();
    output.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!output) throw std::system_error(EIO, std::generic_category(), "Write message");
}

TmsMessageEncoder::TmsMessageEncoder(TmsMessage& message, platform::ThrottledEvents* events)
    : TmsCustomEncoder(message, events), message_(message) {}

void TmsMessageEncoder::WriteHeaderLines(std::string& out) {
    TmsMessage& message = message_;
    writeLine(out, "From:     " + displayName(message, message.Sender().Name()) + " <" +
                       headerText(message.Sender().Address()) + ">");
    writeAddressLines(out, message, "To", message.Recipients());
    writeAddressLines(out, message, "CC", message.CC());
    if (message.ReturnReceipt()) {
        writeLine(out, "Return-Receipt-To: <" + headerText(message.Sender().Address()) + ">");
    }
    if (message.Priority() == TPriority::ptLow) writeLine(out, "X-Priority: 5");
    if (message.Priority() == TPriority::ptHigh) writeLine(out, "X-Priority: 1");

    // Every occurrence goes: a second Content-Type left behind would contradict the one written.
    for (const char* field : kHeaderFieldsWritten) {
        for (int count = message.Headers().Count(); count > 0; count = message.Headers().Count()) {
            message.Headers().RemoveField(field);
            if (message.Headers().Count() == count) break;
        }
    }
    for (const std::string& header : message.Headers()) {
        // An empty line would end the header block early.
        if (!trimWhite(header).empty()) writeLine(out, header);
    }
    if (!message.Subject().empty()) {
        std::string subject = message.Subject();
        if (message.CharSet() == TCharSet::csISO2022jp &&
            message.Encoding() == TMsgEncoding::meMIME) {
            subject = EncodeJisHeaderWord(subject);
        }
        if (message.CharSet() == TCharSet::csUTF8) subject = EncodeUtf8HeaderWords(subject);
        writeLine(out, "Subject: " + headerText(subject));
    }
    if (message.Encoding() == TMsgEncoding::meMIME) writeLine(out, "Mime-Version: 1.0");
}

}  // namespace velmora::mime
