#include "store/server_deletions.h"

#include <algorithm>
#include <utility>

#include "base/text_file.h"
#include "store/server_copy.h"

namespace velmora::store {

namespace {

constexpr std::string_view kVersionLine = "46\r\n";

}  // namespace

ServerDeletions::ServerDeletions(std::filesystem::path file) : file_(std::move(file)) {
    read();
}

void ServerDeletions::read() {
    uidls_.clear();
    const auto bytes = readWholeFile(file_);
    if (!bytes) return;
    for (const std::string_view line : appendedRecords(*bytes)) {
        if (isValidUidl(line) && std::find(uidls_.begin(), uidls_.end(), line) == uidls_.end())
            uidls_.emplace_back(line);
    }
}

std::error_code ServerDeletions::add(const std::string& uidl) {
    if (!isValidUidl(uidl)) return std::make_error_code(std::errc::invalid_argument);
    if (std::find(uidls_.begin(), uidls_.end(), uidl) != uidls_.end()) return {};
    if (auto error = appendFileDurably(file_, kVersionLine, uidl + "\r\n")) return error;
    uidls_.push_back(uidl);
    return {};
}

std::error_code ServerDeletions::remove(const std::set<std::string>& done) {
    read();
    std::erase_if(uidls_, [&](const std::string& uidl) { return done.count(uidl) != 0; });
    if (uidls_.empty()) {
        std::error_code error;
        std::filesystem::remove(file_, error);
        return error;
    }
    std::string bytes(kVersionLine);
    for (const std::string& uidl : uidls_) bytes += uidl + "\r\n";
    return writeFileAtomically(file_, bytes);
}

}  // namespace velmora::store
