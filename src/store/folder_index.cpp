#include "store/folder_index.h"

#include <algorithm>
#include <charconv>

#include "base/file_access.h"
#include "base/line_reader.h"
#include "base/text_file.h"

namespace velmora::store {

namespace {

// Walks the lines of a buffer without copying them.
class LineCursor {
  public:
    explicit LineCursor(std::string_view text) : text_(text), lines_(text) {}

    bool atEnd() const { return lines_.atEnd(); }

    std::optional<std::string_view> next() {
        std::string_view line;
        if (!lines_.next(line)) return std::nullopt;
        return line;
    }

    // Lines the rest of the text can hold at most: each takes at least its line end.
    std::size_t linesLeftAtMost() const { return text_.size() - lines_.position(); }

    // Only empty lines remain.
    bool onlyBlankLinesLeft() const {
        return text_.find_first_not_of("\r\n", lines_.position()) == std::string_view::npos;
    }

  private:
    std::string_view text_;
    LineReader lines_;
};

std::optional<int> parseCount(std::string_view line) {
    int value = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    if (line.empty() || error != std::errc() || end != line.data() + line.size())
        return std::nullopt;
    if (value < 0 || value > kMaxIndexListEntries) return std::nullopt;
    return value;
}

int parseInteger(std::string_view line) {
    int value = 0;
    const auto [end, error] = std::from_chars(line.data(), line.data() + line.size(), value);
    return error == std::errc() && end == line.data() + line.size() ? value : 0;
}

// Reads one record; false when the lines ran out or stopped matching the layout.
bool readRecord(LineCursor& lines, FolderRow& row) {
    auto text = [&](std::string& into) {
        const auto line = lines.next();
        if (!line) return false;
        into.assign(*line);
        return true;
    };
    auto flag = [&](bool& into) {
        const auto line = lines.next();
        if (!line) return false;
        into = *line == "TRUE";
        return true;
    };
    auto list = [&](int& count, std::vector<std::string>& entries) {
        const auto line = lines.next();
        if (!line) return false;
        const auto parsed = parseCount(*line);
        if (!parsed) return false;
        if (static_cast<std::size_t>(*parsed) > lines.linesLeftAtMost()) return false;
        count = *parsed;
        entries.clear();
        entries.reserve(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i) {
            const auto entry = lines.next();
            if (!entry) return false;
            entries.emplace_back(*entry);
        }
        return true;
    };

    TObjListViewVLF& item = row.item;
    if (!text(row.text)) return false;
    if (std::count(row.text.begin(), row.text.end(), '\t') < kColumnCount - 1) return false;
    if (!text(item.fileName) || !text(item.senderName) || !text(item.senderAddress)) return false;
    if (!list(item.bccCount, item.bccList)) return false;
    if (!list(item.attachCount, item.attachList)) return false;
    if (!text(item.mailDate) || !text(item.sortDate) || !text(item.subject) || !text(item.status))
        return false;
    std::string number;
    if (!text(number)) return false;
    item.sigBlockIndex = parseInteger(number);
    if (!flag(item.closeAfterSending) || !flag(item.deliveryAck) || !flag(item.readAck))
        return false;
    std::string readAck;
    if (!text(readAck)) return false;
    item.readAckStatus = isReadAckStatus(readAck) ? readAck : "null";
    if (!flag(item.saveToSent) || !flag(item.sendOnePerRecipient)) return false;
    return text(item.priority) && text(item.composeFrom) && text(item.composeReplyTo) &&
           text(item.composeOrganization) && text(item.version);
}

void appendLine(std::string& out, std::string_view value) {
    const std::size_t start = out.size();
    out.append(value);
    for (std::size_t i = start; i < out.size(); ++i)
        if (out[i] == '\r' || out[i] == '\n') out[i] = ' ';
    out.append("\r\n");
}

void appendFlag(std::string& out, bool value) {
    out.append(value ? "TRUE\r\n" : "FALSE\r\n");
}

}  // namespace

IndexContent parseFolderIndex(std::string_view bytes) {
    IndexContent content;
    // A record is at least 24 lines of a few bytes each; reserving from the size avoids most
    // reallocation of a large list.
    content.rows.reserve(bytes.size() / 256);
    LineCursor lines(bytes);
    while (!lines.atEnd()) {
        if (lines.onlyBlankLinesLeft()) break;
        FolderRow row;
        if (!readRecord(lines, row)) {
            content.damaged = true;
            break;
        }
        content.rows.push_back(std::move(row));
    }
    return content;
}

std::string formatFolderIndex(const std::vector<FolderRow>& rows) {
    std::string out;
    std::size_t estimate = 0;
    for (const auto& row : rows) estimate += row.text.size() * 2 + 200;
    out.reserve(estimate);
    for (const auto& row : rows) {
        const TObjListViewVLF& item = row.item;
        appendLine(out, row.text);
        appendLine(out, item.fileName);
        appendLine(out, item.senderName);
        appendLine(out, item.senderAddress);
        appendLine(out, std::to_string(item.bccList.size()));
        for (const auto& entry : item.bccList) appendLine(out, entry);
        appendLine(out, std::to_string(item.attachList.size()));
        for (const auto& entry : item.attachList) appendLine(out, entry);
        appendLine(out, item.mailDate);
        appendLine(out, item.sortDate);
        appendLine(out, item.subject);
        appendLine(out, item.status);
        appendLine(out, std::to_string(item.sigBlockIndex));
        appendFlag(out, item.closeAfterSending);
        appendFlag(out, item.deliveryAck);
        appendFlag(out, item.readAck);
        appendLine(out, item.readAckStatus);
        appendFlag(out, item.saveToSent);
        appendFlag(out, item.sendOnePerRecipient);
        appendLine(out, item.priority);
        appendLine(out, item.composeFrom);
        appendLine(out, item.composeReplyTo);
        appendLine(out, item.composeOrganization);
        appendLine(out, item.version);
    }
    return out;
}

std::optional<IndexContent> readFolderIndex(const std::filesystem::path& file,
                                            std::error_code& error) {
    const auto bytes = readRegularFile(file, error, kMaxIndexFileBytes);
    if (!bytes) {
        // No index: the file is missing, or the folder itself is (not even a directory).
        if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
            error.clear();
        return std::nullopt;
    }
    return parseFolderIndex(*bytes);
}

std::optional<IndexContent> readFolderIndex(const std::filesystem::path& file) {
    std::error_code error;
    return readFolderIndex(file, error);
}

std::error_code writeFolderIndexFile(const std::filesystem::path& file,
                                     const std::vector<FolderRow>& rows) {
    return writeFileAtomically(file, formatFolderIndex(rows));
}

}  // namespace velmora::store
