// "master.abk", the ordered list of book names, and "addbook.cfg", the view state of the
// Address Books page.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace velmora::addressbook {

// The names in order; an empty list for a missing file. Empty lines are skipped.
std::vector<std::string> readBookList(const std::filesystem::path& home);
[[nodiscard]] std::error_code writeBookList(const std::filesystem::path& home,
                                            const std::vector<std::string>& names);

// Defaults before "addbook.cfg" exists.
inline constexpr int kDefaultNicknameWidth = 120;
inline constexpr int kDefaultFullNameWidth = 220;

struct AddBookConfig {
    int selectedBook = 0;
    bool showBooks = true;       // "Show Address &Books"
    bool showListFields = true;  // "Show &Mailing List Fields"
    int nicknameWidth = kDefaultNicknameWidth;
    int fullNameWidth = kDefaultFullNameWidth;
    int sortColumn = 0;     // 0 Nickname, 1 Full Name
    int sortDirection = 0;  // 0 ascending, 1 descending
    int selectedEntry = 0;
    std::string fontName = "Sans Serif";
    int fontSize = 10;
    std::string fontColour = "clBlack";

    bool operator==(const AddBookConfig&) const = default;
};

AddBookConfig readAddBookConfig(const std::filesystem::path& home);
[[nodiscard]] std::error_code writeAddBookConfig(const std::filesystem::path& home,
                                                 const AddBookConfig& config);

}  // namespace velmora::addressbook
