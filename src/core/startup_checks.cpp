#include "core/startup_checks.h"

#include <cstdio>

#include "base/identity.h"
#include "base/text_file.h"

namespace velmora::core {

namespace {

std::string megabytes(std::int64_t bytes) {
    const std::int64_t tenths = bytes / 100'000;
    char text[32];
    if (tenths % 10 == 0) {
        std::snprintf(text, sizeof text, "%lld", static_cast<long long>(tenths / 10));
    } else {
        std::snprintf(text, sizeof text, "%lld.%lld", static_cast<long long>(tenths / 10),
                      static_cast<long long>(tenths % 10));
    }
    return text;
}

}  // namespace

std::optional<std::string> freeSpaceWarning(std::int64_t freeBytes) {
    if (freeBytes < 0 || freeBytes > kLowFreeSpace) return std::nullopt;
    const std::string product = kProductName;
    const std::string mayNot =
        "MB Free.\r\r" + product +
        " may not be able to successfully write all data to the hard disk.\r\r";
    const std::string n = megabytes(freeBytes);
    if (freeBytes <= kCriticalFreeSpace) {
        return "Free Disk Space Is CRITICALLY Low <= " + n + mayNot +
               "It is recommended that you NOT run " + product +
               " until you can free up some additional hard disk space.";
    }
    if (freeBytes <= kExtremeFreeSpace) {
        return "Free Disk Space Is EXTREMELY Low <= " + n + mayNot +
               "It is recommended that you free up some additional hard disk space as soon as "
               "possible.";
    }
    return "Free Disk Space Is VERY Low <= " + n + mayNot +
           "It is recommended that you free up some additional hard disk space.";
}

bool dictionaryPresent(const std::filesystem::path& home) {
    std::error_code ec;
    return std::filesystem::exists(home / kDictionaryFile, ec);
}

bool provideDictionary(const std::filesystem::path& home, const std::filesystem::path& programDir) {
    return provideProgramFile(home, programDir, kDictionaryFile);
}

bool provideProgramFile(const std::filesystem::path& home, const std::filesystem::path& programDir,
                        const std::string& name) {
    std::error_code ec;
    if (std::filesystem::exists(home / name, ec) || programDir.empty()) return true;
    const auto bytes = readWholeFile(programDir / name);
    if (!bytes) return true;
    return !writeFileAtomically(home / name, *bytes);
}

}  // namespace velmora::core
