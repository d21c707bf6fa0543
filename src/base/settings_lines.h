// The line format shared by settings, profile, rule, signature and address-book files: the
// version line "46" first (written on save, skipped on read), one value per line, booleans as
// "TRUE" / "FALSE", integers in decimal, choices as their position from 0, and the last line
// written without a line end.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace velmora {

// Collects values line by line and writes them atomically.
class SettingsWriter {
  public:
    SettingsWriter& text(std::string value);
    SettingsWriter& boolean(bool value);
    SettingsWriter& integer(std::int64_t value);

    // The file's bytes: version line, then one line per value, the last without a line end.
    std::string bytes() const;
    [[nodiscard]] std::error_code save(const std::filesystem::path& file) const;

  private:
    std::vector<std::string> lines_;
};

// Reads the values back in the order they were written. A value past the end of the file takes
// its default; so does a number line that holds no number, and reading goes on with the next
// line, so one damaged line never resets the rest of a file.
class SettingsReader {
  public:
    // Reads `file`; a missing file reads as all defaults.
    explicit SettingsReader(const std::filesystem::path& file);
    // From lines already read (the version line included).
    explicit SettingsReader(std::vector<std::string> lines);

    bool exists() const { return exists_; }
    bool atEnd() const { return next_ >= lines_.size(); }

    std::string text(const std::string& fallback = "");
    // True only for exactly "TRUE"; a missing line gives `fallback`.
    bool boolean(bool fallback);
    std::int64_t integer(std::int64_t fallback);
    // A choice position; anything outside 0..count-1 gives `fallback`.
    int choice(int count, int fallback);
    // How many number lines were damaged and replaced by their defaults.
    int damagedLines() const { return damaged_; }

  private:
    std::vector<std::string> lines_;
    std::size_t next_ = 1;  // line 0 is the version line
    bool exists_ = true;
    int damaged_ = 0;
};

}  // namespace velmora
