// The CSV export reader.
#include <string>
#include <vector>

#include "addressbook/import/readers.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::addressbook {

namespace {

// A field may hold line breaks, but not without end: beyond this a row is damage.
constexpr std::size_t kMaxFieldBytes = 1024 * 1024;

using Row = std::vector<std::string>;

char guessSeparator(std::string_view bytes) {
    std::size_t counts[3] = {0, 0, 0};
    bool quoted = false;
    for (char c : bytes) {
        if (c == '"') quoted = !quoted;
        if (quoted) continue;
        if (c == '\n' || c == '\r') break;
        if (c == ',') ++counts[0];
        if (c == ';') ++counts[1];
        if (c == '\t') ++counts[2];
    }
    if (counts[2] > counts[0] && counts[2] >= counts[1]) return '\t';
    if (counts[1] > counts[0]) return ';';
    return ',';
}

// RFC 4180 rows; an unterminated quote runs to the end of the text.
std::vector<Row> parseRows(std::string_view bytes, char separator) {
    std::vector<Row> rows;
    Row row;
    std::string field;
    bool quoted = false;
    bool fieldStarted = false;
    auto endField = [&] {
        row.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    auto endRow = [&] {
        endField();
        if (!(row.size() == 1 && row[0].empty())) rows.push_back(std::move(row));
        row.clear();
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < bytes.size() && bytes[i + 1] == '"') {
                    field += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else if (field.size() < kMaxFieldBytes) {
                field += c;
            }
            continue;
        }
        if (c == '"' && !fieldStarted) {
            quoted = true;
            fieldStarted = true;
        } else if (c == separator) {
            endField();
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            endRow();
        } else if (field.size() < kMaxFieldBytes) {
            field += c;
            fieldStarted = true;
        }
    }
    if (fieldStarted || !field.empty() || !row.empty()) endRow();
    return rows;
}

struct Column {
    const char* header;
    int property;
};
// Header names of the common exporters, compared without case.
constexpr Column kColumns[] = {
    {"first name", kFirstName},     {"given name", kFirstName},
    {"firstname", kFirstName},      {"givenname", kFirstName},
    {"middle name", kMiddleName},   {"additional name", kMiddleName},
    {"last name", kLastName},       {"family name", kLastName},
    {"surname", kLastName},         {"lastname", kLastName},
    {"initials", kInitials},        {"suffix", kNameSuffix},
    {"name suffix", kNameSuffix},   {"title", kNameTitle},
    {"name prefix", kNameTitle},    {"prefix", kNameTitle},
    {"nickname", kNickName},        {"nick name", kNickName},
    {"job title", kTitle},          {"organization 1 - title", kTitle},
    {"company", kCompanyName},      {"organization", kCompanyName},
    {"organisation", kCompanyName}, {"organization 1 - name", kCompanyName},
    {"department", kDepartment},    {"organization 1 - department", kDepartment},
    {"display name", kDisplayName}, {"name", kDisplayName},
    {"full name", kDisplayName},
};

bool isEmailHeader(std::string_view lower) {
    if (lower.find("mail") == std::string_view::npos) return false;
    for (const char* not_ : {"type", "display", "name", "label"})
        if (lower.find(not_) != std::string_view::npos) return false;
    return true;
}

// Google's export puts several addresses into one cell, " ::: " between them.
void addAddresses(std::string_view cell, std::vector<std::string>& out) {
    std::size_t start = 0;
    while (start <= cell.size()) {
        std::size_t end = cell.find(":::", start);
        if (end == std::string_view::npos) end = cell.size();
        std::string_view piece = trimmed(cell.substr(start, end - start));
        if (!piece.empty()) out.emplace_back(piece);
        start = end + 3;
    }
}

}  // namespace

void readCsv(std::string_view bytes, TAddressBook& book, TOutlookAddressBooks& owner) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    const std::vector<Row> rows = parseRows(bytes, guessSeparator(bytes));
    if (rows.empty()) return;
    std::vector<int> propertyOf(rows[0].size(), -1);
    std::vector<std::size_t> emailColumns;
    // The columns of this program's own export beside the usual ones.
    enum Extra { kNone, kNotes, kMembers, kIsList, kFrom, kTo, kReplyTo };
    std::vector<Extra> extraOf(rows[0].size(), kNone);
    for (std::size_t c = 0; c < rows[0].size(); ++c) {
        const std::string lower = toLowerAscii(trimmed(rows[0][c]));
        const std::pair<const char*, Extra> extras[] = {
            {"notes", kNotes},    {"members", kMembers}, {"mailing list", kIsList},
            {"list from", kFrom}, {"list to", kTo},      {"list reply-to", kReplyTo}};
        for (const auto& [header, extra] : extras)
            if (lower == header) extraOf[c] = extra;
        if (extraOf[c] != kNone) continue;
        for (const Column& column : kColumns)
            if (lower == column.header) propertyOf[c] = column.property;
        if (propertyOf[c] < 0 && isEmailHeader(lower)) emailColumns.push_back(c);
    }
    for (std::size_t r = 1; r < rows.size(); ++r) {
        const Row& row = rows[r];
        std::vector<std::string> addresses;
        for (std::size_t c : emailColumns)
            if (c < row.size()) addAddresses(row[c], addresses);
        auto extra = [&](Extra which) {
            for (std::size_t c = 0; c < row.size() && c < extraOf.size(); ++c)
                if (extraOf[c] == which) return row[c];
            return std::string();
        };
        const bool isList = extra(kIsList) == "TRUE";
        TEmailAddress& item =
            isList ? owner.newList("")
                   : owner.newAddress("", addresses.empty() ? "" : addresses.front());
        if (isList)
            for (std::string& line : splitLines(extra(kMembers)))
                static_cast<TDistributionList&>(item).members().add(owner.newAddress(line, line));
        if (std::string notes = extra(kNotes); !notes.empty()) item.notes = splitLines(notes);
        item.listFrom = extra(kFrom);
        item.listTo = extra(kTo);
        item.listReplyTo = extra(kReplyTo);
        for (std::size_t c = 0; c < row.size() && c < propertyOf.size(); ++c)
            if (propertyOf[c] >= 0 && item.Properties(propertyOf[c]).empty())
                item.Properties(propertyOf[c]) = std::string(trimmed(row[c]));
        if (addresses.size() > 1 && !isList)
            item.moreAddresses.assign(addresses.begin() + 1, addresses.end());
        if (item.displayName().empty()) {
            std::string name;
            for (int p : {kFirstName, kMiddleName, kLastName}) {
                if (item.Properties(p).empty()) continue;
                if (!name.empty()) name += ' ';
                name += item.Properties(p);
            }
            item.Properties(kDisplayName) = name;
        }
        if (item.displayName().empty() && item.address().empty()) continue;
        item.Properties(kAddrType) = "SMTP";
        book.add(item);
    }
}

}  // namespace velmora::addressbook
