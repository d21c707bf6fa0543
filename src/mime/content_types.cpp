#include "mime/content_types.h"

#include <array>
#include <fstream>
#include <sstream>
#include <unordered_map>

#include "mime/attachment.h"
#include "mime/headers.h"

namespace velmora::mime {

namespace {

constexpr const char* kSystemTable = "/etc/mime.types";
constexpr const char* kUnknownType = "application/octet-stream";

struct KnownType {
    const char* extension;
    const char* type;
};

// Used when the system has no table, or its table does not know the extension.
constexpr std::array kBuiltInTypes{
    KnownType{"txt", "text/plain"},
    KnownType{"text", "text/plain"},
    KnownType{"htm", "text/html"},
    KnownType{"html", "text/html"},
    KnownType{"rtf", "text/rtf"},
    KnownType{"csv", "text/csv"},
    KnownType{"xml", "application/xml"},
    KnownType{"eml", "message/rfc822"},
    KnownType{"pdf", "application/pdf"},
    KnownType{"doc", "application/msword"},
    KnownType{"xls", "application/vnd.ms-excel"},
    KnownType{"ppt", "application/vnd.ms-powerpoint"},
    KnownType{"docx", "application/vnd.openxmlformats-officedocument.wordprocessingml.document"},
    KnownType{"xlsx", "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"},
    KnownType{"zip", "application/zip"},
    KnownType{"gz", "application/gzip"},
    KnownType{"jpg", "image/jpeg"},
    KnownType{"jpeg", "image/jpeg"},
    KnownType{"gif", "image/gif"},
    KnownType{"png", "image/png"},
    KnownType{"bmp", "image/bmp"},
    KnownType{"tif", "image/tiff"},
    KnownType{"tiff", "image/tiff"},
    KnownType{"wav", "audio/x-wav"},
    KnownType{"mp3", "audio/mpeg"},
    KnownType{"mpg", "video/mpeg"},
    KnownType{"avi", "video/x-msvideo"},
    KnownType{"exe", "application/octet-stream"},
};

using TypeTable = std::unordered_map<std::string, std::string>;

TypeTable readSystemTable() {
    TypeTable table;
    std::ifstream in(kSystemTable);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream words(line);
        std::string type;
        std::string extension;
        if (!(words >> type)) continue;
        while (words >> extension) table.emplace(toLowerAscii(extension), type);
    }
    return table;
}

const TypeTable& systemTable() {
    static const TypeTable table = readSystemTable();
    return table;
}

}  // namespace

std::string ContentTypeForFile(std::string_view fileName) {
    const std::string name = lastPathComponent(fileName);
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos || dot + 1 == name.size()) return kUnknownType;
    const std::string extension = toLowerAscii(std::string_view(name).substr(dot + 1));

    const TypeTable& table = systemTable();
    if (const auto found = table.find(extension); found != table.end() && !found->second.empty()) {
        return found->second;
    }
    for (const KnownType& known : kBuiltInTypes) {
        if (extension == known.extension) return known.type;
    }
    return kUnknownType;
}

}  // namespace velmora::mime
