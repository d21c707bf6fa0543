// velmora-cli decode FILE [--save-attachments DIR]: loads a message file with the decoder and
// prints it as one JSON object on one line (see json.h for how bytes become JSON text):
//
//   {"from": {"name", "address"}, "to", "cc", "bcc": [addresses], "subject", "date",
//    "contentType", "encoding": "mime" | "uu", "charset", "priority", "returnReceipt",
//    "headers": [lines], "body": "lines joined with CR LF",
//    "attachments": [{"fileName", "contentType", "transferEncoding", "size", "sha256",
//                     "savedAs" (with --save-attachments)}]}
#include <ostream>
#include <system_error>

#include "cli/attachment_saving.h"
#include "cli/command.h"
#include "cli/json.h"
#include "cli/sha256.h"
#include "mime/message.h"

namespace velmora::cli {

namespace {

Json addressJson(const mime::TmsMailAddress& address) {
    Json json = Json::object();
    json["name"] = jsonText(address.Name());
    json["address"] = jsonText(address.Address());
    return json;
}

Json addressListJson(const mime::TmsAddressList& list) {
    Json json = Json::array();
    for (int i = 0; i < list.Count(); ++i) json.push_back(addressJson(list[i]));
    return json;
}

const char* charsetName(mime::TCharSet charSet) {
    switch (charSet) {
        case mime::TCharSet::csISO8859:
            return "iso-8859-1";
        case mime::TCharSet::csISO2022jp:
            return "iso-2022-jp";
        case mime::TCharSet::csUTF8:
            return "utf-8";
        default:
            return "us-ascii";
    }
}

const char* priorityName(mime::TPriority priority) {
    switch (priority) {
        case mime::TPriority::ptLow:
            return "low";
        case mime::TPriority::ptHigh:
            return "high";
        default:
            return "normal";
    }
}

std::string joinBody(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines) size += line.size() + 2;
    std::string body;
    body.reserve(size);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) body += "\r\n";
        body += lines[i];
    }
    return body;
}

std::string sha256Of(mime::TTempFileStream& data) {
    Sha256 sha;
    data.ForEachBlock([&sha](std::string_view block) { sha.update(block); });
    return sha.hexDigest();
}

Json messageJson(mime::TmsMessage& message, const std::vector<std::filesystem::path>& saved) {
    Json json = Json::object();
    json["from"] = addressJson(message.Sender());
    json["to"] = addressListJson(message.Recipients());
    json["cc"] = addressListJson(message.CC());
    json["bcc"] = addressListJson(message.BCC());
    json["subject"] = jsonText(message.Subject());
    json["date"] = jsonText(message.Headers().GetFieldValue("Date"));
    json["contentType"] = jsonText(message.ContentType());
    json["encoding"] = message.Encoding() == mime::TMsgEncoding::meUU ? "uu" : "mime";
    json["charset"] = charsetName(message.CharSet());
    json["priority"] = priorityName(message.Priority());
    json["returnReceipt"] = message.ReturnReceipt();
    Json headers = Json::array();
    for (int i = 0; i < message.Headers().Count(); ++i)
        headers.push_back(jsonText(message.Headers()[i]));
    json["headers"] = std::move(headers);
    json["body"] = jsonText(joinBody(message.Body()));
    Json attachments = Json::array();
    for (int i = 0; i < message.Attachments().Count(); ++i) {
        mime::TmsAttItem& item = message.Attachments().Items(i);
        Json attachment = Json::object();
        attachment["fileName"] = jsonText(item.FileName());
        attachment["contentType"] = jsonText(item.ContentType());
        attachment["transferEncoding"] = item.TransferEncoding();
        attachment["size"] = item.Data().Size();
        attachment["sha256"] = sha256Of(item.Data());
        if (static_cast<std::size_t>(i) < saved.size()) {
            attachment["savedAs"] = jsonText(saved[static_cast<std::size_t>(i)].string());
        }
        attachments.push_back(std::move(attachment));
    }
    json["attachments"] = std::move(attachments);
    return json;
}

}  // namespace

int runDecodeCommand(Context& context, const std::vector<std::string>& args) {
    std::filesystem::path file;
    std::filesystem::path saveFolder;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--save-attachments") {
            if (++i >= args.size()) return usageError(context, "--save-attachments needs a folder");
            saveFolder = args[i];
        } else if (file.empty()) {
            file = args[i];
        } else {
            return usageError(context, "decode takes one message file");
        }
    }
    if (file.empty()) return usageError(context, "decode FILE [--save-attachments DIR]");

    mime::TmsMessage message;
    try {
        message.LoadFromFile(file);
    } catch (const std::system_error& error) {
        context.err << "velmora-cli: Load From File Error 6498: " << error.what() << "\n";
        return 1;
    }

    std::vector<std::filesystem::path> saved;
    if (!saveFolder.empty()) {
        try {
            saved = saveAttachments(message, saveFolder);
        } catch (const std::exception& error) {
            context.err << "velmora-cli: File I/O Error 9563: " << error.what() << "\n";
            return 1;
        }
    }
    context.out << printJson(messageJson(message, saved)) << "\n";
    return 0;
}

}  // namespace velmora::cli
