// What the compose window needs of the address books: the books, the entries of the book shown
// in its address-book list, its "Address Boo&ks" sub-menu, and the nickname lookup of the
// address fields. The main window implements it over the address books; tests use a small fake.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/menu.h"

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
    // The entries of the book selected on the Address Books page, in list order.
    virtual std::vector<AddressBookEntry> entries() const = 0;
    // That book's name ("" when there is none).
    virtual std::string selectedBook() const { return {}; }
    // The entries of the book `name` (the selected one with its unsaved changes); none for a
    // book that is not listed.
    virtual std::vector<AddressBookEntry> bookEntries(const std::string& name) const {
        return name == selectedBook() ? entries() : std::vector<AddressBookEntry>{};
    }
    // Is `name` one of the books?
    virtual bool hasBook(const std::string& name) const { return name == selectedBook(); }
    // The sub-menu of the books, `checked` checked, each entry choosing its book; entry names
    // are `namePrefix` and the position.
    virtual platform::Menu bookChoiceMenu(
        const std::string& /*namePrefix*/, const std::string& /*checked*/,
        const std::function<void(const std::string&)>& /*choose*/) const {
        return {};
    }
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
