#include "platform/session_records.h"

#include <algorithm>
#include <charconv>

namespace velmora::platform {

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
    RecordReader(const std::vector<std::string>& lines, std::size_t recordLines)
        : lines_(lines), recordLines_(recordLines) {}
    bool next() {
        if (at_ + recordLines_ > lines_.size()) return false;
        current_ = at_;
        at_ += recordLines_;
        return true;
    }
    const std::string& text(std::size_t i) const { return lines_[current_ + i]; }
    int number(std::size_t i) const { return toInt(lines_[current_ + i]); }
    // The five lines from line i on: state, left, top, width, height.
    WindowPlacement placement(std::size_t i) const {
        WindowPlacement p;
        const int state = number(i);
        p.state = state == 1   ? WindowState::Minimized
                  : state == 2 ? WindowState::Maximized
                               : WindowState::Normal;
        p.bounds.left = std::max(0, number(i + 1));
        p.bounds.top = std::max(0, number(i + 2));
        p.bounds.width = number(i + 3);
        p.bounds.height = number(i + 4);
        return p;
    }

  private:
    const std::vector<std::string>& lines_;
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

std::vector<FolderWindowRecord> parseFolderRecords(const std::vector<std::string>& lines) {
    std::vector<FolderWindowRecord> records;
    for (RecordReader r(lines, 8); r.next();)
        records.push_back({r.text(0), r.number(1), r.number(2), r.placement(3)});
    return records;
}

std::vector<ReadWindowRecord> parseReadRecords(const std::vector<std::string>& lines) {
    std::vector<ReadWindowRecord> records;
    for (RecordReader r(lines, 8); r.next();)
        records.push_back({r.text(0), r.number(1), r.placement(2), r.number(7)});
    return records;
}

std::vector<ComposeWindowRecord> parseComposeRecords(const std::vector<std::string>& lines) {
    std::vector<ComposeWindowRecord> records;
    for (RecordReader r(lines, 2); r.next();) records.push_back({r.text(0), r.number(1)});
    return records;
}

std::vector<ScratchPadRecord> parseScratchRecords(const std::vector<std::string>& lines) {
    std::vector<ScratchPadRecord> records;
    for (RecordReader r(lines, 6); r.next();) records.push_back({r.text(0), r.placement(1)});
    return records;
}

std::vector<WindowPlacement> parseHeadersRecord(const std::vector<std::string>& lines) {
    RecordReader r(lines, 5);
    if (!r.next()) return {};
    return {r.placement(0)};
}

std::vector<std::string> folderRecordLines(const FolderWindowRecord& r) {
    std::vector<std::string> lines{r.folderKey, std::to_string(r.firstVisibleRow),
                                   std::to_string(r.selectedRow)};
    addPlacement(lines, r.placement);
    return lines;
}

std::vector<std::string> readRecordLines(const ReadWindowRecord& r) {
    std::vector<std::string> lines{r.folderKey, std::to_string(r.row)};
    addPlacement(lines, r.placement);
    lines.push_back(std::to_string(r.tabPage));
    return lines;
}

std::vector<std::string> composeRecordLines(const ComposeWindowRecord& r) {
    return {r.folderName, std::to_string(r.row)};
}

std::vector<std::string> scratchRecordLines(const ScratchPadRecord& r) {
    std::vector<std::string> lines{r.fileName};
    addPlacement(lines, r.placement);
    return lines;
}

std::vector<std::string> headersRecordLines(const WindowPlacement& placement) {
    std::vector<std::string> lines;
    addPlacement(lines, placement);
    return lines;
}

}  // namespace velmora::platform
