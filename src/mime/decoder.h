// Taking a message text apart into a message object: its header fields, its text body and its
// attachments (MIME 1.0 single part, multipart/mixed and similar, multipart/alternative at the
// top or nested one level inside, quoted-printable and base64, uuencoded attachments in non-MIME
// messages and inside text parts).
//
// Decoding never loses a message: when the text cannot be taken apart (a missing boundary, a
// bad character in encoded data, a limit of limits.h passed), the body gains the lines
// "The following error has been occured while processing the message:", the error's text and
// "The original message will be stored as an attachment", and the whole input becomes the
// attachment "original.eml" (message/rfc822). Only file errors of the temporary files escape.
#pragma once

#include <string_view>

namespace velmora::platform {
class ThrottledEvents;
}

namespace velmora::mime {

class TmsCustomMessage;

class TmsCustomDecoder {
  public:
    explicit TmsCustomDecoder(platform::ThrottledEvents* events = nullptr) : events_(events) {}
    virtual ~TmsCustomDecoder() = default;

    // Decodes `input` (a whole message; lines may end in CR LF, LF or CR) into `message`, which
    // is not cleared first. `input` is only read during the call.
    void Decode(std::string_view input, TmsCustomMessage& message);

  protected:
    // Empties the recipient lists before the message is read again as a non-MIME message.
    virtual void ResetAddressLists(TmsCustomMessage& message);

  private:
    platform::ThrottledEvents* events_;
};

// The decoder of TmsMessage: also empties To, CC and BCC when a text part turns out to hold
// uuencoded attachments and the message is read again from its start.
class TmsMessageDecoder : public TmsCustomDecoder {
  public:
    using TmsCustomDecoder::TmsCustomDecoder;

  protected:
    void ResetAddressLists(TmsCustomMessage& message) override;
};

}  // namespace velmora::mime
