// The compose window's files in the home folder: the address-book list layout
// (compaddbook.cfg), the recently used attachments (recent.cfg), the body file Compose.txt, the
// auto-save files and SendOnePer.txt. All are written whole and atomically.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velmora::compose {

inline constexpr const char* kAddressListLayoutFile = "compaddbook.cfg";
inline constexpr const char* kRecentAttachmentsFile = "recent.cfg";
inline constexpr const char* kComposeTextFile = "Compose.txt";
inline constexpr const char* kSendOnePerFile = "SendOnePer.txt";
inline constexpr const char* kComposeTextMissing = "Compose.txt file was not found.";

// The recently used list never grows past this many paths (a damaged count line cannot make
// the window read or keep an unbounded list).
inline constexpr std::size_t kMaxRecentAttachments = 500;

struct AddressListLayout {
    int widths[3] = {80, 120, 160};  // NickName, Full Name, Email Address
    int sortColumn = 0;
    bool sortDescending = false;
};
AddressListLayout readAddressListLayout(const std::filesystem::path& home);
[[nodiscard]] std::error_code writeAddressListLayout(const std::filesystem::path& home,
                                                     const AddressListLayout& layout);

struct RecentAttachments {
    bool capture = false;
    std::vector<std::string> paths;
};
RecentAttachments readRecentAttachments(const std::filesystem::path& home);
[[nodiscard]] std::error_code writeRecentAttachments(const std::filesystem::path& home,
                                                     const RecentAttachments& recent);

// The auto-save file of a compose window: its caption up to the first " - " with trailing
// blanks removed, and ".txt" ("Compose 3.txt", "Compose 123.txt": the whole number, so windows
// from the hundredth on never share a file). Any "/" becomes "_".
std::filesystem::path autoSaveFile(const std::filesystem::path& home, const std::string& caption);

// SendOnePer.txt: the To list, one address per line.
[[nodiscard]] std::error_code writeSendOnePer(const std::filesystem::path& home,
                                              const std::vector<std::string>& to);

}  // namespace velmora::compose
