#include "reading/readable_text.h"

#include "base/text.h"
#include "mime/headers.h"
#include "store/message_file.h"

namespace velmora::reading {

std::string messageCharset(const mime::TmsMessage& message) {
    std::string charset = message.BodyCharsetName();
    if (charset.empty()) {
        const std::string type = message.Headers().GetFieldValue("Content-Type");
        charset = mime::TrimQuotes(mime::GetHeaderParam("charset", type));
    }
    if (charset.empty() && message.CharSet() == mime::TCharSet::csISO2022jp)
        charset = "ISO-2022-JP";
    return charset;
}

std::vector<std::string> readableLines(const std::vector<std::string>& lines,
                                       const mime::TmsMessage& message) {
    const std::string charset = messageCharset(message);
    const std::string rawSubject = store::readPrivateValue(message.Headers(), "Subject");
    std::vector<std::string> out;
    out.reserve(lines.size());
    // The header block ends at its first empty or blank line; the body follows.
    bool inHeader = !lines.empty() && (lines.front().rfind("From: ", 0) == 0);
    for (const auto& line : lines) {
        if (inHeader) {
            if (line.empty() || line == " ") inHeader = false;
            if (line.rfind("Subject: ", 0) == 0 && !rawSubject.empty()) {
                out.push_back("Subject: " + readableHeaderValue(rawSubject));
            } else {
                out.push_back(readableBytes(line));
            }
            continue;
        }
        out.push_back(toUtf8(line, charset));
    }
    return out;
}

mime::TmsMailAddress readableSenderOf(const mime::TmsMessage& message) {
    if (store::readPrivateValue(message.Headers(), "From").empty()) return message.Sender();
    return store::readableSender(message.Headers());
}

mime::TmsAddressList readableListOf(const mime::TmsMessage& message, std::string_view field) {
    if (message.Headers().GetRawFieldList(field).empty()) {
        if (equalsNoCase(field, "CC:")) return message.CC();
        if (equalsNoCase(field, "BCC:")) return message.BCC();
        return message.Recipients();
    }
    return store::readableAddressList(message.Headers(), field);
}

}  // namespace velmora::reading
