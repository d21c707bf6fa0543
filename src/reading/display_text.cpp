#include "reading/display_text.h"

#include <charconv>
#include <system_error>

#include "base/file_access.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "reading/readable_text.h"
#include "store/message_file.h"

namespace velmora::reading {

namespace {

bool missing(std::string_view text) {
    const std::string_view t = trimmed(text);
    return t.empty() || t == "<>";
}

std::string joined(const std::vector<std::string>& parts) {
    std::string text;
    for (const auto& part : parts) {
        if (!text.empty()) text += ", ";
        text += part;
    }
    return text;
}

// How each attachment content type is announced.
struct Handler {
    const char* label;
    bool checksFile;
    bool emptyLineFirst;
    const char* readFailure;  // the warning when the file cannot be read, or nullptr: not read
};

Handler handlerFor(std::string_view type) {
    if (type == "text/plain" || type == "text/richtext" || type == "text/enriched")
        return {"mime_text_plain", true, true, "File I/O Error 3264\r"};
    if (type == "text/html") return {"mime_text_html", true, false, nullptr};
    if (type == "text/rfc822" || type == "message/rfc822")
        return {"mime_text_rfc822", false, false, nullptr};
    if (type == "image/jpeg") return {"mime_image_jpeg", false, false, nullptr};
    if (type == "image/gif") return {"mime_image_gif", false, false, nullptr};
    if (type == "image/tiff") return {"mime_image_tiff", false, false, nullptr};
    if (type == "audio/basic") return {"mime_audio_basic", false, false, nullptr};
    if (type == "video/mpeg") return {"mime_video_mpeg", false, false, nullptr};
    if (type == "application/octet-stream")
        return {"mime_application_octet_stream", true, false, "File I/O Error 3376\r"};
    if (type == "application/postscript")
        return {"mime_application_postscript", false, false, nullptr};
    if (type == "multipart/mixed") return {"mime_multipart_mixed", false, false, nullptr};
    if (type == "multipart/alternative")
        return {"mime_multipart_alternative", false, false, nullptr};
    if (type == "multipart/digest") return {"mime_multipart_digest", false, false, nullptr};
    if (type == "multipart/report") return {"mime_multipart_report", false, false, nullptr};
    if (type == "application/msword") return {"mime_application_msword", false, false, nullptr};
    if (type == "application/x-zip-compressed")
        return {"mime_application_xzipcompressed", false, false, nullptr};
    return {"mime_unknownContentType", false, false, nullptr};
}

// The handlers that read the file only make sure it can be read; its content is not shown, so
// it is read in blocks rather than held whole. Only a regular file is opened.
std::optional<std::string> readFailureOf(const std::filesystem::path& file) {
    std::error_code error;
    RegularFile in = openRegularFile(file, error);
    std::vector<char> block(64 * 1024);
    for (std::uint64_t offset = 0; in.isOpen() && !error;) {
        const std::size_t got = in.readAt(offset, block.data(), block.size(), error);
        if (got == 0) break;
        offset += got;
    }
    if (error) return errorText(error);
    return std::nullopt;
}

// An attachment path is looked at only when it names a regular file inside the message's
// folder (`folder`, or a mail folder taken from the path when the caller has none): a path
// from a damaged index or a hostile private block may name /dev/zero or a FIFO.
bool fileExists(const std::string& path, const std::filesystem::path* folder) {
    return folder ? store::isFolderAttachmentFile(*folder, path)
                  : store::isFolderAttachmentFile(path);
}

enum class Pane { Preview, ReadWindow };

std::vector<std::string> displayLines(mime::TmsMessage& message, const store::TObjListViewVLF& item,
                                      HeaderMode mode, platform::Dialogs& dialogs, Pane pane,
                                      const std::filesystem::path* folder = nullptr) {
    std::vector<std::string> lines;
    if (mode != HeaderMode::BodyOnly) {
        const mime::TmsHeaders& headers = message.Headers();
        // The loaded message keeps the quoted form of its sender's name, as the rule says; the
        // lines show the names as written, in their own character sets, so any script reads.
        fromText(message.Sender());
        mime::TmsMailAddress sender = readableSenderOf(message);
        lines.push_back("From: " + fromText(sender));
        lines.push_back("To: " + recipientListText(readableListOf(message, "TO:")));
        const std::string cc = recipientListText(readableListOf(message, "CC:"));
        if (!cc.empty()) lines.push_back("CC: " + cc);
        if (pane == Pane::Preview && !item.bccList.empty())
            lines.push_back("BCC: " + bccStringsText(item.bccList));
        lines.push_back("Date: " + headers.GetFieldValue("Date"));
        lines.push_back("Subject: " + message.Subject());
        if (mode == HeaderMode::Normal) {
            lines.push_back(" ");
        } else {
            mime::TmsHeaders rest = headers;
            for (const char* name : {"To:", "From:", "CC:", "Date:", "Subject:"})
                rest.RemoveField(name);
            if (pane == Pane::Preview) rest.RemoveField("BCC:");
            for (const auto& line : rest.Lines()) lines.push_back(line);
            lines.emplace_back();
            if (pane == Pane::Preview) lines.emplace_back();
        }
    }
    for (const auto& line : message.Body()) lines.push_back(line);
    for (auto& line : attachmentLines(message, item, dialogs, folder))
        lines.push_back(std::move(line));
    return lines;
}

}  // namespace

HeaderMode headerModeOf(int value) {
    if (value == 0) return HeaderMode::BodyOnly;
    if (value == 2) return HeaderMode::Full;
    return HeaderMode::Normal;
}

std::string nameAddressText(std::string_view name, std::string_view address) {
    if (name.empty()) return std::string(address);
    if (name.find(',') != std::string_view::npos)
        return "\"" + std::string(name) + "\" <" + std::string(address) + ">";
    return std::string(name) + " <" + std::string(address) + ">";
}

std::string fromText(mime::TmsMailAddress& sender) {
    std::string name = sender.Name();
    const std::string& address = sender.Address();
    if (!name.empty()) {
        if (name.find(',') != std::string::npos && name.find('"') == std::string::npos) {
            name = "\"" + name + "\"";
            sender.SetName(name);
        }
        if (address.empty()) return name + " " + store::kUnknownAddress;
        return name + " <" + address + ">";
    }
    if (address.empty()) return store::kNoNameUnknownAddress;
    return address;
}

std::string recipientListText(const mime::TmsAddressList& list) {
    std::vector<std::string> parts;
    for (const auto& entry : list) {
        const std::string name = missing(entry.Name()) ? "No Name" : entry.Name();
        const std::string address =
            missing(entry.Address()) ? store::kUnknownAddress : "<" + entry.Address() + ">";
        const mime::TmsMailAddress parsed = mime::ParseMailAddress(name + " " + address);
        parts.push_back(nameAddressText(parsed.Name(), parsed.Address()));
    }
    return joined(parts);
}

std::string bccStringsText(const std::vector<std::string>& entries) {
    std::vector<std::string> parts;
    for (const auto& entry : entries) {
        const mime::TmsMailAddress parsed = mime::ParseMailAddress(entry);
        parts.push_back(nameAddressText(parsed.Name(), parsed.Address()));
    }
    return joined(parts);
}

int wordWrapWidth(std::string_view setting) {
    const std::string_view text = trimmed(setting);
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return kDefaultWordWrap;
    return value;
}

WrapScan scanWrapPiece(std::string_view line, const mime::CharacterSteps& steps, std::size_t start,
                       std::size_t width) {
    WrapScan scan{start, 0};
    for (std::size_t count = 0; count < width && scan.end < line.size(); ++count) {
        const char c = line[scan.end];
        scan.end = steps.next(scan.end);
        if (c == ' ' || c == '-') scan.breakAfter = scan.end;
    }
    return scan;
}

std::vector<std::string> wrapLines(const std::vector<std::string>& lines, int width) {
    if (width < 1) return lines;
    const auto w = static_cast<std::size_t>(width);
    std::vector<std::string> wrapped;
    wrapped.reserve(lines.size());
    for (const auto& line : lines) {
        const mime::CharacterSteps steps(line);
        std::size_t start = 0;
        for (;;) {
            const WrapScan scan = scanWrapPiece(line, steps, start, w);
            if (scan.end >= line.size()) break;  // w characters or fewer are left
            const std::size_t split = scan.breakAfter > start ? scan.breakAfter : scan.end;
            wrapped.push_back(line.substr(start, split - start));
            start = split;
        }
        wrapped.push_back(line.substr(start));
    }
    return wrapped;
}

std::vector<std::string> attachmentLines(const mime::TmsMessage& message,
                                         const store::TObjListViewVLF& item,
                                         platform::Dialogs& dialogs,
                                         const std::filesystem::path* folder) {
    std::vector<std::string> lines;
    if (item.attachList.empty()) return lines;
    const mime::TmsAttList& attachments = message.Attachments();
    for (int k = 0; k < attachments.Count(); ++k) {
        const std::string& type = attachments.Items(k).ContentType();
        const Handler handler = handlerFor(type);
        if (static_cast<std::size_t>(k) >= item.attachList.size()) {
            lines.push_back(std::string("Attachment ") + handler.label + " Error");
            lines.emplace_back("Attachment Cannot Be Retrieved From msMessage Structure");
            lines.push_back("Attachment Content-Type: " + type);
            continue;
        }
        const std::string& path = item.attachList[static_cast<std::size_t>(k)];
        if (handler.emptyLineFirst) lines.emplace_back();
        if (handler.checksFile && !fileExists(path, folder)) {
            lines.push_back("Attachment Not Found: " + path);
            continue;
        }
        if (handler.readFailure) {
            if (auto failure = readFailureOf(path)) {
                dialogs.warning(kProductName, handler.readFailure + *failure);
                continue;
            }
        }
        lines.push_back("Attachment: " + path);
    }
    return lines;
}

std::vector<std::string> previewLines(mime::TmsMessage& message, const store::TObjListViewVLF& item,
                                      HeaderMode mode, platform::Dialogs& dialogs) {
    return displayLines(message, item, mode, dialogs, Pane::Preview);
}

std::vector<std::string> readWindowLines(mime::TmsMessage& message,
                                         const store::TObjListViewVLF& item, HeaderMode mode,
                                         platform::Dialogs& dialogs) {
    return displayLines(message, item, mode, dialogs, Pane::ReadWindow);
}

std::optional<std::string> previewTextOf(const std::filesystem::path& directory,
                                         const store::TObjListViewVLF& item, HeaderMode mode,
                                         int wrapWidth, platform::Dialogs& dialogs,
                                         std::string* failure) {
    const auto file = store::messageFilePath(directory, item.fileName);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec)) {
        if (failure)
            *failure = errorText(std::make_error_code(std::errc::no_such_file_or_directory));
        return std::nullopt;
    }
    mime::TmsMessage message;
    if (auto error = store::loadMessageFile(file, message)) {
        if (failure) *failure = *error;
        return std::nullopt;
    }
    store::stripPrivateHeaders(message, item);
    const auto lines = readableLines(
        displayLines(message, item, mode, dialogs, Pane::Preview, &directory), message);
    return joinLines(wrapLines(lines, wrapWidth), false);
}

}  // namespace velmora::reading
