#include "mime/decoder.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/line_reader.h"
#include "mime/base64.h"
#include "mime/errors.h"
#include "mime/header_words.h"
#include "mime/headers.h"
#include "mime/limits.h"
#include "mime/message.h"
#include "mime/quoted_printable.h"
#include "mime/uuencode.h"
#include "platform/events.h"

namespace velmora::mime {

namespace {

// Decoded bytes are gathered up to this size before they go to an attachment's file.
constexpr std::size_t kDataChunk = 256 * 1024;
// Lines read between two chances for pending events.
constexpr unsigned kLinesBetweenEvents = 512;

constexpr const char* kNoticeFirstLine =
    "The following error has been occured while processing the message:";
constexpr const char* kNoticeLastLine = "The original message will be stored as an attachment";
constexpr const char* kOriginalName = "original.eml";

bool contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

std::string_view withoutTrailingBlanks(std::string_view line) {
    while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
    return line;
}

// A boundary line as written, allowing the blanks RFC 2046 lets transports add after it.
bool isExactly(std::string_view line, std::string_view boundary) {
    return withoutTrailingBlanks(line) == boundary;
}

bool isClosing(std::string_view line, std::string_view boundary) {
    line = withoutTrailingBlanks(line);
    return line.size() == boundary.size() + 2 && line.substr(0, boundary.size()) == boundary &&
           line.substr(boundary.size()) == "--";
}

// Asked of every content line against the boundary: most lines differ in their first byte.
bool startsWith(std::string_view line, std::string_view prefix) {
    return line.size() >= prefix.size() && (prefix.empty() || line[0] == prefix[0]) &&
           line.substr(0, prefix.size()) == prefix;
}

[[noreturn]] void raiseNumbered(int number) {
    throw EMessageParserError(numberedText(number));
}

struct TransferEncoding {
    std::uint8_t value = kEncoding7Bit;
    bool uuencoded = false;
};

TransferEncoding transferEncodingOf(const TmsHeaders& headers) {
    const std::string encoding =
        toLowerAscii(ContentTypeToken(headers.GetFieldValue("Content-Transfer-Encoding")));
    if (encoding == "base64") return {kEncodingBase64, false};
    if (startsWith(encoding, "x-uue")) return {kEncodingBase64, true};
    if (encoding == "quoted-printable") return {kEncodingQuotedPrintable, false};
    return {};
}

// The text of quoted-printable lines, which are views into one input; room is made once for
// their span and a CR LF for each line, more than the decoded text needs.
std::string decodeQuotedLines(const std::vector<std::string_view>& lines) {
    std::string text;
    if (lines.empty()) return text;
    const auto span =
        static_cast<std::size_t>(lines.back().data() + lines.back().size() - lines.front().data());
    text.reserve(span + 2 * lines.size());
    const QuotedPrintableDecoder decoder;
    for (const std::string_view encoded : lines) decoder.feedLine(encoded, text);
    return text;
}

// Room for the decoded bytes of a part of at most `inputLeft` bytes: up to a chunk, and one line
// beyond it.
void reserveChunk(std::string& buffer, std::size_t inputLeft) {
    buffer.clear();
    buffer.reserve(std::min(kDataChunk + 1024, inputLeft + 16));
}

// Decodes the content lines of one attachment into its data file, gathering them in `buffer`
// (the run's, so its room is kept from part to part).
class DataWriter {
  public:
    DataWriter(TmsAttItem& item, TransferEncoding encoding, std::string& buffer,
               std::size_t inputLeft)
        : item_(item), encoding_(encoding), buffer_(buffer) {
        reserveChunk(buffer_, inputLeft);
    }
    ~DataWriter() = default;

    void line(std::string_view text) {
        switch (encoding_.value) {
            case kEncodingBase64:
                if (text.empty() || text == ".") return;
                if (encoding_.uuencoded) {
                    if (isUuBeginLine(text) || text == "`" || text == "end") return;
                    decodeUuLineTo(text, buffer_);
                } else {
                    makeRoom(Base64Decoder::roomFor(text.size()));
                    used_ = end(base64_.feedLine(text, buffer_.data() + used_));
                }
                break;
            case kEncodingQuotedPrintable:
                quoted_.feedLine(text, buffer_);
                break;
            default:
                buffer_.append(text);
                buffer_ += "\r\n";
                break;
        }
        if (filled() >= kDataChunk) flush();
    }

    void finish() {
        if (direct()) {
            makeRoom(Base64Decoder::kFinishRoom);
            used_ = end(base64_.finish(buffer_.data() + used_));
        }
        flush();
    }

  private:
    // Base64 bytes are decoded straight into the buffer's first `used_` bytes, its size grown
    // ahead of them, so a line costs no resize; the other decoders append to it.
    bool direct() const { return encoding_.value == kEncodingBase64 && !encoding_.uuencoded; }
    std::size_t filled() const { return direct() ? used_ : buffer_.size(); }
    std::size_t end(const char* written) const {
        return static_cast<std::size_t>(written - buffer_.data());
    }

    void makeRoom(std::size_t room) {
        if (buffer_.size() - used_ >= room) return;
        buffer_.resize(std::max(used_ + room, std::min(buffer_.capacity(), 2 * buffer_.size())));
    }

    void flush() {
        item_.Data().Write(std::string_view(buffer_.data(), filled()));
        if (direct()) {
            used_ = 0;
        } else {
            buffer_.clear();
        }
    }

    TmsAttItem& item_;
    TransferEncoding encoding_;
    std::string& buffer_;
    std::size_t used_ = 0;
    Base64Decoder base64_;
    QuotedPrintableDecoder quoted_;
};

// One run of the decoder over one input.
class Run {
  public:
    Run(std::string_view input, TmsCustomMessage& message, platform::ThrottledEvents* events,
        std::function<void()> resetAddressLists)
        : input_(input),
          reader_(input),
          message_(message),
          events_(events),
          resetAddressLists_(std::move(resetAddressLists)) {}

    void decode() {
        bool parsed = false;
        try {
            readHeaderBlock(headers_);
            message_.ParseHeaders(headers_);
            parsed = true;
            if (!addressListsFit(headers_)) throw EMessageParserError(kTextTooManyRecipients);
            if (contains(headers_.GetFieldValue("MIME-VERSION"), "1.0")) {
                decodeMime();
            } else {
                decodePlain();
            }
        } catch (const EMessageParserError& error) {
            if (!parsed) message_.ParseHeaders(headers_);
            writeErrorNotice(error.what());
        }
        auto& body = message_.Body();
        if (!body.empty() && body.back() == ".") body.pop_back();
    }

  private:
    bool nextLine(std::string_view& line) {
        if (events_ && ++linesSinceEvents_ >= kLinesBetweenEvents) {
            linesSinceEvents_ = 0;
            events_->poll();
        }
        return reader_.next(line);
    }

    std::size_t inputLeft() const { return input_.size() - reader_.position(); }

    void pollEvents() {
        if (events_) events_->poll();
    }

    // The address fields stay within kMaxAddressListEntries each; past it the lists were cut
    // and the message gets the error notice.
    static bool addressListsFit(const TmsHeaders& headers) {
        std::vector<std::string> entries;
        for (const char* field : kAddressListFields)
            if (!headers.GetFieldList(field, entries)) return false;
        return true;
    }

    void readHeaderBlock(TmsHeaders& headers) {
        headers.Clear();
        std::size_t bytes = 0;
        std::string_view line;
        while (nextLine(line) && !line.empty()) {
            bytes += line.size();
            if (headers.Count() >= static_cast<int>(kMaxHeaderLines) || bytes > kMaxHeaderBytes) {
                throw EMessageParserError(kTextHeaderTooLarge);
            }
            headers.Add(std::string(line));
        }
    }

    void addBodyLine(std::string_view line) {
        auto& body = message_.Body();
        if (body.size() >= kMaxBodyLines) throw EMessageParserError(kTextBodyTooLarge);
        body.emplace_back(line);
    }

    // Room for about as many more body lines as the part has encoded lines (the bound of the
    // body keeps its check in addBodyLine).
    void reserveBodyLines(std::size_t count) {
        auto& body = message_.Body();
        body.reserve(body.size() + std::min<std::size_t>(count, kMaxBodyLines));
    }

    void loadBodyFrom(std::string_view text) {
        LineReader lines(text);
        std::string_view line;
        while (lines.next(line)) addBodyLine(line);
    }

    std::unique_ptr<TmsAttItem> newItem() {
        if (message_.Attachments().Count() >= static_cast<int>(kMaxAttachments)) {
            throw EMessageParserError(kTextTooManyAttachments);
        }
        return std::make_unique<TmsAttItem>();
    }

    std::string generatedName(std::string_view prefix) const {
        return std::string(prefix) + std::to_string(message_.Attachments().Count());
    }

    // --- MIME ---------------------------------------------------------------------------------

    void decodeMime() {
        if (headers_.GetFieldValue("X-Mailer") == "V Mailsystem R #0001")
            headers_.RemoveField("Content-Type");
        const std::string contentType = headers_.GetFieldValue("Content-type");
        const std::string lower = toLowerAscii(contentType);
        if (contains(lower, "multipart/alternative")) {
            topAlternative_ = true;
            decodeMultipart(contentType);
        } else if (contains(lower, "multipart")) {
            decodeMultipart(contentType);
        } else if (!lower.empty() && !contains(lower, "text/")) {
            decodeSingleAttachment(contentType);
        } else {
            const std::string name = GetFileNameParam("name", contentType);
            if (!name.empty() && name != "cc:Mail") {
                decodeSingleAttachment(contentType);
            } else {
                decodeSingleText(contentType);
            }
        }
    }

    // The body's own character set, kept by name; UTF-8 text is labelled so whatever its
    // transfer encoding, since a quoted-printable body would otherwise pass for ISO-8859-1 and
    // be written again under that name.
    void noteBodyCharset(const std::string& contentType) {
        const std::string name = TrimQuotes(GetHeaderParam("charset", contentType));
        message_.SetBodyCharsetName(name);
        if (equalsNoCase(name, "utf-8") || equalsNoCase(name, "utf8"))
            message_.SetCharSet(TCharSet::csUTF8);
    }

    void decodeSingleText(const std::string& contentType) {
        const std::string token = toLowerAscii(ContentTypeToken(contentType));
        if (token == "text/html" || token == "text/rtf") message_.SetContentType(token);
        const std::string encoding =
            toLowerAscii(ContentTypeToken(headers_.GetFieldValue("Content-Transfer-Encoding")));
        const bool quoted = encoding == "quoted-printable" ||
                            contains(toLowerAscii(headers_.GetFieldValue("X-MIME-Autoconverted")),
                                     "quoted-printable");
        const bool base64 = encoding == "base64";
        if (equalsNoCase(GetHeaderParam("charset", contentType), "iso-2022-jp")) {
            message_.SetCharSet(TCharSet::csISO2022jp);
        }
        if (quoted) message_.SetCharSet(TCharSet::csISO8859);
        noteBodyCharset(contentType);

        std::string_view line;
        if (base64) {
            std::string text;
            text.reserve(inputLeft() / 4 * 3 + 16);
            Base64Decoder decoder;
            while (nextLine(line)) {
                if (line.empty() || line == ".") continue;
                decoder.feedLine(line, text);
            }
            decoder.finish(text);
            loadBodyFrom(text);
            return;
        }

        std::vector<std::string_view> lines;
        while (nextLine(line)) {
            if (isUuBeginLine(line)) {
                restartAsPlain();
                return;
            }
            lines.push_back(line);
        }
        reserveBodyLines(lines.size());
        if (quoted) {
            loadBodyFrom(decodeQuotedLines(lines));
        } else {
            for (const std::string_view text : lines) addBodyLine(text);
        }
    }

    // A text part that holds uuencoded attachments is read again from the start as a non-MIME
    // message.
    void restartAsPlain() {
        reader_.reset();
        message_.Body().clear();
        headers_.Clear();
        resetAddressLists_();
        readHeaderBlock(headers_);
        message_.ParseHeaders(headers_);
        decodePlain();
    }

    void decodeSingleAttachment(const std::string& contentType) {
        auto item = newItem();
        item->SetContentType(contentType);
        std::string name = GetFileNameParam("name", contentType);
        if (name.empty())
            name = GetFileNameParam("filename", headers_.GetFieldValue("Content-Disposition"));
        if (name.empty()) name = generatedName("att.");
        item->SetFileName(name);
        const TransferEncoding encoding = transferEncodingOf(headers_);
        item->SetContentType(ContentTypeToken(contentType));
        item->SetTransferEncoding(encoding.value);

        DataWriter writer(*item, encoding, dataBuffer_, inputLeft());
        std::string_view line;
        std::string_view held;
        bool holding = false;
        while (nextLine(line)) {
            if (encoding.value == kEncodingBase64 && line == ".") break;
            if (holding) writer.line(held);
            held = line;
            holding = true;
        }
        // A last line of a single period is the end line of a POP3 transfer, as for the body.
        if (holding && held != ".") writer.line(held);
        writer.finish();
        message_.Attachments().Add(std::move(item));
    }

    void decodeMultipart(const std::string& contentType) {
        const std::string parameter = GetHeaderParam("boundary", contentType);
        if (parameter.empty()) raiseNumbered(kTextNoBoundary);
        boundary_ = "--" + parameter;
        skipToExactBoundary();
        if (readFirstPart()) return;
        readRemainingParts();
    }

    void skipToExactBoundary() {
        std::string_view line;
        while (nextLine(line)) {
            if (isExactly(line, boundary_)) return;
        }
        raiseNumbered(kTextNoBoundary);
    }

    // Reads the text part; true when decoding is complete.
    bool readFirstPart() {
        pollEvents();
        readHeaderBlock(partHeaders_);
        std::string partType = partHeaders_.GetFieldValue("Content-Type");
        if (equalsNoCase(GetHeaderParam("charset", partType), "iso-2022-jp")) {
            message_.SetCharSet(TCharSet::csISO2022jp);
        }
        if (contains(toLowerAscii(partType), "multipart/alternative")) {
            const std::string inner = GetHeaderParam("boundary", partType);
            if (inner.empty()) raiseNumbered(kTextNoBoundary);
            outerBoundary_ = boundary_;
            nested_ = true;
            boundary_ = "--" + inner;
            skipToExactBoundary();
            readHeaderBlock(partHeaders_);
            partType = partHeaders_.GetFieldValue("Content-Type");
        }

        const std::string encoding =
            toLowerAscii(ContentTypeToken(partHeaders_.GetFieldValue("Content-Transfer-Encoding")));
        const bool base64 = encoding == "base64";
        if (base64 && message_.CharSet() != TCharSet::csISO2022jp) {
            return false;  // the remaining parts take it as the first attachment
        }

        auto& body = message_.Body();
        body.clear();
        const bool quoted = encoding == "quoted-printable";
        if (quoted) message_.SetCharSet(TCharSet::csISO8859);
        noteBodyCharset(partType);
        std::string_view line;
        bool ended = false;
        if (!base64) {
            std::vector<std::string_view> lines;
            while (nextLine(line)) {
                if (isExactly(line, boundary_) || isClosing(line, boundary_)) {
                    ended = true;
                    break;
                }
                lines.push_back(line);
            }
            // The line break before the boundary belongs to the boundary.
            if (ended && !lines.empty() && lines.back().empty()) lines.pop_back();
            reserveBodyLines(lines.size());
            if (quoted) {
                loadBodyFrom(decodeQuotedLines(lines));
            } else {
                for (const std::string_view text : lines) addBodyLine(text);
            }
            if (body.empty()) body.emplace_back();
        } else {
            std::string text;
            Base64Decoder decoder;
            while (nextLine(line)) {
                if (startsWith(line, boundary_)) {
                    ended = true;
                    break;
                }
                if (!line.empty() && line != ".") decoder.feedLine(line, text);
            }
            decoder.finish(text);
            loadBodyFrom(text);
        }

        if (!ended) raiseNumbered(kTextNoBoundary);
        if (!isClosing(line, boundary_)) return false;
        if (nested_) {
            // An alternative with one body: the outer message goes on after it.
            return leaveNestedAlternative();
        }
        message_.SetContentType(ContentTypeToken(partType));
        return true;
    }

    // Back to the outer boundary after a nested alternative; true when that was the last part.
    bool leaveNestedAlternative() {
        nested_ = false;
        boundary_ = outerBoundary_;
        std::string_view line;
        while (nextLine(line)) {
            if (startsWith(line, boundary_)) return isClosing(line, boundary_);
        }
        raiseNumbered(kTextNoClosingBoundary);
    }

    void readRemainingParts() {
        if (reader_.atEnd()) return;
        for (;;) {
            pollEvents();
            if (!(message_.Body().empty() && message_.Attachments().Count() == 0)) {
                readHeaderBlock(partHeaders_);
            }
            const bool last = readPart();
            if (!last) continue;
            if (!nested_) return;
            if (leaveNestedAlternative()) return;
        }
    }

    // Reads one part into a new attachment; true when it was the last part of its multipart.
    bool readPart() {
        auto item = newItem();
        std::string partType = partHeaders_.GetFieldValue("Content-Type");
        if (partType.empty()) partType = "text/plain";
        const std::string declared = ContentTypeToken(partType);
        item->SetContentType(declared);
        const TransferEncoding encoding = transferEncodingOf(partHeaders_);

        const auto nameWith = [&](const std::string& name) {
            item->SetFileName(name);
            // A name whose extension tells nothing keeps the declared type.
            if (item->ContentType() == "application/octet-stream") item->SetContentType(declared);
            item->SetTransferEncoding(encoding.value);
        };
        const std::string name = GetFileNameParam("name", partType);
        if (!name.empty()) nameWith(name);
        if (item->FileName().empty()) {
            const std::string fileName =
                GetFileNameParam("filename", partHeaders_.GetFieldValue("Content-Disposition"));
            if (!fileName.empty()) nameWith(fileName);
        }
        if (item->FileName().empty()) {
            item->SetFileName(generatedName(nested_ || topAlternative_ ? "_alt." : "att."));
            item->SetContentType(declared);
        }
        item->SetTransferEncoding(encoding.value);

        std::string_view line;
        bool ended = false;
        try {
            // Empty lines at the end of a part are held back: the line break before a boundary
            // belongs to the boundary, and the writer puts one more empty line after every part
            // that another part follows. A last line of a single period at the end of the input
            // is the end line of a POP3 transfer.
            DataWriter writer(*item, encoding, dataBuffer_, inputLeft());
            std::size_t emptyLines = 0;
            bool periodHeld = false;
            const auto writeEmptyLines = [&](std::size_t count) {
                for (; count > 0; --count) writer.line({});
            };
            while (nextLine(line)) {
                if (startsWith(line, boundary_)) {
                    ended = true;
                    break;
                }
                if (periodHeld) {
                    writer.line(".");
                    periodHeld = false;
                }
                if (line.empty()) {
                    ++emptyLines;
                    continue;
                }
                writeEmptyLines(emptyLines);
                emptyLines = 0;
                if (line == ".") {
                    periodHeld = true;
                } else {
                    writer.line(line);
                }
            }
            if (ended) {
                if (periodHeld) writer.line(".");
                const std::size_t separators = isClosing(line, boundary_) ? 1 : 2;
                writeEmptyLines(emptyLines > separators ? emptyLines - separators : 0);
            } else {
                writeEmptyLines(emptyLines);
            }
            writer.finish();
        } catch (const EMessageParserError&) {
            throw;
        } catch (const std::exception&) {
            raiseNumbered(kTextAttachmentDecodingError);
        }
        message_.Attachments().Add(std::move(item));
        return !ended || isClosing(line, boundary_);
    }

    // --- Non-MIME -----------------------------------------------------------------------------

    // Text lines stay in the body, also those after an attachment; the one empty line written
    // before each begin line is no text.
    void decodePlain() {
        std::string_view line;
        std::size_t emptyLines = 0;
        const auto addEmptyLines = [&](std::size_t count) {
            for (; count > 0; --count) addBodyLine({});
        };
        while (nextLine(line)) {
            if (isUuBeginLine(line)) {
                addEmptyLines(emptyLines > 0 ? emptyLines - 1 : 0);
                emptyLines = 0;
                message_.SetEncoding(TMsgEncoding::meUU);
                readUuAttachment(line);
            } else if (line.empty()) {
                ++emptyLines;
            } else {
                addEmptyLines(emptyLines);
                emptyLines = 0;
                addBodyLine(line);
            }
        }
        addEmptyLines(emptyLines);
    }

    // Reads one uuencoded attachment after its begin line, up to and with its end lines.
    void readUuAttachment(std::string_view beginLine) {
        auto item = newItem();
        try {
            const std::string name = uuBeginLineFileName(beginLine);
            item->SetFileName(name.empty() ? generatedName("att.") : name);
            std::string& data = dataBuffer_;
            reserveChunk(data, inputLeft());
            std::string_view line;
            while (nextLine(line)) {
                if (line == "`") {
                    const std::size_t after = reader_.position();
                    std::string_view end;
                    if (!(nextLine(end) && equalsNoCase(end, "end"))) reader_.seek(after);
                    break;
                }
                if (equalsNoCase(line, "end")) break;
                if (!line.empty()) decodeUuLineTo(line, data);
                if (data.size() >= kDataChunk) {
                    item->Data().Write(data);
                    data.clear();
                }
            }
            item->Data().Write(data);
        } catch (const std::exception&) {
            raiseNumbered(kTextAttachmentDecodingError);
        }
        message_.Attachments().Add(std::move(item));
    }

    // --- Errors -------------------------------------------------------------------------------

    void writeErrorNotice(const std::string& text) {
        auto& body = message_.Body();
        body.emplace_back(kNoticeFirstLine);
        body.push_back(text);
        body.emplace_back(kNoticeLastLine);
        auto item = std::make_unique<TmsAttItem>();
        item->StoreFileName(kOriginalName);
        item->SetContentType("message/rfc822");
        item->SetTransferEncoding(kEncoding7Bit);
        item->Data().Write(input_);
        message_.Attachments().Add(std::move(item));
    }

    std::string_view input_;
    LineReader reader_;
    TmsCustomMessage& message_;
    platform::ThrottledEvents* events_;
    std::function<void()> resetAddressLists_;
    TmsHeaders headers_;
    TmsHeaders partHeaders_;
    std::string boundary_;
    std::string outerBoundary_;
    std::string dataBuffer_;
    bool nested_ = false;
    bool topAlternative_ = false;
    unsigned linesSinceEvents_ = 0;
};

}  // namespace

void TmsCustomDecoder::Decode(std::string_view input, TmsCustomMessage& message) {
    Run(input, message, events_, [this, &message] { ResetAddressLists(message); }).decode();
}

void TmsCustomDecoder::ResetAddressLists(TmsCustomMessage&) {}

void TmsMessageDecoder::ResetAddressLists(TmsCustomMessage& message) {
    if (auto* mail = dynamic_cast<TmsMessage*>(&message)) {
        mail->Recipients().Clear();
        mail->CC().Clear();
        mail->BCC().Clear();
    }
}

}  // namespace velmora::mime
