#include "addressbook/book_names.h"

#include "base/text.h"

namespace velmora::addressbook {

std::optional<std::string> bookNameProblem(std::string_view name) {
    if (trimmed(name).empty()) return "The name is empty.";
    if (name.size() > kMaxBookNameBytes)
        return "The name is longer than " + std::to_string(kMaxBookNameBytes) + " bytes.";
    for (unsigned char c : name) {
        if (c < 32 || c == 127) return "The name holds a control character.";
        if (c == '/' || c == '\\') return "The name holds a \"/\" or \"\\\".";
    }
    if (name == "." || name == "..") return "The name cannot be \".\" or \"..\".";
    if (equalsNoCase(name, "master")) return "The name \"master\" is kept for the book list.";
    return std::nullopt;
}

std::filesystem::path bookFile(const std::filesystem::path& home, std::string_view name) {
    return home / (std::string(name) + kBookExtension);
}

std::filesystem::path backupFile(const std::filesystem::path& home, std::string_view name) {
    return home / (std::string(name) + kBackupExtension);
}

std::optional<std::filesystem::path> findBookFile(const std::filesystem::path& home,
                                                  std::string_view name) {
    std::error_code ec;
    const std::filesystem::path exact = bookFile(home, name);
    if (std::filesystem::exists(exact, ec)) return exact;
    const std::string wanted = std::string(name) + kBookExtension;
    for (std::filesystem::directory_iterator it(home, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = it->path().filename().string();
        if (equalsNoCase(file, wanted)) return it->path();
    }
    return std::nullopt;
}

}  // namespace velmora::addressbook
