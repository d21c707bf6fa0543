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

const Json* member(const Json& object, const char* name) {
    const auto found = object.find(name);
    return found == object.end() || found->is_null() ? nullptr : &*found;
}

std::string stringMember(const Json& object, const char* name, const std::string& fallback = {}) {
    const Json* value = member(object, name);
    if (!value) return fallback;
    if (!value->is_string()) throw InputError(std::string("\"") + name + "\" must be a string");
    return bytesOf(*value);
}

const Json* listMember(const Json& object, const char* name) {
    const Json* value = member(object, name);
    if (value && !value->is_array())
        throw InputError(std::string("\"") + name + "\" must be a list");
    return value;
}

void readAddress(const Json& value, mime::TmsMailAddress& address) {
    if (value.is_string()) {
        mime::ParseMailAddress(bytesOf(value), address);
        return;
    }
    if (!value.is_object()) throw InputError("an address must be an object or a string");
    address.SetName(stringMember(value, "name"));
    address.SetAddress(stringMember(value, "address"));
}

void readAddressList(const Json& object, const char* name, mime::TmsAddressList& list) {
    const Json* value = listMember(object, name);
    if (!value) return;
    for (const Json& entry : *value) {
        mime::TmsMailAddress address;
        readAddress(entry, address);
        list.Add(address);
    }
}

std::string lineOf(const Json& value, const char* what) {
    if (!value.is_string()) throw InputError(std::string(what) + " must be a string");
    return bytesOf(value);
}

void readAttachment(const Json& entry, mime::TmsMessage& message) {
    if (!entry.is_object()) throw InputError("an attachment must be an object");
    const std::string path = stringMember(entry, "path");
    if (path.empty()) throw InputError("an attachment needs its \"path\"");
    mime::TmsAttItem& item = message.Attachments().Items(message.Attachments().AddFile(path));
    const std::string name = stringMember(entry, "fileName");
    if (!name.empty()) item.StoreFileName(name);
    const std::string type = stringMember(entry, "contentType");
    if (!type.empty()) item.SetContentType(type);
    if (const Json* transfer = member(entry, "transferEncoding")) {
        const double number = transfer->is_number() ? transfer->get<double>() : -1;
        if (number != 0 && number != 1 && number != 2) {
            throw InputError("\"transferEncoding\" must be 0, 1 or 2");
        }
        item.SetTransferEncoding(static_cast<std::uint8_t>(number));
    }
}

void readMessage(const Json& json, mime::TmsMessage& message) {
    if (!json.is_object()) throw InputError("the message must be a JSON object");
    if (const Json* from = member(json, "from")) readAddress(*from, message.Sender());
    readAddressList(json, "to", message.Recipients());
    readAddressList(json, "cc", message.CC());
    readAddressList(json, "bcc", message.BCC());
    message.SetSubject(stringMember(json, "subject"));

    if (const Json* headers = listMember(json, "headers")) {
        for (const Json& line : *headers) message.Headers().Add(lineOf(line, "a header line"));
    }
    const std::string date = stringMember(json, "date");
    if (!date.empty() && message.Headers().GetFieldValue("Date").empty())
        message.Headers().Add("Date: " + date);

    if (const Json* body = member(json, "body")) {
        if (body->is_string()) {
            message.SetBody(splitLines(bytesOf(*body)));
        } else if (body->is_array()) {
            for (const Json& line : *body) message.Body().push_back(lineOf(line, "a body line"));
        } else {
            throw InputError("\"body\" must be a string or a list of lines");
        }
    }
    const std::string contentType = stringMember(json, "contentType");
    if (!contentType.empty()) message.SetContentType(contentType);

    const std::string encoding = stringMember(json, "encoding", "mime");
    if (encoding == "uu")
        message.SetEncoding(mime::TMsgEncoding::meUU);
    else if (encoding != "mime")
        throw InputError("\"encoding\" must be \"mime\" or \"uu\"");

    const std::string charset = stringMember(json, "charset", "us-ascii");
    if (charset == "iso-8859-1")
        message.SetCharSet(mime::TCharSet::csISO8859);
    else if (charset == "iso-2022-jp")
        message.SetCharSet(mime::TCharSet::csISO2022jp);
    else if (charset != "us-ascii")
        throw InputError("unknown \"charset\" " + charset);

    const std::string priority = stringMember(json, "priority", "normal");
    if (priority == "low")
        message.SetPriority(mime::TPriority::ptLow);
    else if (priority == "high")
        message.SetPriority(mime::TPriority::ptHigh);
    else if (priority != "normal")
        throw InputError("\"priority\" must be low, normal or high");

    if (const Json* receipt = member(json, "returnReceipt")) {
        if (!receipt->is_boolean()) throw InputError("\"returnReceipt\" must be true or false");
        message.SetReturnReceipt(receipt->get<bool>());
    }

    if (const Json* attachments = listMember(json, "attachments")) {
        for (const Json& entry : *attachments) readAttachment(entry, message);
    }
}

}  // namespace

int runEncodeCommand(Context& context, const std::vector<std::string>& args) {
    if (args.size() != 2)
        return usageError(context, "encode JSON OUT (JSON \"-\" reads standard input)");
    std::string text;
    if (args[0] == "-") {
        text.assign(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
    } else {
        const auto read = readWholeFile(args[0]);
        if (!read) {
            context.err << "velmora-cli: Load From File Error 6498: cannot read " << args[0]
                        << "\n";
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
