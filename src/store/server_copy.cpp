#include "store/server_copy.h"

#include "base/file_access.h"
#include "base/line_reader.h"
#include "base/text.h"

namespace velmora::store {

namespace {

constexpr std::string_view kBlockEndHeader = "X-VL-VLversion";
constexpr std::size_t kHeaderReadLimit = 1 << 20;

bool isLineOf(std::string_view line, std::string_view name) {
    return line.size() > name.size() && line[name.size()] == ':' &&
           equalsNoCase(line.substr(0, name.size()), name);
}

std::optional<ServerCopy> parseValue(std::string_view value) {
    value = trimmed(value);
    const auto blank = value.find(' ');
    if (blank == std::string_view::npos) return std::nullopt;
    ServerCopy copy{std::string(value.substr(0, blank)),
                    std::string(trimmed(value.substr(blank + 1)))};
    if (!isValidUidl(copy.uidl) || copy.profile.empty()) return std::nullopt;
    return copy;
}

}  // namespace

bool isValidUidl(std::string_view uidl) {
    if (uidl.empty() || uidl.size() > kMaxUidlLength) return false;
    for (char c : uidl)
        if (c < 0x21 || c > 0x7E) return false;
    return true;
}

std::string serverCopyLine(const ServerCopy& copy) {
    return std::string(kServerCopyHeader) + ": " + copy.uidl + " " + copy.profile;
}

std::optional<ServerCopy> serverCopyOf(const mime::TmsHeaders& headers) {
    for (const std::string& line : headers.Lines())
        if (isLineOf(line, kServerCopyHeader))
            return parseValue(
                std::string_view(line).substr(std::string_view(kServerCopyHeader).size() + 1));
    return std::nullopt;
}

void setServerCopy(mime::TmsHeaders& headers, const std::optional<ServerCopy>& copy) {
    std::vector<std::string>& lines = headers.Lines();
    std::erase_if(lines, [](const std::string& line) { return isLineOf(line, kServerCopyHeader); });
    if (!copy || !isValidUidl(copy->uidl) || copy->profile.empty()) return;
    auto at = lines.end();
    for (auto it = lines.begin(); it != lines.end(); ++it)
        if (isLineOf(*it, kBlockEndHeader)) at = it;
    lines.insert(at, serverCopyLine(*copy));
}

std::optional<ServerCopy> readServerCopy(const std::filesystem::path& messageFile) {
    std::error_code error;
    RegularFile file = openRegularFile(messageFile, error);
    if (!file.isOpen()) return std::nullopt;
    std::string header;
    char buffer[16384];
    // The header ends at the first empty line; only that much is read.
    while (header.size() < kHeaderReadLimit) {
        const std::size_t got = file.readAt(header.size(), buffer, sizeof buffer, error);
        if (got == 0) break;
        const std::size_t from = header.size() >= 3 ? header.size() - 3 : 0;
        header.append(buffer, got);
        if (const auto end = header.find("\r\n\r\n", from); end != std::string::npos) {
            header.resize(end + 2);
            break;
        }
    }
    LineReader reader(header);
    for (std::string_view line; reader.next(line);)
        if (isLineOf(line, kServerCopyHeader))
            return parseValue(line.substr(std::string_view(kServerCopyHeader).size() + 1));
    return std::nullopt;
}

}  // namespace velmora::store
