// The readers of other programs' address-book exports, each filling one book of the import
// model. They read bytes from outside and trust none of them: every index is checked, nothing is
// read past the end, and a damaged record is skipped rather than ending the reading.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "addressbook/import/import_model.h"

namespace velmora::addressbook {

// A CSV export (Outlook, Thunderbird, Google and the like): columns found by their header names
// without case, RFC 4180 quoting with doubled quotes and line breaks inside quoted fields, the
// separator (comma, semicolon or tab) taken from the header line, a UTF-8 byte-order mark
// skipped. Rows without any address or name are skipped.
void readCsv(std::string_view bytes, TAddressBook& book, TOutlookAddressBooks& owner);

// vCard 2.1, 3.0 and 4.0: folded lines, QUOTED-PRINTABLE values with soft line breaks, escaped
// "\n", "\,", "\;" and "\\", several EMAIL lines, and groups (KIND:group or
// X-ADDRESSBOOKSERVER-KIND:group) whose MEMBER lines name cards by UID or give a mailto: address.
void readVCard(std::string_view bytes, TAddressBook& book, TOutlookAddressBooks& owner);

// The LDIF reader of browser address-book exports. Records start at "dn:" lines; folded lines are
// joined and base64 values ("name:: ...") decoded. The second "objectclass" value decides: a
// "person" becomes an address, a "groupOfNames" a distribution list whose "member" values are
// looked up by dn (without case, through an index).
class TNSAB {
  public:
    explicit TNSAB(std::string_view bytes);
    void read(TAddressBook& book, TOutlookAddressBooks& owner);

    struct Record {
        std::vector<std::pair<std::string, std::string>> attributes;  // names lower-cased
        // The values of one attribute in order.
        std::vector<std::string> values(std::string_view name) const;
        std::string value(std::string_view name) const;
    };
    const std::vector<Record>& records() const { return records_; }

  private:
    std::vector<Record> records_;
};

// A nickname file: "alias NAME VALUE" lines and "note NAME <key:value>..." lines. The value is
// split at commas outside quotes and angle brackets, each piece trimmed: no piece gives an
// address without address, one an address, several a distribution list of them.
void readNicknameFile(std::string_view bytes, TAddressBook& book, TOutlookAddressBooks& owner);
// The folder of nickname files: "NNdbase.txt" as the sub-book "Eudora Nicknames", then every
// "*.txt" of its "Nickname" sub-folder (by name) as a sub-book named after the file; a folder
// with neither gives one sub-book per "*.txt" file in it. An unreadable file gives an empty
// sub-book.
void readNicknameFolder(const std::filesystem::path& folder, TAddressBook& book,
                        TOutlookAddressBooks& owner);

// Splits at `separator` outside double quotes and angle brackets; pieces trimmed, empty ones
// dropped.
std::vector<std::string> splitOutsideQuotes(std::string_view text, char separator);

}  // namespace velmora::addressbook
