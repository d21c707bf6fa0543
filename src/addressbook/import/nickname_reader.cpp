// The reader of nickname files ("alias" and "note" lines) and of their folder.
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "addressbook/import/readers.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::addressbook {

namespace fs = std::filesystem;

namespace {

// The nickname a line names after its keyword ("alias " or "note "), and where the rest starts.
// A quoted nickname runs to the last double quote of the line; an unterminated one to the end.
struct Named {
    std::string nickname;
    std::string_view rest;
};

Named splitNamed(std::string_view text) {
    Named out;
    if (!text.empty() && text[0] == '"') {
        const std::size_t last = text.rfind('"');
        if (last == 0) {
            out.nickname = std::string(text.substr(1));
            return out;
        }
        out.nickname = std::string(text.substr(1, last - 1));
        out.rest = last + 2 <= text.size() ? text.substr(last + 2) : std::string_view();
        return out;
    }
    const std::size_t blank = text.find(' ');
    out.nickname = std::string(text.substr(0, blank));
    if (blank != std::string_view::npos) out.rest = text.substr(blank + 1);
    return out;
}

// The value of `<key:value>` on a note line; "" when the key is not there. A key without its
// closing ">" runs to the end of the line.
std::string noteValue(std::string_view note, const std::string& key) {
    const std::string open = "<" + key + ":";
    const std::size_t at = note.find(open);
    if (at == std::string_view::npos) return {};
    const std::size_t start = at + open.size();
    const std::size_t end = note.find('>', start);
    return std::string(trimmed(
        note.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start)));
}

bool isNoteFor(std::string_view line, const std::string& nickname) {
    if (!startsWithNoCase(line, "note ")) return false;
    return splitNamed(line.substr(5)).nickname == nickname;
}

}  // namespace

std::vector<std::string> splitOutsideQuotes(std::string_view text, char separator) {
    std::vector<std::string> out;
    bool quoted = false;
    int angle = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size()) {
            const char c = text[i];
            if (c == '"')
                quoted = !quoted;
            else if (!quoted && c == '<')
                ++angle;
            else if (!quoted && c == '>' && angle > 0)
                --angle;
            if (c != separator || quoted || angle > 0) continue;
        }
        std::string_view piece = trimmed(text.substr(start, i - start));
        if (!piece.empty()) out.emplace_back(piece);
        start = i + 1;
    }
    return out;
}

void readNicknameFile(std::string_view bytes, TAddressBook& book, TOutlookAddressBooks& owner) {
    std::vector<std::string> lines = splitLines(bytes);
    // The note lines by nickname (the first of each), so that finding a note costs no scan.
    std::map<std::string, std::size_t> notes;
    for (std::size_t i = 0; i < lines.size(); ++i)
        if (startsWithNoCase(lines[i], "note "))
            notes.emplace(splitNamed(std::string_view(lines[i]).substr(5)).nickname, i);

    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view line = lines[i];
        if (line.size() < 5 || !startsWithNoCase(line, "alias")) continue;
        if (line.size() <= 6) continue;  // a bare "alias" names nothing
        Named named = splitNamed(line.substr(6));
        if (named.nickname.empty()) continue;
        const std::vector<std::string> pieces = splitOutsideQuotes(named.rest, ',');
        TEmailAddress* item;
        if (pieces.size() <= 1) {
            item = &owner.newAddress(named.nickname, pieces.empty() ? "" : pieces.front());
        } else {
            TDistributionList& list = owner.newList(named.nickname);
            for (const std::string& piece : pieces)
                list.members().add(owner.newAddress(piece, piece));
            item = &list;
        }
        item->Properties(kNickName) = named.nickname;
        const std::string* note = nullptr;
        if (i + 1 < lines.size() && isNoteFor(lines[i + 1], named.nickname))
            note = &lines[i + 1];
        else if (auto found = notes.find(named.nickname); found != notes.end())
            note = &lines[found->second];
        if (note) {
            if (std::string name = noteValue(*note, "name"); !name.empty())
                item->Properties(kDisplayName) = name;
            item->Properties(kDepartment) = noteValue(*note, "address");
        }
        book.add(*item);
    }
}

void readNicknameFolder(const fs::path& folder, TAddressBook& book, TOutlookAddressBooks& owner) {
    auto readInto = [&](const fs::path& file, std::string name) {
        TAddressBook& sub = owner.newBook(std::move(name));
        book.addSubBook(sub);
        owner.traceLog().line("TNicknameFile: " + file.string());
        try {
            readNicknameFile(readImportFile(file), sub, owner);
        } catch (const std::exception& e) {
            owner.traceLog().line("Handled Error: " + std::string(e.what()));
        }
    };
    auto textFiles = [](const fs::path& dir) {
        std::vector<fs::path> files;
        std::error_code ec;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec))
            if (endsWithNoCase(it->path().filename().string(), ".txt") && it->is_regular_file(ec))
                files.push_back(it->path());
        std::sort(files.begin(), files.end());
        return files;
    };
    std::error_code ec;
    bool found = false;
    for (const fs::path& file : textFiles(folder)) {
        if (!equalsNoCase(file.filename().string(), "NNdbase.txt")) continue;
        readInto(file, "Eudora Nicknames");
        found = true;
    }
    for (const fs::path& sub : {folder / "Nickname", folder / "Nicknames"}) {
        if (!fs::is_directory(sub, ec)) continue;
        for (const fs::path& file : textFiles(sub)) {
            readInto(file, file.stem().string());
            found = true;
        }
    }
    if (found) return;
    for (const fs::path& file : textFiles(folder)) readInto(file, file.stem().string());
}

}  // namespace velmora::addressbook
