#include "addressbook/book_list.h"

#include "addressbook/book_names.h"
#include "base/settings_lines.h"
#include "base/text_file.h"

namespace velmora::addressbook {

std::vector<std::string> readBookList(const std::filesystem::path& home) {
    std::vector<std::string> lines = readLines(home / kMasterFile);
    std::vector<std::string> names;
    for (std::size_t i = 1; i < lines.size(); ++i)
        if (!lines[i].empty()) names.push_back(lines[i]);
    return names;
}

std::error_code writeBookList(const std::filesystem::path& home,
                              const std::vector<std::string>& names) {
    SettingsWriter writer;
    for (const std::string& name : names) writer.text(name);
    return writer.save(home / kMasterFile);
}

AddBookConfig readAddBookConfig(const std::filesystem::path& home) {
    SettingsReader reader(home / kConfigFile);
    AddBookConfig c;
    c.selectedBook = static_cast<int>(reader.integer(c.selectedBook));
    c.showBooks = reader.boolean(c.showBooks);
    c.showListFields = reader.boolean(c.showListFields);
    c.nicknameWidth = static_cast<int>(reader.integer(c.nicknameWidth));
    c.fullNameWidth = static_cast<int>(reader.integer(c.fullNameWidth));
    c.sortColumn = reader.choice(2, c.sortColumn);
    c.sortDirection = reader.choice(2, c.sortDirection);
    c.selectedEntry = static_cast<int>(reader.integer(c.selectedEntry));
    c.fontName = reader.text(c.fontName);
    c.fontSize = static_cast<int>(reader.integer(c.fontSize));
    c.fontColour = reader.text(c.fontColour);
    if (c.selectedBook < 0) c.selectedBook = 0;
    if (c.selectedEntry < 0) c.selectedEntry = 0;
    if (c.fontName.empty()) c.fontName = AddBookConfig{}.fontName;
    return c;
}

std::error_code writeAddBookConfig(const std::filesystem::path& home, const AddBookConfig& c) {
    SettingsWriter writer;
    writer.integer(c.selectedBook < 0 ? 0 : c.selectedBook)
        .boolean(c.showBooks)
        .boolean(c.showListFields)
        .integer(c.nicknameWidth)
        .integer(c.fullNameWidth)
        .integer(c.sortColumn)
        .integer(c.sortDirection)
        .integer(c.selectedEntry)
        .text(c.fontName)
        .integer(c.fontSize)
        .text(c.fontColour);
    return writer.save(home / kConfigFile);
}

}  // namespace velmora::addressbook
