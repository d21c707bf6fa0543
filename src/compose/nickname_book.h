// What the compose window needs of the address books: the entries of the book shown in its
// address-book list, and the nickname lookup of the address fields. The address book module
// implements it over its books; tests use a small fake.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora::compose {

struct AddressBookEntry {
    std::string nickName;
    std::string fullName;
    std::vector<std::string> addresses;  // an entry's address lines, or a mailing list's members
    bool mailingList = false;
    // A mailing list's own From, To and Reply-To addresses (empty when not set).
    std::string listFrom;
    std::string listTo;
    std::string listReplyTo;
};

class NicknameBook {
  public:
    virtual ~NicknameBook() = default;
    // The entries of the chosen book, in list order.
    virtual std::vector<AddressBookEntry> entries() const = 0;
    // The entry whose nickname equals `nickName` without regard to case and surrounding
    // blanks; nullptr when there is none. The pointer stays valid until the book changes.
    virtual const AddressBookEntry* findNickname(std::string_view nickName) const = 0;
};

// A book with no entries, for windows opened while no address book is available.
class EmptyNicknameBook final : public NicknameBook {
  public:
    std::vector<AddressBookEntry> entries() const override { return {}; }
    const AddressBookEntry* findNickname(std::string_view) const override { return nullptr; }
};

}  // namespace velmora::compose
