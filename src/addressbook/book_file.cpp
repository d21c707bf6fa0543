#include "addressbook/book_file.h"

#include <charconv>

#include "base/text_file.h"

namespace velmora::addressbook {

namespace {

constexpr std::string_view kVersionLine = "46";

// Reads the lines of one book in order; past the end it gives nothing and notes that it ran out.
class BookLines {
  public:
    explicit BookLines(std::vector<std::string_view> lines) : lines_(std::move(lines)) {}
    bool atEnd() const { return next_ >= lines_.size(); }
    bool next(std::string_view& line) {
        if (atEnd()) {
            ranOut_ = true;
            return false;
        }
        line = lines_[next_++];
        return true;
    }
    std::string text() {
        std::string_view line;
        return next(line) ? std::string(line) : std::string();
    }
    bool peekEmpty() const { return !atEnd() && lines_[next_].empty(); }
    void skipOneEmpty() {
        if (peekEmpty()) ++next_;
    }
    bool onlyEmptyLeft() const {
        for (std::size_t i = next_; i < lines_.size(); ++i)
            if (!lines_[i].empty()) return false;
        return true;
    }
    bool ranOut() const { return ranOut_; }

  private:
    std::vector<std::string_view> lines_;
    std::size_t next_ = 0;
    bool ranOut_ = false;
};

// A count line: a decimal number from 0 to kMaxLineCount; anything else is damage.
bool parseCount(std::string_view text, long long& count) {
    const char* end = text.data() + text.size();
    auto [ptr, ec] = std::from_chars(text.data(), end, count);
    return ec == std::errc() && ptr == end && count >= 0 && count <= kMaxLineCount;
}

std::string oneLine(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\r' || c == '\n' || c == '\0') c = ' ';
    return out;
}

// Lines of a list field: an item holding line breaks is several lines; NUL becomes a blank.
std::vector<std::string> fieldLines(const std::vector<std::string>& items) {
    std::vector<std::string> out;
    out.reserve(items.size());
    for (const std::string& item : items) {
        if (item.find_first_of("\r\n") == std::string::npos) {
            out.push_back(oneLine(item));
            continue;
        }
        for (const std::string& piece : splitLines(item)) out.push_back(oneLine(piece));
    }
    return out;
}

void append(std::string& out, std::string_view line) {
    out += line;
    out += "\r\n";
}

}  // namespace

std::vector<std::string_view> splitBookLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] != '\r' && bytes[i] != '\n') continue;
        lines.push_back(bytes.substr(start, i - start));
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        start = i + 1;
    }
    lines.push_back(bytes.substr(start));
    return lines;
}

BookReadResult parseBook(std::string_view bytes) {
    BookReadResult result;
    result.exists = true;
    if (bytes.empty()) return result;
    BookLines lines(splitBookLines(bytes));
    std::string_view version;
    lines.next(version);  // the version line is skipped, whatever it holds
    auto damaged = [&result](std::string why) {
        result.complete = false;
        if (result.problem.empty()) result.problem = std::move(why);
    };
    while (!lines.atEnd()) {
        // Empty lines after the last entry (a file saved by hand with a final line end) end it.
        if (lines.onlyEmptyLeft()) break;
        TEmailNameObjListView entry;
        entry.fullName = quoteCommaName(lines.text());
        entry.nickname = lines.text();
        long long count = 0;
        std::string countLine = lines.text();
        if (!parseCount(countLine, count)) {
            damaged("the address count of entry " + std::to_string(result.entries.size() + 1) +
                    " is not a number");
            count = 0;
        }
        for (long long i = 0; i < count && !lines.atEnd(); ++i)
            entry.addresses.push_back(lines.text());
        lines.skipOneEmpty();
        lines.skipOneEmpty();  // an empty line before the note count is skipped
        countLine = lines.text();
        if (!parseCount(countLine, count)) {
            if (!lines.ranOut())
                damaged("the note count of entry " + std::to_string(result.entries.size() + 1) +
                        " is not a number");
            count = 0;
        }
        for (long long i = 0; i < count && !lines.atEnd(); ++i) entry.notes.push_back(lines.text());
        lines.skipOneEmpty();
        lines.skipOneEmpty();
        entry.isMailingList = lines.text() == "TRUE";
        entry.listFrom = lines.text();
        entry.listTo = lines.text();
        entry.listReplyTo = lines.text();
        if (lines.ranOut())
            damaged("the file ends inside entry " + std::to_string(result.entries.size() + 1));
        result.entries.push_back(std::move(entry));
    }
    return result;
}

BookReadResult readBookFile(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) {
        BookReadResult missing;
        missing.exists = false;
        return missing;
    }
    std::optional<std::string> bytes = readWholeFile(file);
    if (!bytes) {
        BookReadResult unreadable;
        unreadable.exists = true;
        unreadable.readable = false;
        unreadable.complete = false;
        unreadable.problem = "the file cannot be read";
        return unreadable;
    }
    return parseBook(*bytes);
}

std::string bookBytes(const std::vector<TEmailNameObjListView>& entries, BookFileKind kind) {
    std::string out;
    out += kVersionLine;
    if (entries.size() == 1 && isUntouchedTemplate(entries.front())) return out;
    out += "\r\n";
    for (const TEmailNameObjListView& entry : entries) {
        const std::string name = kind == BookFileKind::Book ? unquoteCommaName(entry.fullName)
                                                            : quoteCommaName(entry.fullName);
        append(out, oneLine(name));
        append(out, oneLine(entry.nickname));
        const std::vector<std::string> addresses = fieldLines(entry.addresses);
        append(out, std::to_string(addresses.size()));
        for (const std::string& line : addresses) append(out, line);
        append(out, "");
        const std::vector<std::string> notes = fieldLines(entry.notes);
        append(out, std::to_string(notes.size()));
        for (const std::string& line : notes) append(out, line);
        append(out, "");
        append(out, entry.isMailingList ? "TRUE" : "FALSE");
        append(out, oneLine(entry.listFrom));
        append(out, oneLine(entry.listTo));
        append(out, oneLine(entry.listReplyTo));
    }
    out.resize(out.size() - 2);  // the last line has no line end
    return out;
}

std::error_code writeBookFile(const std::filesystem::path& file,
                              const std::vector<TEmailNameObjListView>& entries,
                              BookFileKind kind) {
    return writeFileAtomically(file, bookBytes(entries, kind));
}

}  // namespace velmora::addressbook
