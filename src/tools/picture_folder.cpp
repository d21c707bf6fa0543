#include "tools/picture_folder.h"

#include <algorithm>
#include <array>
#include <utility>

#include "base/text.h"
#include "base/unicode_text.h"

namespace velmora::tools {

namespace {

constexpr std::array<std::string_view, 4> kJpegExtensions = {".jpg", ".jpeg", ".jpe", ".jfif"};

// Each name with its sort key, so the key is made once per name.
template <typename T, typename NameOf>
void sortByName(std::vector<T>& items, NameOf nameOf) {
    std::vector<std::pair<std::string, T>> keyed;
    keyed.reserve(items.size());
    for (T& item : items) keyed.emplace_back(lowerCase(nameOf(item)), std::move(item));
    std::sort(keyed.begin(), keyed.end(), [&](const auto& a, const auto& b) {
        if (a.first != b.first) return a.first < b.first;
        return nameOf(a.second) < nameOf(b.second);
    });
    items.clear();
    for (auto& [key, item] : keyed) items.push_back(std::move(item));
}

}  // namespace

bool isJpegFileName(std::string_view name) {
    return std::any_of(kJpegExtensions.begin(), kJpegExtensions.end(), [&](std::string_view ext) {
        return name.size() > ext.size() && endsWithNoCase(name, ext);
    });
}

void sortNamesNoCase(std::vector<std::string>& names) {
    sortByName(names, [](const std::string& name) -> const std::string& { return name; });
}

std::optional<PictureFolderListing> listPictureFolder(const std::filesystem::path& folder,
                                                      std::error_code& error) {
    namespace fs = std::filesystem;
    error.clear();
    fs::directory_iterator it(folder, error);
    if (error) return std::nullopt;
    PictureFolderListing listing;
    std::size_t seen = 0;
    for (const fs::directory_iterator end; it != end; it.increment(error)) {
        if (error) break;
        if (++seen > kMaxFolderEntries) {
            listing.truncated = true;
            break;
        }
        const std::string name = it->path().filename().string();
        if (name.empty() || name[0] == '.') continue;
        std::error_code ignored;
        // Links are followed: a link to a folder is entered, a link to a picture shown.
        const fs::file_status status = it->status(ignored);
        if (fs::is_directory(status)) {
            listing.folders.push_back(name);
        } else if (fs::is_regular_file(status) && isJpegFileName(name)) {
            const std::uintmax_t size = it->file_size(ignored);
            listing.pictures.push_back({name, ignored ? 0 : static_cast<std::uint64_t>(size)});
        }
    }
    if (error) return std::nullopt;
    sortNamesNoCase(listing.folders);
    sortByName(listing.pictures,
               [](const PictureFile& file) -> const std::string& { return file.name; });
    return listing;
}

}  // namespace velmora::tools
