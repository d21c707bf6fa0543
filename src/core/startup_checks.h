// The informative checks of start-up: free disk space of the home folder's drive and the
// spelling dictionary. They only inform; start-up goes on.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace velmora::core {

inline constexpr std::int64_t kCriticalFreeSpace = 1'000'000;
inline constexpr std::int64_t kExtremeFreeSpace = 5'000'000;
inline constexpr std::int64_t kLowFreeSpace = 10'000'000;

inline constexpr const char* kDictionaryFile = "ENGLISH.DCT";
inline constexpr const char* kDictionaryMissingText =
    "Spelling dictionary - ENGLISH.DCT - was not found in the Velmora Pro home folder.\r"
    "You will not have spell checking capability.";

// The one warning for a free-space reading in bytes, the most severe that applies; nothing for a
// failed (negative) reading or for more than 10,000,000 bytes. The text gives the reading in
// megabytes of 1,000,000 bytes with one decimal ("4.8MB"), whole numbers without one ("5MB").
std::optional<std::string> freeSpaceWarning(std::int64_t freeBytes);

bool dictionaryPresent(const std::filesystem::path& home);

// A new home folder gets the program's own dictionary (the ENGLISH.DCT beside the program), so
// that only a dictionary the user removed is reported missing. Nothing happens when the home
// folder has one already or the program came without one; false when copying failed.
bool provideDictionary(const std::filesystem::path& home, const std::filesystem::path& programDir);
// The same for any file the program brings beside it (the help file).
bool provideProgramFile(const std::filesystem::path& home, const std::filesystem::path& programDir,
                        const std::string& name);

}  // namespace velmora::core
