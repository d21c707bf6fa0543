#include "store/list_item.h"

#include "base/text.h"

namespace velmora::store {

namespace {

bool countsAsEmpty(std::string_view text) {
    const std::string_view t = trimmed(text);
    return t.empty() || t == "<>";
}

// Start and end (exclusive) of a column's text inside a row; npos start when it is missing.
std::pair<std::size_t, std::size_t> columnSpan(std::string_view row, int column) {
    std::size_t start = 0;
    for (int i = 0; i < column; ++i) {
        const auto tab = row.find('\t', start);
        if (tab == std::string_view::npos) return {std::string_view::npos, 0};
        start = tab + 1;
    }
    const auto end = row.find('\t', start);
    return {start, end == std::string_view::npos ? row.size() : end};
}

// A tab or line break inside a column text would split the row or the index record.
void appendColumnText(std::string& row, std::string_view text) {
    const std::size_t start = row.size();
    row.append(text);
    for (std::size_t i = start; i < row.size(); ++i)
        if (row[i] == '\t' || row[i] == '\r' || row[i] == '\n') row[i] = ' ';
}

}  // namespace

bool isReadAckStatus(std::string_view text) {
    for (const char* word : kReadAckStatuses)
        if (text == word) return true;
    return false;
}

std::string makeRowText(const std::array<std::string, kColumnCount>& columns) {
    std::string row;
    for (int i = 0; i < kColumnCount; ++i) {
        if (i > 0) row += '\t';
        appendColumnText(row, columns[static_cast<std::size_t>(i)]);
    }
    return row;
}

std::string_view columnText(std::string_view row, Column column) {
    const auto [start, end] = columnSpan(row, static_cast<int>(column));
    if (start == std::string_view::npos) return {};
    return row.substr(start, end - start);
}

std::array<std::string, kColumnCount> splitRowText(std::string_view row) {
    std::array<std::string, kColumnCount> columns;
    for (int i = 0; i < kColumnCount; ++i)
        columns[static_cast<std::size_t>(i)] = std::string(columnText(row, static_cast<Column>(i)));
    return columns;
}

void replaceColumn(std::string& row, Column column, std::string_view text) {
    const int index = static_cast<int>(column);
    int tabs = 0;
    for (char c : row)
        if (c == '\t') ++tabs;
    if (tabs < index) row.append(static_cast<std::size_t>(index - tabs), '\t');
    const auto [start, end] = columnSpan(row, index);
    std::string clean;
    appendColumnText(clean, text);
    row.replace(start, end - start, clean);
}

std::string senderText(std::string_view name, std::string_view address) {
    const bool noName = countsAsEmpty(name);
    const bool noAddress = countsAsEmpty(address);
    if (!noName && !noAddress) return std::string(name) + " <" + std::string(address) + ">";
    if (!noAddress) return std::string(address);
    if (!noName) return std::string(name) + " " + kUnknownAddress;
    return kNoNameUnknownAddress;
}

std::string sizeText(std::uintmax_t bytes) {
    if (bytes < 1024) return "1.0";
    const std::uintmax_t digit = (bytes % 1024) / 100 % 10;
    return std::to_string(bytes / 1024) + "." + std::to_string(digit);
}

}  // namespace velmora::store
