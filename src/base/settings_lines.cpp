#include "base/settings_lines.h"

#include <charconv>

#include "base/identity.h"
#include "base/text_file.h"

namespace velmora {

SettingsWriter& SettingsWriter::text(std::string value) {
    // A value never spans lines: line ends inside it would shift every later value.
    for (char& c : value)
        if (c == '\r' || c == '\n') c = ' ';
    lines_.push_back(std::move(value));
    return *this;
}

SettingsWriter& SettingsWriter::boolean(bool value) {
    return text(value ? "TRUE" : "FALSE");
}

SettingsWriter& SettingsWriter::integer(std::int64_t value) {
    return text(std::to_string(value));
}

std::string SettingsWriter::bytes() const {
    std::vector<std::string> all;
    all.reserve(lines_.size() + 1);
    all.emplace_back(kVersionCode);
    all.insert(all.end(), lines_.begin(), lines_.end());
    return joinLines(all, false);
}

std::error_code SettingsWriter::save(const std::filesystem::path& file) const {
    return writeFileAtomically(file, bytes());
}

SettingsReader::SettingsReader(const std::filesystem::path& file) {
    auto bytes = readWholeFile(file);
    exists_ = bytes.has_value();
    if (bytes) lines_ = splitLines(*bytes);
}

SettingsReader::SettingsReader(std::vector<std::string> lines) : lines_(std::move(lines)) {}

std::string SettingsReader::text(const std::string& fallback) {
    if (atEnd()) return fallback;
    return lines_[next_++];
}

bool SettingsReader::boolean(bool fallback) {
    if (atEnd()) return fallback;
    return lines_[next_++] == "TRUE";
}

std::int64_t SettingsReader::integer(std::int64_t fallback) {
    if (atEnd()) return fallback;
    const std::string& line = lines_[next_++];
    std::size_t begin = line.find_first_not_of(' ');
    std::size_t end = line.find_last_not_of(' ');
    std::int64_t value = 0;
    if (begin == std::string::npos) {
        ++damaged_;
        return fallback;
    }
    const char* first = line.data() + begin;
    const char* last = line.data() + end + 1;
    if (*first == '+') ++first;
    auto [ptr, ec] = std::from_chars(first, last, value);
    if (ec != std::errc{} || ptr != last) {
        ++damaged_;
        return fallback;
    }
    return value;
}

int SettingsReader::choice(int count, int fallback) {
    const std::int64_t value = integer(fallback);
    return value >= 0 && value < count ? static_cast<int>(value) : fallback;
}

}  // namespace velmora
