// The message object: the in-memory form of one Internet mail message with its sender,
// recipients, subject, priority, raw header lines, text body and attachments (whose content
// lives in temporary files). Messages are decoded into it (decoder.h) and written from it
// (encoder.h); the application reads and sets its fields directly.
#pragma once

#include <filesystem>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "mime/address.h"
#include "mime/attachment.h"
#include "mime/headers.h"

namespace velmora::platform {
class ThrottledEvents;
}

namespace velmora::mime {

enum class TMsgEncoding { meMIME, meUU };
// csUTF8 comes last, so the positions of the others stay as stored.
enum class TCharSet { csUSASCII, csISO8859, csISO2022jp, csUTF8 };
enum class TPriority { ptLow, ptNormal, ptHigh };

class TmsCustomMessage {
  public:
    TmsCustomMessage() = default;
    virtual ~TmsCustomMessage() = default;
    TmsCustomMessage(const TmsCustomMessage&) = delete;
    TmsCustomMessage& operator=(const TmsCustomMessage&) = delete;
    TmsCustomMessage(TmsCustomMessage&&) = default;
    TmsCustomMessage& operator=(TmsCustomMessage&&) = default;

    TmsAttList& Attachments() { return attachments_; }
    const TmsAttList& Attachments() const { return attachments_; }
    TmsMailAddress& Sender() { return sender_; }
    const TmsMailAddress& Sender() const { return sender_; }
    TmsHeaders& Headers() { return headers_; }
    const TmsHeaders& Headers() const { return headers_; }
    void SetHeaders(const TmsHeaders& headers) { headers_ = headers; }
    // The text body, one entry per line without line ends.
    std::vector<std::string>& Body() { return body_; }
    const std::vector<std::string>& Body() const { return body_; }
    void SetBody(std::vector<std::string> lines) { body_ = std::move(lines); }

    const std::string& Subject() const { return subject_; }
    void SetSubject(std::string_view subject);  // cut at 255 bytes
    TMsgEncoding Encoding() const { return encoding_; }
    void SetEncoding(TMsgEncoding encoding) { encoding_ = encoding; }
    TCharSet CharSet() const { return charSet_; }
    void SetCharSet(TCharSet charSet) { charSet_ = charSet; }
    // The charset parameter the body text was declared in when it was decoded (of the message,
    // or of its text part), as written ("KOI8-R", "Shift_JIS"); "" when it had none. CharSet
    // knows only four sets; this keeps the one the text can be read in. Never written.
    const std::string& BodyCharsetName() const { return bodyCharsetName_; }
    void SetBodyCharsetName(std::string_view name) { bodyCharsetName_ = name; }
    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    // Computed from the body and the attachments each time it is read (and stored back):
    // "" for a uuencoded message; "multipart/alternative" when every attachment is an
    // alternative body ("_alt." names); "text/rtf" or "text/html" for a message whose only
    // content is "_rtfbody.rtf" or "_htmbody.htm"; the stored value ("text/plain" when empty)
    // for a body alone; "multipart/mixed" for a body with attachments or several attachments;
    // the attachment's type for one attachment alone; "text/plain" for nothing at all.
    std::string ContentType();
    // Stores the lower-cased type (cut at 255 bytes), e.g. "text/html" for an HTML body.
    void SetContentType(std::string_view type);
    // The stored type, as the last read or write of ContentType left it.
    const std::string& StoredContentType() const { return contentType_; }

    // Where decoding and encoding let pending events run; none by default.
    void SetEvents(platform::ThrottledEvents* events) { events_ = events; }
    platform::ThrottledEvents* Events() const { return events_; }

    // Raises EMessageError 57100 when the sender has no address.
    virtual void CheckRequiredFields();
    // Decodes a whole message text into this object, which is not cleared first (use it on a
    // fresh object, or LoadFromFile). Parse errors become the error notice in the body with the
    // original text as the attachment "original.eml"; they never throw.
    virtual void LoadFromString(std::string_view text) = 0;
    void LoadFromStream(std::istream& input);
    // Clear, then decode the file. A file that cannot be read throws std::system_error.
    void LoadFromFile(const std::filesystem::path& file);
    // The encoded message text. Encoding changes the object the documented ways (encoder.h).
    virtual std::string SaveToString() = 0;
    void SaveToStream(std::ostream& output);
    // Writes the encoded text as the whole new content of the file, atomically; file errors
    // throw std::system_error and leave an older file untouched.
    void SaveToFile(const std::filesystem::path& file);
    // Writes attachment `index` into `folder` under its safe file name (safe_file_name.h),
    // overwriting an older file, and returns the path written. Throws std::out_of_range for a
    // bad index and std::system_error for file errors or a target that is a link or a folder.
    std::filesystem::path SaveAttachment(int index, const std::filesystem::path& folder);

    // Empties body, attachments, sender, headers and subject, resets Encoding and CharSet and
    // empties the stored content type.
    virtual void Clear();
    // Fills the properties from a header list.
    virtual void ParseHeaders(const TmsHeaders& headers) = 0;

  protected:
    void assignCustom(TmsCustomMessage& other);

  private:
    TmsAttList attachments_;
    TmsMailAddress sender_;
    TmsHeaders headers_;
    std::vector<std::string> body_;
    std::string subject_;
    std::string contentType_ = "text/plain";
    TMsgEncoding encoding_ = TMsgEncoding::meMIME;
    TCharSet charSet_ = TCharSet::csUSASCII;
    std::string bodyCharsetName_;
    int tag_ = 0;
    platform::ThrottledEvents* events_ = nullptr;
};

// The header fields whose entries become TmsMessage's address lists, as GetFieldList names
// them (the colon included, so that a field such as "Tokens:" is no recipient list).
inline constexpr const char* kAddressListFields[] = {"TO:", "CC:", "BCC:"};

class TmsMessage : public TmsCustomMessage {
  public:
    TmsMessage() = default;
    TmsMessage(TmsMessage&&) = default;
    TmsMessage& operator=(TmsMessage&&) = default;

    TmsAddressList& Recipients() { return recipients_; }
    const TmsAddressList& Recipients() const { return recipients_; }
    TmsAddressList& CC() { return cc_; }
    const TmsAddressList& CC() const { return cc_; }
    TmsAddressList& BCC() { return bcc_; }
    const TmsAddressList& BCC() const { return bcc_; }
    bool ReturnReceipt() const { return returnReceipt_; }
    void SetReturnReceipt(bool on) { returnReceipt_ = on; }
    TPriority Priority() const { return priority_; }
    void SetPriority(TPriority priority) { priority_ = priority; }

    // 57100 without a sender address; 57101 when no entry of Recipients, CC or BCC has an
    // address. Both raise EMessageError.
    void CheckRequiredFields() override;
    void LoadFromString(std::string_view text) override;
    std::string SaveToString() override;
    // Also empties Recipients, CC and BCC; Priority and ReturnReceipt stay.
    void Clear() override;
    // Sender from From; To, CC and BCC entries appended to their lists; Subject when the field
    // is not empty; Priority from X-Priority ("1" high, "5" low, anything else normal);
    // ReturnReceipt set (never cleared) by a Return-receipt-to field; Headers a copy. Each list
    // takes at most kMaxAddressListEntries entries of its field (the decoder reports more).
    void ParseHeaders(const TmsHeaders& headers) override;

    // Copies every field, deep copies of the attachments included, and the computed content type.
    void Assign(TmsMessage& other);

  private:
    TmsAddressList recipients_;
    TmsAddressList cc_;
    TmsAddressList bcc_;
    bool returnReceipt_ = false;
    TPriority priority_ = TPriority::ptNormal;
};

class TmsListMessage;

// Owns a list of messages.
class TmsMessageList {
  public:
    TmsMessageList() = default;
    ~TmsMessageList();
    TmsMessageList(const TmsMessageList&) = delete;
    TmsMessageList& operator=(const TmsMessageList&) = delete;

    int Count() const { return static_cast<int>(items_.size()); }
    TmsListMessage& Items(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    // A new empty message that belongs to this list.
    TmsListMessage& Add();
    // Frees message `index`, or every message.
    void Delete(int index);
    void Clear();

  private:
    std::vector<std::unique_ptr<TmsListMessage>> items_;
};

// A message owned by a TmsMessageList; made by TmsMessageList::Add, which is the only way to
// create one, so every list message has its list.
class TmsListMessage : public TmsMessage {
  public:
    TmsMessageList& Owner() const { return owner_; }
    TmsListMessage(const TmsListMessage&) = delete;
    TmsListMessage& operator=(const TmsListMessage&) = delete;

  private:
    friend class TmsMessageList;
    explicit TmsListMessage(TmsMessageList& owner) : owner_(owner) {}
    TmsMessageList& owner_;
};

}  // namespace velmora::mime
