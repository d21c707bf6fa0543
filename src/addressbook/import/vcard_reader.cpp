// The vCard reader (2.1, 3.0, 4.0).
#include <map>
#include <string>
#include <vector>

#include "addressbook/import/readers.h"
#include "base/text.h"
#include "base/text_file.h"
#include "mime/headers.h"
#include "mime/readable_text.h"

namespace velmora::addressbook {

namespace {

// One content line taken apart: NAME;PARAMS:VALUE, the group prefix ("item1.") dropped.
struct ContentLine {
    std::string name;  // upper-cased
    std::vector<std::string> params;
    std::string value;
    bool quotedPrintable = false;
    std::string charset;  // a vCard 2.1 CHARSET parameter
};

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

std::string decodeQuotedPrintable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '=' && i + 2 < text.size()) {
            const int hi = hexValue(text[i + 1]);
            const int lo = hexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// Undoes the escapes of a text value: "\n" a line break, "\," "\;" "\\" the character.
std::string unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[++i];
            out += (next == 'n' || next == 'N') ? '\n' : next;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The components of a structured value, split at ";" that is not escaped.
std::vector<std::string> components(std::string_view text) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && text[i] == '\\') {
            ++i;
            continue;
        }
        if (i == text.size() || text[i] == ';') {
            out.push_back(unescape(text.substr(start, i - start)));
            start = i + 1;
        }
    }
    return out;
}

// The first piece of a list value (NICKNAME may list several), split at a "," not escaped.
std::string firstListPiece(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\') {
            ++i;
            continue;
        }
        if (text[i] == ',') return unescape(text.substr(0, i));
    }
    return unescape(text);
}

bool parseContentLine(std::string_view line, ContentLine& out) {
    bool quoted = false;
    std::size_t colon = std::string_view::npos;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == ':' && !quoted) {
            colon = i;
            break;
        }
    }
    if (colon == std::string_view::npos) return false;
    std::string_view head = line.substr(0, colon);
    out.value = std::string(line.substr(colon + 1));
    out.params.clear();
    std::size_t semi = head.find(';');
    std::string_view name = head.substr(0, semi);
    if (std::size_t dot = name.rfind('.'); dot != std::string_view::npos)
        name.remove_prefix(dot + 1);
    out.name = toUpperAscii(name);
    out.quotedPrintable = false;
    out.charset.clear();
    while (semi != std::string_view::npos) {
        const std::size_t next = head.find(';', semi + 1);
        std::string param(head.substr(
            semi + 1, next == std::string_view::npos ? std::string_view::npos : next - semi - 1));
        const std::string upper = toUpperAscii(param);
        if (upper == "QUOTED-PRINTABLE" || upper == "ENCODING=QUOTED-PRINTABLE")
            out.quotedPrintable = true;
        if (upper.rfind("CHARSET=", 0) == 0) out.charset = mime::TrimQuotes(param.substr(8));
        out.params.push_back(upper);
        semi = next;
    }
    return true;
}

struct Card {
    TEmailAddress* item = nullptr;
    std::string uid;
    bool group = false;
    std::vector<std::string> members;
    std::vector<std::string> memberLines;  // this program's own exports: the exact lines
};

bool containsNoCase(std::string_view text, std::string_view word) {
    for (std::size_t i = 0; i + word.size() <= text.size(); ++i)
        if (startsWithNoCase(text.substr(i), word)) return true;
    return false;
}

std::string memberKey(std::string_view value) {
    std::string key = toLowerAscii(trimmed(value));
    if (key.rfind("urn:uuid:", 0) == 0) key.erase(0, 9);
    return key;
}

}  // namespace

void readVCard(std::string_view bytes, TAddressBook& book, TOutlookAddressBooks& owner) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Physical lines, then logical ones: a line that starts with a blank or a tab continues the
    // one before it; a quoted-printable value that ends in "=" continues on the next line.
    std::vector<std::string_view> physical;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        physical.push_back(bytes.substr(start, end - start));
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;
    }
    std::vector<std::string> logical;
    for (std::size_t i = 0; i < physical.size(); ++i) {
        std::string_view line = physical[i];
        if (!line.empty() && (line[0] == ' ' || line[0] == '\t') && !logical.empty()) {
            logical.back().append(line.substr(1));
            continue;
        }
        std::string joined(line);
        const std::string_view head = std::string_view(joined).substr(0, joined.find(':'));
        if (head.size() >= 16 && containsNoCase(head, "QUOTED-PRINTABLE"))
            while (!joined.empty() && joined.back() == '=' && i + 1 < physical.size()) {
                joined.pop_back();
                joined.append(physical[++i]);
            }
        logical.push_back(std::move(joined));
    }

    std::vector<Card> cards;
    std::map<std::string, std::size_t> byUid;
    Card* card = nullptr;
    std::string lastName, firstName, middleName, prefix, suffix;
    ContentLine cl;
    for (const std::string& line : logical) {
        if (!parseContentLine(line, cl)) continue;
        if (cl.name == "BEGIN" && equalsNoCase(trimmed(cl.value), "VCARD")) {
            cards.push_back({});
            card = &cards.back();
            card->item = &owner.newAddress("", "");
            continue;
        }
        if (!card) continue;
        // The books keep UTF-8: a value in a CHARSET of its own, or in the ANSI code page of
        // an older program, is converted.
        std::string value = mime::toUtf8(
            cl.quotedPrintable ? decodeQuotedPrintable(cl.value) : cl.value, cl.charset);
        TEmailAddress& item = *card->item;
        if (cl.name == "END") {
            card = nullptr;
        } else if (cl.name == "FN") {
            item.Properties(kDisplayName) = unescape(value);
        } else if (cl.name == "N") {
            std::vector<std::string> parts = components(value);
            parts.resize(5);
            item.Properties(kLastName) = parts[0];
            item.Properties(kFirstName) = parts[1];
            item.Properties(kMiddleName) = parts[2];
            item.Properties(kNameTitle) = parts[3];
            item.Properties(kNameSuffix) = parts[4];
        } else if (cl.name == "NICKNAME") {
            item.Properties(kNickName) = firstListPiece(value);
        } else if (cl.name == "EMAIL") {
            std::string address(trimmed(unescape(value)));
            if (address.rfind("mailto:", 0) == 0) address.erase(0, 7);
            if (address.empty()) continue;
            if (item.address().empty())
                item.Properties(kAddress) = address;
            else
                item.moreAddresses.push_back(address);
            item.Properties(kAddrType) = "SMTP";
        } else if (cl.name == "ORG") {
            std::vector<std::string> parts = components(value);
            parts.resize(2);
            item.Properties(kCompanyName) = parts[0];
            item.Properties(kDepartment) = parts[1];
        } else if (cl.name == "TITLE") {
            item.Properties(kTitle) = unescape(value);
        } else if (cl.name == "UID") {
            card->uid = memberKey(value);
        } else if ((cl.name == "KIND" || cl.name == "X-ADDRESSBOOKSERVER-KIND") &&
                   equalsNoCase(trimmed(value), "group")) {
            card->group = true;
        } else if (cl.name == "MEMBER" || cl.name == "X-ADDRESSBOOKSERVER-MEMBER") {
            card->members.push_back(std::string(trimmed(value)));
        } else if (cl.name == "X-VELMORA-MEMBER") {
            card->memberLines.push_back(unescape(value));
        } else if (cl.name == "NOTE") {
            for (std::string& note : splitLines(unescape(value)))
                item.notes.push_back(std::move(note));
        } else if (cl.name == "X-VELMORA-LIST-FROM") {
            item.listFrom = unescape(value);
        } else if (cl.name == "X-VELMORA-LIST-TO") {
            item.listTo = unescape(value);
        } else if (cl.name == "X-VELMORA-LIST-REPLY-TO") {
            item.listReplyTo = unescape(value);
        }
    }

    // Groups become distribution lists; members are found by UID through an index, or are
    // mailto: addresses of their own.
    for (std::size_t i = 0; i < cards.size(); ++i) {
        Card& c = cards[i];
        TEmailAddress& item = *c.item;
        if (item.displayName().empty()) {
            std::string name;
            for (int p : {kFirstName, kMiddleName, kLastName}) {
                if (item.Properties(p).empty()) continue;
                if (!name.empty()) name += ' ';
                name += item.Properties(p);
            }
            item.Properties(kDisplayName) = name.empty() ? item.address() : name;
        }
        if (c.group) {
            TDistributionList& list = owner.newList(item.displayName());
            for (int p = 0; p < kPropertyCount; ++p) list.Properties(p) = item.Properties(p);
            list.notes = item.notes;
            list.listFrom = item.listFrom;
            list.listTo = item.listTo;
            list.listReplyTo = item.listReplyTo;
            c.item = &list;
        }
        if (!c.uid.empty()) byUid.emplace(c.uid, i);
    }
    for (Card& c : cards) {
        if (c.group) {
            auto& list = static_cast<TDistributionList&>(*c.item);
            for (const std::string& line : c.memberLines)
                list.members().add(owner.newAddress(line, line));
            if (!c.memberLines.empty()) c.members.clear();
            for (const std::string& member : c.members) {
                if (member.size() > 7 && equalsNoCase(member.substr(0, 7), "mailto:")) {
                    std::string address = member.substr(7);
                    list.members().add(owner.newAddress(address, address));
                    continue;
                }
                auto found = byUid.find(memberKey(member));
                if (found == byUid.end()) continue;  // a member this file does not hold
                TEmailAddress& target = *cards[found->second].item;
                if (&target != c.item && !list.members().contains(target))
                    list.members().add(target);
            }
        }
        if (c.item->displayName().empty() && c.item->address().empty() && !c.group) continue;
        book.add(*c.item);
    }
}

}  // namespace velmora::addressbook
