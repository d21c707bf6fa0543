// The LDIF reader TNSAB.
#include <map>
#include <string>
#include <vector>

#include "addressbook/import/readers.h"
#include "base/text.h"
#include "mime/base64.h"
#include "mime/errors.h"

namespace velmora::addressbook {

namespace {

struct Attribute {
    const char* name;
    int property;
};
constexpr Attribute kAttributes[] = {
    {"givenname", kFirstName},
    {"sn", kLastName},
    {"xmozillanickname", kNickName},
    {"mozillanickname", kNickName},
    {"title", kTitle},
    {"o", kCompanyName},
    {"ou", kDepartment},
    {"mail", kAddress},
    {"cn", kDisplayName},
};

std::string dnKey(std::string_view dn) {
    return toLowerAscii(trimmed(dn));
}

}  // namespace

std::vector<std::string> TNSAB::Record::values(std::string_view name) const {
    std::vector<std::string> out;
    for (const auto& [n, v] : attributes)
        if (n == name) out.push_back(v);
    return out;
}

std::string TNSAB::Record::value(std::string_view name) const {
    for (const auto& [n, v] : attributes)
        if (n == name) return v;
    return {};
}

TNSAB::TNSAB(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    // Logical lines: a line that starts with one blank continues the one before it.
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end;
        if (start < bytes.size() && bytes[start] == '\r') ++start;
        if (start < bytes.size() && bytes[start] == '\n') ++start;
        if (!line.empty() && line[0] == ' ' && !lines.empty())
            lines.back().append(line.substr(1));
        else
            lines.emplace_back(line);
    }
    Record* current = nullptr;
    for (const std::string& line : lines) {
        if (line.empty() || line[0] == '#') continue;
        const std::size_t colon = line.find(':');
        if (colon == std::string::npos || colon == 0) continue;
        std::string name = toLowerAscii(line.substr(0, colon));
        std::string_view rest = std::string_view(line).substr(colon + 1);
        std::string value;
        if (!rest.empty() && rest[0] == ':') {
            try {
                value = mime::decodeBase64Line(trimmed(rest.substr(1)));
            } catch (const mime::EMailError&) {
                continue;  // a damaged value is left out, the record stays
            }
        } else if (!rest.empty() && rest[0] == '<') {
            continue;  // a value by URL is not fetched
        } else {
            value = std::string(trimmed(rest));
        }
        if (name == "dn") {
            records_.emplace_back();
            current = &records_.back();
        }
        if (current) current->attributes.emplace_back(std::move(name), std::move(value));
    }
}

void TNSAB::read(TAddressBook& book, TOutlookAddressBooks& owner) {
    std::map<std::string, TEmailAddress*> people;
    std::map<std::string, TDistributionList*> groups;
    std::vector<std::pair<const Record*, TDistributionList*>> groupRecords;
    for (const Record& record : records_) {
        const std::vector<std::string> classes = record.values("objectclass");
        if (classes.size() < 2) continue;
        TEmailAddress* item = nullptr;
        if (classes[1] == "person") {
            item = &owner.newAddress("", "");
            people.emplace(dnKey(record.value("dn")), item);
        } else if (classes[1] == "groupOfNames") {
            TDistributionList& list = owner.newList("");
            item = &list;
            groups.emplace(dnKey(record.value("dn")), &list);
            groupRecords.emplace_back(&record, &list);
        } else {
            continue;
        }
        for (const Attribute& a : kAttributes)
            if (item->Properties(a.property).empty())
                item->Properties(a.property) = record.value(a.name);
        std::vector<std::string> second = record.values("mozillasecondemail");
        for (std::string& s : second)
            if (!s.empty()) item->moreAddresses.push_back(std::move(s));
        book.add(*item);
    }
    for (auto& [record, list] : groupRecords) {
        for (const std::string& member : record->values("member")) {
            const std::string key = dnKey(member);
            TEmailAddress* target = nullptr;
            if (auto p = people.find(key); p != people.end())
                target = p->second;
            else if (auto g = groups.find(key); g != groups.end())
                target = g->second;
            if (target && target != list && !list->members().contains(*target))
                list->members().add(*target);
        }
    }
}

}  // namespace velmora::addressbook
