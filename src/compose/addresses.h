// The address fields of the compose window: splitting a comma-separated field into entries,
// expanding nicknames from the address book, the format check before sending or filing, and the
// guards that keep a typed line break or angle bracket out of header lines and SMTP commands.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compose/nickname_book.h"

namespace velmora::compose {

inline constexpr const char* kUnknownAddress = "<unknown address>";

// A one-line field's text with every CR, LF and NUL turned into a blank, so that nothing typed
// or stored can start a header line of its own.
std::string oneLine(std::string_view text);

// Splits a plain address field at commas outside quotes. A double quote opens a quoted part
// anywhere, a single quote only at the start of an entry (so "o'brien@x.com, pat@x.com" stays
// two entries); the same quote character closes it, and a quote that is never closed quotes
// nothing. Blanks at the start of an entry are dropped, the others kept; the last entry is
// always added, even when empty.
std::vector<std::string> splitAddressEntries(std::string_view text);

// The texts an address-book entry contributes to a field, one per address: "full name
// <address>", the address alone without a full name, "full name <unknown address>" or
// "<unknown address>" when the address is empty.
std::vector<std::string> entryAddressTexts(const AddressBookEntry& entry);

// Leaving a plain field: the text trimmed and stripped of trailing commas, split into entries;
// an entry with "@" stays, any other is looked up as a nickname and replaced by its entry's
// texts (kept as typed when not found). The results joined with ", ".
std::string expandAddressField(std::string_view text, const NicknameBook& book);

// The list page of a plain field: its entries (split as above), blanks trimmed, empty ones
// dropped.
std::vector<std::string> addressLines(std::string_view plain);
// The plain field of a list page: its non-empty lines joined with ", ".
std::string joinAddressLines(const std::vector<std::string>& lines);

// The format check of the To, CC and BCC lists, in that order: a line is bad unless it holds
// both "@" and ".". The first bad line, or nullopt when all are good.
struct BadAddress {
    int list = 0;  // 0 To, 1 CC, 2 BCC
    int line = 0;
};
std::optional<BadAddress> checkAddressLists(const std::vector<std::string>& to,
                                            const std::vector<std::string>& cc,
                                            const std::vector<std::string>& bcc);
inline constexpr const char* kBadAddressText =
    "Bad address format found at highlighted cursor position.";

// May `address` (already taken apart by the address parser) go into MAIL FROM or RCPT TO?
// Not when it holds CR, LF, NUL, "<" or ">": such a text would end the command early or add
// one of its own.
bool isSafeEnvelopeAddress(std::string_view address);

// The mail domain of an address text for MX verification: the text after the last "@" of the
// parsed address; "" without one.
std::string mailDomain(std::string_view addressText);

}  // namespace velmora::compose
