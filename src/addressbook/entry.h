// The address-book entry: a person or a mailing list with a full name, a nickname, one address
// (or list member) per line, free notes and the three mailing-list header addresses. The entry
// clipboard and the compose windows hold copies of the same record.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::addressbook {

struct TEmailNameObjListView {
    std::string fullName;  // a name containing a comma is held in double quotes
    std::string nickname;
    std::vector<std::string> addresses;  // a mailing list: one member per line
    std::vector<std::string> notes;
    bool isMailingList = false;
    std::string listFrom;
    std::string listTo;
    std::string listReplyTo;

    // Line counts as the book file writes them; always taken from the lists, never stored
    // apart, so a stale count can never misalign the entries that follow.
    int addressCount() const { return static_cast<int>(addresses.size()); }
    int noteCount() const { return static_cast<int>(notes.size()); }

    bool operator==(const TEmailNameObjListView&) const = default;
};
using TClipEmailNameObjListView = TEmailNameObjListView;
using TComposeEmailNameObjListView = TEmailNameObjListView;

// Placeholders of an entry made by "Add".
inline constexpr const char* kEnterFullName = "Enter Full Name";
inline constexpr const char* kEnterNickname = "Enter Nickname";
inline constexpr const char* kEnterAddress = "Enter email address";
inline constexpr const char* kNoFullName = "NO FULL NAME";
inline constexpr const char* kNoNickname = "NO NICKNAME";

// A name that contains a comma and no double quote, wrapped in double quotes; others unchanged.
std::string quoteCommaName(std::string_view name);
// A name that contains a comma, without any double quote; others unchanged.
std::string unquoteCommaName(std::string_view name);

// True for an entry that holds nothing worth keeping: no address and no note text.
bool isUntouchedTemplate(const TEmailNameObjListView& entry);

// The first address line, or "" when there is none.
std::string firstAddress(const TEmailNameObjListView& entry);

}  // namespace velmora::addressbook
