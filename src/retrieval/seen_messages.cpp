#include "retrieval/seen_messages.h"

#include <charconv>
#include <chrono>
#include <unordered_set>
#include <utility>

#include "base/text_file.h"

namespace velmora::retrieval {

namespace {

constexpr std::string_view kVersionLine = "46\r\n";

std::string recordLine(const std::string& uidl, std::int64_t day) {
    return uidl + '\t' + std::to_string(day) + "\r\n";
}

}  // namespace

std::int64_t dayOf(std::int64_t unixSeconds) {
    constexpr std::int64_t kDay = 86400;
    return unixSeconds >= 0 ? unixSeconds / kDay : -((-unixSeconds + kDay - 1) / kDay);
}

std::int64_t dayOf(const platform::LocalTime& time) {
    return std::chrono::sys_days(
               std::chrono::year_month_day(std::chrono::year(time.year),
                                           std::chrono::month(static_cast<unsigned>(time.month)),
                                           std::chrono::day(static_cast<unsigned>(time.day))))
        .time_since_epoch()
        .count();
}

SeenMessages::SeenMessages(std::filesystem::path file) : file_(std::move(file)) {
    const auto bytes = readWholeFile(file_);
    if (!bytes) return;
    for (const std::string_view line : appendedRecords(*bytes)) {
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
    if (auto error = appendFileDurably(file_, kVersionLine, lines)) return error;
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
