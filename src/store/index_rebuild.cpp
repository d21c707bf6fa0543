#include "store/index_rebuild.h"

#include <algorithm>
#include <cctype>
#include <system_error>
#include <unordered_set>

#include "base/identity.h"
#include "store/date_text.h"
#include "store/message_file.h"

namespace velmora::store {

namespace {

// The progress box is redrawn at most this often: one redraw per file would make a large
// rebuild wait for the screen.
constexpr platform::Milliseconds kProgressInterval{50};

std::string upperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool isMessageFile(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    if (!entry.is_regular_file(ec)) return false;
    return entry.path().extension() == kMessageExtension;
}

std::string firstRecipientAddress(const mime::TmsMessage& message) {
    if (message.Recipients().Count() == 0) return kUnknownAddress;
    const std::string& address = message.Recipients().Items(0).Address();
    const auto first = address.find_first_not_of(" \t");
    if (first == std::string::npos ||
        address.substr(first, address.find_last_not_of(" \t") - first + 1) == "<>")
        return kUnknownAddress;
    return address;
}

// Calls `visit` with each message file of `directory`. A missing directory (or a path that is
// no directory at all) holds no files; one that cannot be listed (or whose listing breaks off)
// throws, so an unreadable folder is never taken for an empty one.
template <typename Visit>
void forEachMessageFile(const std::filesystem::path& directory, Visit&& visit) {
    std::error_code ec;
    std::filesystem::directory_iterator it(directory, ec);
    if (ec == std::errc::no_such_file_or_directory || ec == std::errc::not_a_directory) return;
    for (const std::filesystem::directory_iterator end; !ec && it != end; it.increment(ec)) {
        if (isMessageFile(*it)) visit(it->path());
    }
    if (ec) throw std::system_error(ec, "List folder " + directory.string());
}

}  // namespace

std::vector<std::filesystem::path> listMessageFiles(const std::filesystem::path& directory) {
    std::vector<std::filesystem::path> files;
    forEachMessageFile(directory,
                       [&](const std::filesystem::path& file) { files.push_back(file); });
    std::sort(files.begin(), files.end());
    return files;
}

std::size_t countMessageFiles(const std::filesystem::path& directory) {
    std::size_t count = 0;
    forEachMessageFile(directory, [&](const std::filesystem::path&) { ++count; });
    return count;
}

FolderRow rowFromMessageFile(const std::filesystem::path& file, int dateFormat,
                             platform::Platform& platform) {
    std::error_code ec;
    const auto bytes = std::filesystem::file_size(file, ec);
    const std::string size = sizeText(ec ? 0 : bytes);

    mime::TmsMessage message;
    if (auto error = loadMessageFile(file, message)) {
        platform.system.beep();
        platform.dialogs.warning(kProductName, "Load From File Error 6498\r" + *error);
    }
    FolderRow row;
    row.item = itemFromMessage(message, file.stem().string());
    const TObjListViewVLF& item = row.item;
    const bool blockHasSender = !item.senderName.empty() || !item.senderAddress.empty();
    const std::string sender =
        blockHasSender ? senderText(item.senderName, item.senderAddress)
                       : senderText(message.Sender().Name(), message.Sender().Address());
    row.text = makeRowText({item.status, size, item.subject, sender, firstRecipientAddress(message),
                            dateText(item.mailDate, dateFormat)});
    return row;
}

RebuildResult rebuildRows(const std::vector<std::filesystem::path>& files,
                          const std::string& logicalPath, int dateFormat,
                          platform::Platform& platform) {
    RebuildResult result;
    result.rows.reserve(files.size());
    const std::string caption = logicalPath + " Window";
    const std::string head = "Rebuilding " + upperCase(logicalPath) + " Index File ";
    const std::string total = " of " + std::to_string(files.size());
    platform::ThrottledEvents events(platform.events, platform.clock);
    platform::Milliseconds lastShown{-kProgressInterval.count()};
    bool shown = false;
    for (std::size_t n = 0; n < files.size(); ++n) {
        const platform::Milliseconds now = platform.clock.elapsed();
        if (!shown || n + 1 == files.size() || now - lastShown >= kProgressInterval) {
            platform.dialogs.showStatus(
                caption, {head + std::to_string(n + 1) + total, "Please Wait...", "", ""});
            lastShown = now;
            shown = true;
        }
        try {
            result.rows.push_back(rowFromMessageFile(files[n], dateFormat, platform));
        } catch (const std::exception& e) {
            platform.system.beep();
            platform.dialogs.warning(kProductName, std::string("Create Error 6398\r") + e.what());
            result.stopped = true;
            break;
        }
        events.poll();
    }
    if (shown) platform.dialogs.hideStatus();
    return result;
}

std::vector<std::filesystem::path> unlistedMessageFiles(const std::filesystem::path& directory,
                                                        const std::vector<FolderRow>& rows) {
    std::unordered_set<std::string> listed;
    listed.reserve(rows.size());
    for (const auto& row : rows) listed.insert(row.item.fileName);
    std::vector<std::filesystem::path> files;
    for (auto& file : listMessageFiles(directory))
        if (!listed.count(file.stem().string())) files.push_back(std::move(file));
    return files;
}

}  // namespace velmora::store
