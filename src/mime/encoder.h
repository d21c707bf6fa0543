// Writing a message object as an Internet message text: header lines, then a plain text body,
// an HTML or RTF body, a multipart body with alternatives and attachments, or a uuencoded body.
// Every line ends with CR LF. The text is written as it is: lines of a single period stay as
// they are (the SMTP client does the dot-stuffing on the wire), and no line is ever cut.
//
// Encoding changes the message object: the header fields the encoder writes itself (From, To,
// CC, BCC, Return-Receipt-To, X-Priority, Subject, Mime-Version, Content-Type, X-Encoding,
// Content-Transfer-Encoding) are removed from Headers, every occurrence of them. The body and
// the attachments stay as they are, so a message can be written any number of times.
#pragma once

#include <iosfwd>
#include <string>
#include <string_view>

namespace velmora::platform {
class ThrottledEvents;
}

namespace velmora::mime {

class TmsCustomMessage;
class TmsMessage;

class TmsCustomEncoder {
  public:
    explicit TmsCustomEncoder(TmsCustomMessage& message,
                              platform::ThrottledEvents* events = nullptr);
    virtual ~TmsCustomEncoder() = default;

    // Writes the message text. Errors of the output or of reading attachment data propagate.
    void Encode(std::ostream& output);
    std::string EncodeToString();

  protected:
    // Writes the header lines of the message kind.
    virtual void WriteHeaderLines(std::string& out) = 0;
    TmsCustomMessage& Message() { return message_; }
    platform::ThrottledEvents* Events() const { return events_; }

  private:
    TmsCustomMessage& message_;
    platform::ThrottledEvents* events_;
};

// The encoder of TmsMessage: From, To, CC (never BCC), Return-Receipt-To, X-Priority, the other
// header lines of the message, Subject and Mime-Version.
class TmsMessageEncoder : public TmsCustomEncoder {
  public:
    TmsMessageEncoder(TmsMessage& message, platform::ThrottledEvents* events = nullptr);

  protected:
    void WriteHeaderLines(std::string& out) override;

  private:
    TmsMessage& message_;
};

// A boundary: eight random decimal digits from 0 to 8 (never 9). Pending events may run first.
std::string randomBoundary(platform::ThrottledEvents* events = nullptr);

}  // namespace velmora::mime
