#include "compose/compose_files.h"

#include <algorithm>

#include "base/settings_lines.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::compose {

AddressListLayout readAddressListLayout(const std::filesystem::path& home) {
    SettingsReader reader(home / kAddressListLayoutFile);
    AddressListLayout layout;
    for (int& width : layout.widths)
        width = static_cast<int>(std::clamp<std::int64_t>(reader.integer(width), 0, 2000));
    layout.sortColumn = reader.choice(3, 0);
    layout.sortDescending = reader.integer(0) != 0;
    return layout;
}

std::error_code writeAddressListLayout(const std::filesystem::path& home,
                                       const AddressListLayout& layout) {
    SettingsWriter writer;
    for (const int width : layout.widths) writer.integer(width);
    writer.integer(layout.sortColumn).integer(layout.sortDescending ? 1 : 0);
    return writer.save(home / kAddressListLayoutFile);
}

RecentAttachments readRecentAttachments(const std::filesystem::path& home) {
    SettingsReader reader(home / kRecentAttachmentsFile);
    RecentAttachments recent;
    recent.capture = reader.boolean(false);
    const auto count = std::clamp<std::int64_t>(reader.integer(0), 0,
                                                static_cast<std::int64_t>(kMaxRecentAttachments));
    for (std::int64_t i = 0; i < count && !reader.atEnd(); ++i) {
        std::string path = reader.text();
        if (!path.empty()) recent.paths.push_back(std::move(path));
    }
    return recent;
}

std::error_code writeRecentAttachments(const std::filesystem::path& home,
                                       const RecentAttachments& recent) {
    SettingsWriter writer;
    writer.boolean(recent.capture);
    const std::size_t count = std::min(recent.paths.size(), kMaxRecentAttachments);
    writer.integer(static_cast<std::int64_t>(count));
    for (std::size_t i = 0; i < count; ++i) writer.text(recent.paths[i]);
    return writer.save(home / kRecentAttachmentsFile);
}

std::filesystem::path autoSaveFile(const std::filesystem::path& home, const std::string& caption) {
    std::string name = caption.substr(0, caption.find(" - "));
    while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.pop_back();
    for (char& c : name)
        if (c == '/' || c == '\\' || c == '\0') c = '_';
    if (name.empty()) name = "Compose";
    return home / (name + ".txt");
}

std::error_code writeSendOnePer(const std::filesystem::path& home,
                                const std::vector<std::string>& to) {
    return writeFileAtomically(home / kSendOnePerFile, joinLines(to));
}

}  // namespace velmora::compose
