// velmora-cli encode JSON OUT: builds a message from a JSON object (the shape decode prints; "-"
// reads it from standard input) and writes it to OUT with the encoder.
//
//   {"from": {"name": "...", "address": "..."}, "to": [...], "cc": [...], "bcc": [...],
//    "subject": "...", "date": "...", "headers": ["X-Any: line", ...],
//    "body": "lines joined with CR LF" (or a list of lines), "contentType": "text/html",
//    "encoding": "mime" | "uu", "charset": "us-ascii" | "iso-8859-1" | "iso-2022-jp",
//    "priority": "low" | "normal" | "high", "returnReceipt": true,
//    "attachments": [{"path": "file on disk", "fileName": "...", "contentType": "...",
//                     "transferEncoding": 0 | 1 | 2}]}
//
// Every member is optional; an attachment needs its path. fileName, contentType and
// transferEncoding replace what the file's name gives.
#include <iostream>
#include <iterator>
#include <sstream>
#include <system_error>

#include "base/text_file.h"
#include "cli/command.h"
#include "cli/json.h"
#include "mime/message.h"

namespace velmora::cli {

namespace {

class InputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

std::string stringMember(const JsonValue& object, const std::string& name, const std::string& fallback = {}) {
    const JsonValue* value = object.find(name);
    if (!value || value->kind == JsonValue::Kind::Null) return fallback;
    if (!value->isString()) throw InputError("\"" + name + "\" must be a string");
    return value->text;
}

void readAddress(const JsonValue& value, mime::TmsMailAddress& address) {
    if (value.isString()) {
        mime::ParseMailAddress(value.text, address);
        return;
    }
    if (!value.isObject()) throw InputError("an address must be an object or a string");
    address.SetName(stringMember(value, "name"));
    address.SetAddress(stringMember(value, "address"));
}

void readAddressList(const JsonValue& object, const std::string& name, mime::TmsAddressList& list) {
    const JsonValue* value = object.find(name);
    if (!value) return;
    if (!value->isArray()) throw InputError("\"" + name + "\" must be a list");
    for (const JsonValue& entry : value->items) {
        mime::TmsMailAddress address;
        readAddress(entry, address);
        list.Add(address);
    }
}

void readMessage(const JsonValue& json, mime::TmsMessage& message) {
    if (!json.isObject()) throw InputError("the message must be a JSON object");
    if (const JsonValue* from = json.find("from")) readAddress(*from, message.Sender());
    readAddressList(json, "to", message.Recipients());
    readAddressList(json, "cc", message.CC());
    readAddressList(json, "bcc", message.BCC());
    message.SetSubject(stringMember(json, "subject"));

    if (const JsonValue* headers = json.find("headers")) {
        if (!headers->isArray()) throw InputError("\"headers\" must be a list");
        for (const JsonValue& line : headers->items) {
            if (!line.isString()) throw InputError("a header line must be a string");
            message.Headers().Add(line.text);
        }
    }
    const std::string date = stringMember(json, "date");
    if (!date.empty() && message.Headers().GetFieldValue("Date").empty()) message.Headers().Add("Date: " + date);

    if (const JsonValue* body = json.find("body")) {
        if (body->isString()) {
            message.SetBody(splitLines(body->text));
        } else if (body->isArray()) {
            for (const JsonValue& line : body->items) {
                if (!line.isString()) throw InputError("a body line must be a string");
                message.Body().push_back(line.text);
            }
        } else {
            throw InputError("\"body\" must be a string or a list of lines");
        }
    }
    const std::string contentType = stringMember(json, "contentType");
    if (!contentType.empty()) message.SetContentType(contentType);

    const std::string encoding = stringMember(json, "encoding", "mime");
    if (encoding == "uu") message.SetEncoding(mime::TMsgEncoding::meUU);
    else if (encoding != "mime") throw InputError("\"encoding\" must be \"mime\" or \"uu\"");

    const std::string charset = stringMember(json, "charset", "us-ascii");
    if (charset == "iso-8859-1") message.SetCharSet(mime::TCharSet::csISO8859);
    else if (charset == "iso-2022-jp") message.SetCharSet(mime::TCharSet::csISO2022jp);
    else if (charset != "us-ascii") throw InputError("unknown \"charset\" " + charset);

    const std::string priority = stringMember(json, "priority", "normal");
    if (priority == "low") message.SetPriority(mime::TPriority::ptLow);
    else if (priority == "high") message.SetPriority(mime::TPriority::ptHigh);
    else if (priority != "normal") throw InputError("\"priority\" must be low, normal or high");

    if (const JsonValue* receipt = json.find("returnReceipt")) {
        if (receipt->kind != JsonValue::Kind::Boolean) throw InputError("\"returnReceipt\" must be true or false");
        message.SetReturnReceipt(receipt->boolean);
    }

    if (const JsonValue* attachments = json.find("attachments")) {
        if (!attachments->isArray()) throw InputError("\"attachments\" must be a list");
        for (const JsonValue& entry : attachments->items) {
            if (!entry.isObject()) throw InputError("an attachment must be an object");
            const std::string path = stringMember(entry, "path");
            if (path.empty()) throw InputError("an attachment needs its \"path\"");
            mime::TmsAttItem& item = message.Attachments().Items(message.Attachments().AddFile(path));
            const std::string& name = stringMember(entry, "fileName");
            if (!name.empty()) item.StoreFileName(name);
            const std::string& type = stringMember(entry, "contentType");
            if (!type.empty()) item.SetContentType(type);
            if (const JsonValue* transfer = entry.find("transferEncoding")) {
                if (transfer->kind != JsonValue::Kind::Number || transfer->number < 0 || transfer->number > 2) {
                    throw InputError("\"transferEncoding\" must be 0, 1 or 2");
                }
                item.SetTransferEncoding(static_cast<std::uint8_t>(transfer->number));
            }
        }
    }
}

}  // namespace

int runEncodeCommand(Context& context, const std::vector<std::string>& args) {
    if (args.size() != 2) return usageError(context, "encode JSON OUT (JSON \"-\" reads standard input)");
    std::string text;
    if (args[0] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        const auto read = readWholeFile(args[0]);
        if (!read) {
            context.err << "velmora-cli: Load From File Error 6498: cannot read " << args[0] << "\n";
            return 1;
        }
        text = *read;
    }
    mime::TmsMessage message;
    try {
        readMessage(parseJson(text), message);
    } catch (const JsonError& error) {
        context.err << "velmora-cli: " << error.what() << "\n";
        return 2;
    } catch (const InputError& error) {
        context.err << "velmora-cli: " << error.what() << "\n";
        return 2;
    } catch (const std::system_error& error) {
        context.err << "velmora-cli: Load From File Error 6498: " << error.what() << "\n";
        return 1;
    }
    try {
        message.SaveToFile(args[1]);
    } catch (const std::exception& error) {
        context.err << "velmora-cli: File I/O Error 9563: " << error.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace velmora::cli
