#include "core/session_state.h"

#include <algorithm>
#include <charconv>

#include "base/text_file.h"

namespace velmora::core {

namespace {

int toInt(const std::string& line) {
    int value = 0;
    const char* first = line.data();
    const char* last = line.data() + line.size();
    while (first < last && *first == ' ') ++first;
    std::from_chars(first, last, value);
    return value;
}

// Walks a file's lines record by record.
class RecordReader {
public:
    RecordReader(const std::filesystem::path& file, std::size_t recordLines)
        : lines_(readLines(file)), recordLines_(recordLines) {}
    bool next() {
        if (at_ + recordLines_ > lines_.size()) return false;
        current_ = at_;
        at_ += recordLines_;
        return true;
    }
    const std::string& text(std::size_t i) const { return lines_[current_ + i]; }
    int number(std::size_t i) const { return toInt(lines_[current_ + i]); }
    // Four numbers from line i on: state, left, top, width, height (five lines).
    WindowPlacement placement(std::size_t i) const {
        WindowPlacement p;
        const int state = number(i);
        p.state = state == 1   ? platform::WindowState::Minimized
                  : state == 2 ? platform::WindowState::Maximized
                               : platform::WindowState::Normal;
        p.bounds.left = std::max(0, number(i + 1));
        p.bounds.top = std::max(0, number(i + 2));
        p.bounds.width = number(i + 3);
        p.bounds.height = number(i + 4);
        return p;
    }

private:
    std::vector<std::string> lines_;
    std::size_t recordLines_;
    std::size_t at_ = 0;
    std::size_t current_ = 0;
};

void addPlacement(std::vector<std::string>& lines, const WindowPlacement& p) {
    lines.push_back(std::to_string(static_cast<int>(p.state)));
    lines.push_back(std::to_string(p.bounds.left));
    lines.push_back(std::to_string(p.bounds.top));
    lines.push_back(std::to_string(p.bounds.width));
    lines.push_back(std::to_string(p.bounds.height));
}

}  // namespace

SessionState readSessionState(const std::filesystem::path& home) {
    SessionState state;
    {
        RecordReader r(home / kFoldersSessionFile, 8);
        while (r.next())
            state.folders.push_back({r.text(0), r.number(1), r.number(2), r.placement(3)});
    }
    {
        RecordReader r(home / kReadSessionFile, 8);
        while (r.next())
            state.reads.push_back({r.text(0), r.number(1), r.placement(2), r.number(7)});
    }
    {
        RecordReader r(home / kComposeSessionFile, 2);
        while (r.next()) state.composes.push_back({r.text(0), r.number(1)});
    }
    {
        RecordReader r(home / kScratchSessionFile, 6);
        while (r.next()) state.scratchPads.push_back({r.text(0), r.placement(1)});
    }
    {
        RecordReader r(home / kHeadersSessionFile, 5);
        if (r.next()) {
            state.hasHeadersWindow = true;
            state.headersWindow = r.placement(0);
        }
    }
    return state;
}

SessionFilesPresent sessionFilesPresent(const std::filesystem::path& home) {
    std::error_code ec;
    auto exists = [&](const char* name) { return std::filesystem::exists(home / name, ec); };
    return {exists(kHeadersSessionFile), exists(kScratchSessionFile),
            exists(kComposeSessionFile), exists(kFoldersSessionFile), exists(kReadSessionFile)};
}

std::string formatFolderRecords(const std::vector<FolderWindowRecord>& records) {
    std::vector<std::string> lines;
    for (const auto& r : records) {
        lines.push_back(r.folderKey);
        lines.push_back(std::to_string(r.firstVisibleRow));
        lines.push_back(std::to_string(r.selectedRow));
        addPlacement(lines, r.placement);
    }
    return joinLines(lines);
}

std::string formatReadRecords(const std::vector<ReadWindowRecord>& records) {
    std::vector<std::string> lines;
    for (const auto& r : records) {
        lines.push_back(r.folderKey);
        lines.push_back(std::to_string(r.row));
        addPlacement(lines, r.placement);
        lines.push_back(std::to_string(r.tabPage));
    }
    return joinLines(lines);
}

std::string formatComposeRecords(const std::vector<ComposeWindowRecord>& records) {
    std::vector<std::string> lines;
    for (const auto& r : records) {
        lines.push_back(r.folderName);
        lines.push_back(std::to_string(r.row));
    }
    return joinLines(lines);
}

std::string formatScratchRecords(const std::vector<ScratchPadRecord>& records) {
    std::vector<std::string> lines;
    for (const auto& r : records) {
        lines.push_back(r.fileName);
        addPlacement(lines, r.placement);
    }
    return joinLines(lines);
}

std::string formatHeadersRecord(const WindowPlacement& placement) {
    std::vector<std::string> lines;
    addPlacement(lines, placement);
    return joinLines(lines);
}

}  // namespace velmora::core
