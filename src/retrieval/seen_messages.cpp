#include "retrieval/seen_messages.h"

#include <fcntl.h>
#include <unistd.h>

#include <charconv>
#include <unordered_set>
#include <utility>

#include "base/text_file.h"

namespace velmora::retrieval {

namespace {

constexpr std::string_view kVersionLine = "46\r\n";

std::string recordLine(const std::string& uidl, std::int64_t day) {
    return uidl + '\t' + std::to_string(day) + "\r\n";
}

std::error_code lastError() {
    return {errno, std::generic_category()};
}

// Appends `bytes` and flushes them to disk; the file is created with its version line first.
std::error_code appendDurably(const std::filesystem::path& file, const std::string& bytes) {
    std::error_code error;
    if (!std::filesystem::exists(file, error)) {
        if (auto created = writeFileAtomically(file, kVersionLine)) return created;
    }
    const int fd = ::open(file.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return lastError();
    std::string_view rest = bytes;
    while (!rest.empty()) {
        const ssize_t written = ::write(fd, rest.data(), rest.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            error = lastError();
            break;
        }
        rest.remove_prefix(static_cast<std::size_t>(written));
    }
    if (!error && ::fdatasync(fd) != 0) error = lastError();
    if (::close(fd) != 0 && !error) error = lastError();
    return error;
}

}  // namespace

bool isValidUidl(std::string_view uidl) {
    if (uidl.empty() || uidl.size() > kMaxUidlLength) return false;
    for (char c : uidl)
        if (c < 0x21 || c > 0x7E) return false;
    return true;
}

std::int64_t dayOf(std::int64_t unixSeconds) {
    constexpr std::int64_t kDay = 86400;
    return unixSeconds >= 0 ? unixSeconds / kDay : -((-unixSeconds + kDay - 1) / kDay);
}

SeenMessages::SeenMessages(std::filesystem::path file) : file_(std::move(file)) {
    const auto bytes = readWholeFile(file_);
    if (!bytes) return;
    std::string_view rest = *bytes;
    bool first = true;
    // Only whole lines count: the last one may have been cut short by a crash mid-append.
    for (auto end = rest.find("\r\n"); end != std::string_view::npos; end = rest.find("\r\n")) {
        const std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end + 2);
        if (std::exchange(first, false)) continue;  // the version line
        const auto tab = line.find('\t');
        if (tab == std::string_view::npos) continue;
        const std::string_view uidl = line.substr(0, tab);
        const std::string_view dayText = line.substr(tab + 1);
        std::int64_t day = 0;
        const auto [end_, problem] =
            std::from_chars(dayText.data(), dayText.data() + dayText.size(), day);
        if (problem != std::errc() || end_ != dayText.data() + dayText.size()) continue;
        if (isValidUidl(uidl)) days_.emplace(std::string(uidl), day);
    }
}

std::int64_t SeenMessages::firstStored(const std::string& uidl) const {
    const auto it = days_.find(uidl);
    return it == days_.end() ? -1 : it->second;
}

std::error_code SeenMessages::record(const std::string& uidl, std::int64_t day) {
    return recordAll({uidl}, day);
}

std::error_code SeenMessages::recordAll(const std::vector<std::string>& uidls, std::int64_t day) {
    std::string lines;
    std::unordered_set<std::string_view> added;
    for (const std::string& uidl : uidls) {
        if (!isValidUidl(uidl)) return std::make_error_code(std::errc::invalid_argument);
        if (!contains(uidl) && added.insert(uidl).second) lines += recordLine(uidl, day);
    }
    if (lines.empty()) return {};
    if (auto error = appendDurably(file_, lines)) return error;
    for (const std::string_view uidl : added) days_.emplace(std::string(uidl), day);
    return {};
}

std::vector<std::string> SeenMessages::dueForDeletion(const std::vector<std::string>& onServer,
                                                      std::int64_t today, int afterDays) const {
    std::vector<std::string> due;
    if (afterDays <= 0) return due;
    for (const std::string& uidl : onServer) {
        const std::int64_t stored = firstStored(uidl);
        if (stored >= 0 && today - stored >= afterDays) due.push_back(uidl);
    }
    return due;
}

std::error_code SeenMessages::keepOnly(const std::vector<std::string>& onServer) {
    const std::unordered_set<std::string> held(onServer.begin(), onServer.end());
    std::erase_if(days_, [&](const auto& entry) { return held.count(entry.first) == 0; });
    std::string bytes(kVersionLine);
    // In server order, so the file reads like the mailbox.
    std::unordered_set<std::string> written;
    for (const std::string& uidl : onServer)
        if (const auto it = days_.find(uidl); it != days_.end() && written.insert(uidl).second)
            bytes += recordLine(uidl, it->second);
    return writeFileAtomically(file_, bytes);
}

}  // namespace velmora::retrieval
