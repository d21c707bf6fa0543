#include "addressbook/book_export.h"

#include <algorithm>

#include "base/text.h"
#include "mime/address.h"

namespace velmora::addressbook {

namespace {

// vCard lines are folded at 75 bytes, never inside a UTF-8 sequence.
constexpr std::size_t kFoldBytes = 75;

std::string escapeText(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case ',':
                out += "\\,";
                break;
            case ';':
                out += "\\;";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                break;
            default:
                out += c;
        }
    }
    return out;
}

void contentLine(std::string& out, std::string_view name, std::string_view value) {
    std::string line = std::string(name) + ":" + std::string(value);
    std::size_t start = 0;
    bool first = true;
    while (start < line.size()) {
        std::size_t room = first ? kFoldBytes : kFoldBytes - 1;
        std::size_t end = std::min(line.size(), start + room);
        while (end < line.size() && end > start + 1 &&
               (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80)
            --end;
        if (!first) out += ' ';
        out.append(line, start, end - start);
        out += "\r\n";
        start = end;
        first = false;
    }
}

std::string joinNotes(const std::vector<std::string>& notes, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        if (i) out += separator;
        out += notes[i];
    }
    return out;
}

std::string csvField(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

}  // namespace

std::string exportVCard(const std::vector<TEmailNameObjListView>& entries) {
    std::string out;
    for (const TEmailNameObjListView& e : entries) {
        out += "BEGIN:VCARD\r\nVERSION:4.0\r\n";
        if (e.isMailingList) out += "KIND:group\r\n";
        contentLine(out, "FN", escapeText(unquoteCommaName(e.fullName)));
        if (!e.nickname.empty()) contentLine(out, "NICKNAME", escapeText(e.nickname));
        if (e.isMailingList) {
            for (const std::string& line : e.addresses) {
                const mime::TmsMailAddress member = mime::ParseMailAddress(line);
                if (!member.Address().empty())
                    contentLine(out, "MEMBER", "mailto:" + member.Address());
                contentLine(out, "X-VELMORA-MEMBER", escapeText(line));
            }
            if (!e.listFrom.empty())
                contentLine(out, "X-VELMORA-LIST-FROM", escapeText(e.listFrom));
            if (!e.listTo.empty()) contentLine(out, "X-VELMORA-LIST-TO", escapeText(e.listTo));
            if (!e.listReplyTo.empty())
                contentLine(out, "X-VELMORA-LIST-REPLY-TO", escapeText(e.listReplyTo));
        } else {
            for (const std::string& address : e.addresses)
                if (!address.empty()) contentLine(out, "EMAIL", escapeText(address));
        }
        if (!e.notes.empty()) contentLine(out, "NOTE", escapeText(joinNotes(e.notes, "\n")));
        out += "END:VCARD\r\n";
    }
    return out;
}

std::string exportCsv(const std::vector<TEmailNameObjListView>& entries) {
    std::size_t emailColumns = 1;
    for (const TEmailNameObjListView& e : entries)
        if (!e.isMailingList) emailColumns = std::max(emailColumns, e.addresses.size());
    std::vector<std::string> header{"Full Name", "Nickname", "E-mail Address"};
    for (std::size_t i = 2; i <= emailColumns; ++i)
        header.push_back("E-mail " + std::to_string(i) + " Address");
    for (const char* h :
         {"Notes", "Mailing List", "Members", "List From", "List To", "List Reply-To"})
        header.push_back(h);
    std::string out;
    auto row = [&out](const std::vector<std::string>& fields) {
        for (std::size_t i = 0; i < fields.size(); ++i) {
            if (i) out += ',';
            out += csvField(fields[i]);
        }
        out += "\r\n";
    };
    row(header);
    for (const TEmailNameObjListView& e : entries) {
        std::vector<std::string> fields{unquoteCommaName(e.fullName), e.nickname};
        for (std::size_t i = 0; i < emailColumns; ++i)
            fields.push_back(!e.isMailingList && i < e.addresses.size() ? e.addresses[i] : "");
        fields.push_back(joinNotes(e.notes, "\r\n"));
        fields.push_back(e.isMailingList ? "TRUE" : "FALSE");
        fields.push_back(e.isMailingList ? joinNotes(e.addresses, "\r\n") : "");
        fields.push_back(e.listFrom);
        fields.push_back(e.listTo);
        fields.push_back(e.listReplyTo);
        row(fields);
    }
    // Spreadsheets and Outlook take a CSV file for the ANSI code page unless it starts with the
    // UTF-8 byte-order mark; an ASCII file needs none.
    if (hasHighBytes(out)) out.insert(0, "\xEF\xBB\xBF");
    return out;
}

}  // namespace velmora::addressbook
