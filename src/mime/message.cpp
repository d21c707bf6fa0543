#include "mime/message.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <istream>
#include <ostream>
#include <system_error>

#include "base/text_file.h"
#include "mime/decoder.h"
#include "mime/encoder.h"
#include "mime/errors.h"
#include "mime/safe_file_name.h"

namespace velmora::mime {

namespace {

constexpr std::size_t kReadBlock = 256 * 1024;

bool isAlternativeBody(const TmsAttItem& item) {
    return toLowerAscii(item.LastPathComponent()).rfind("_alt.", 0) == 0;
}

[[noreturn]] void throwErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

// Reads straight into one string of the file's size (one byte more, to see the end), so a large
// message is neither copied block by block nor moved as the string grows; a file that grows
// meanwhile, or is no regular file, is still read to its end.
std::string readFileBytes(const std::filesystem::path& file) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throwErrno("Open " + file.string());
    struct stat status {};
    const bool sized = ::fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    std::string bytes(sized ? static_cast<std::size_t>(status.st_size) + 1 : kReadBlock, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size()) bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd, bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            if (errno == EINTR) continue;
            const int saved = errno;
            ::close(fd);
            errno = saved;
            throwErrno("Read " + file.string());
        }
        if (got == 0) break;
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    bytes.resize(used);
    return bytes;
}

// Writes `data` as the whole new content of `target`: a temporary file beside it, flushed, then
// renamed over it (a rename replaces a link instead of writing through it).
void writeDataAtomically(TTempFileStream& data, const std::filesystem::path& target) {
    std::string temporary = (target.parent_path() / ".msXXXXXX").string();
    // mkostemp creates with O_CREAT | O_EXCL; O_NOFOLLOW as for every temporary file.
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) throwErrno("Create " + target.string());
    // A saved attachment is an ordinary file of the user's, not a private temporary one.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    try {
        data.ForEachBlock([&](std::string_view block) {
            while (!block.empty()) {
                const ssize_t written = ::write(fd, block.data(), block.size());
                if (written < 0) {
                    if (errno == EINTR) continue;
                    throwErrno("Write " + target.string());
                }
                block.remove_prefix(static_cast<std::size_t>(written));
            }
        });
        if (::fsync(fd) != 0) throwErrno("Write " + target.string());
        const int closed = ::close(fd);
        fd = -1;
        if (closed != 0) throwErrno("Close " + target.string());
    } catch (...) {
        if (fd >= 0) ::close(fd);
        ::unlink(temporary.c_str());
        throw;
    }
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        const int saved = errno;
        ::unlink(temporary.c_str());
        errno = saved;
        throwErrno("Rename to " + target.string());
    }
}

}  // namespace

void TmsCustomMessage::SetSubject(std::string_view subject) {
    subject_ = cutText(subject);
}

std::string TmsCustomMessage::ContentType() {
    const int count = attachments_.Count();
    std::string type;
    if (encoding_ == TMsgEncoding::meUU) {
        type.clear();
    } else if (count > 0 &&
               std::all_of(attachments_.begin(), attachments_.end(),
                           [](const auto& item) { return isAlternativeBody(*item); })) {
        type = "multipart/alternative";
    } else if (count == 1 && body_.empty() &&
               toLowerAscii(attachments_.Items(0).LastPathComponent()) == "_rtfbody.rtf") {
        type = "text/rtf";
    } else if (count == 1 && body_.empty() &&
               toLowerAscii(attachments_.Items(0).LastPathComponent()) == "_htmbody.htm") {
        type = "text/html";
    } else if (!body_.empty() && count == 0) {
        type = contentType_.empty() ? std::string("text/plain") : contentType_;
    } else if (!body_.empty()) {
        type = "multipart/mixed";
    } else if (count == 1) {
        type = attachments_.Items(0).ContentType();
    } else if (count == 0) {
        type = "text/plain";
    } else {
        type = "multipart/mixed";
    }
    contentType_ = type;
    return type;
}

void TmsCustomMessage::SetContentType(std::string_view type) {
    contentType_ = toLowerAscii(cutText(type));
}

void TmsCustomMessage::CheckRequiredFields() {
    if (sender_.Address().empty()) throw EMessageError(numberedText(kTextSenderRequired));
}

void TmsCustomMessage::LoadFromStream(std::istream& input) {
    std::string text;
    std::string block(kReadBlock, '\0');
    while (input) {
        input.read(block.data(), static_cast<std::streamsize>(block.size()));
        const auto got = input.gcount();
        if (got <= 0) break;
        text.append(block.data(), static_cast<std::size_t>(got));
    }
    LoadFromString(text);
}

void TmsCustomMessage::LoadFromFile(const std::filesystem::path& file) {
    Clear();
    const std::string text = readFileBytes(file);
    LoadFromString(text);
}

void TmsCustomMessage::SaveToStream(std::ostream& output) {
    const std::string text = SaveToString();
    output.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (!output) throw std::system_error(EIO, std::generic_category(), "Write message");
}

void TmsCustomMessage::SaveToFile(const std::filesystem::path& file) {
    const std::string text = SaveToString();
    if (const std::error_code error = writeFileAtomically(file, text)) {
        throw std::system_error(error, "Save " + file.string());
    }
}

std::filesystem::path TmsCustomMessage::SaveAttachment(int index,
                                                       const std::filesystem::path& folder) {
    TmsAttItem& item = attachments_.Items(index);
    const std::filesystem::path target = safeTargetPath(folder, item.FileName());
    writeDataAtomically(item.Data(), target);
    return target;
}

void TmsCustomMessage::Clear() {
    body_.clear();
    attachments_.Clear();
    sender_.Clear();
    headers_.Clear();
    subject_.clear();
    encoding_ = TMsgEncoding::meMIME;
    charSet_ = TCharSet::csUSASCII;
    bodyCharsetName_.clear();
    contentType_.clear();
}

void TmsCustomMessage::assignCustom(TmsCustomMessage& other) {
    sender_ = other.sender_;
    subject_ = other.subject_;
    encoding_ = other.encoding_;
    charSet_ = other.charSet_;
    bodyCharsetName_ = other.bodyCharsetName_;
    headers_ = other.headers_;
    body_ = other.body_;
    attachments_.Assign(other.attachments_);
    contentType_ = other.ContentType();
    tag_ = other.tag_;
}

void TmsMessage::CheckRequiredFields() {
    TmsCustomMessage::CheckRequiredFields();
    for (const TmsAddressList* list : {&recipients_, &cc_, &bcc_}) {
        for (const TmsMailAddress& address : *list) {
            if (!address.Address().empty()) return;
        }
    }
    throw EMessageError(numberedText(kTextRecipientRequired));
}

void TmsMessage::LoadFromString(std::string_view text) {
    TmsMessageDecoder(Events()).Decode(text, *this);
}

std::string TmsMessage::SaveToString() {
    return TmsMessageEncoder(*this, Events()).EncodeToString();
}

void TmsMessage::Clear() {
    TmsCustomMessage::Clear();
    recipients_.Clear();
    cc_.Clear();
    bcc_.Clear();
}

void TmsMessage::ParseHeaders(const TmsHeaders& headers) {
    ParseMailAddress(headers.GetFieldValue("FROM"), Sender());
    TmsAddressList* const lists[] = {&recipients_, &cc_, &bcc_};
    for (std::size_t k = 0; k < std::size(lists); ++k) {
        for (const std::string& entry : headers.GetFieldList(kAddressListFields[k])) {
            lists[k]->Add(ParseMailAddress(entry));
        }
    }
    const std::string subject = headers.GetFieldValue("Subject");
    if (!subject.empty()) SetSubject(subject);
    const std::string priority = headers.GetFieldValue("X-Priority");
    priority_ = priority == "1"   ? TPriority::ptHigh
                : priority == "5" ? TPriority::ptLow
                                  : TPriority::ptNormal;
    if (!headers.GetFieldValue("Return-receipt-to").empty()) returnReceipt_ = true;
    if (&headers != &Headers()) SetHeaders(headers);
}

void TmsMessage::Assign(TmsMessage& other) {
    if (&other == this) return;
    recipients_.Assign(other.recipients_);
    cc_.Assign(other.cc_);
    bcc_.Assign(other.bcc_);
    priority_ = other.priority_;
    returnReceipt_ = other.returnReceipt_;
    assignCustom(other);
}

TmsMessageList::~TmsMessageList() {
    Clear();
}

TmsListMessage& TmsMessageList::Add() {
    items_.push_back(std::unique_ptr<TmsListMessage>(new TmsListMessage(*this)));
    return *items_.back();
}

void TmsMessageList::Delete(int index) {
    Items(index);  // range check
    items_.erase(items_.begin() + index);
}

void TmsMessageList::Clear() {
    items_.clear();
}

}  // namespace velmora::mime
