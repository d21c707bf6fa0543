// The address books as the compose windows see them: the loaded book's entries for the window's
// address-book list, and nickname lookups over every book (the loaded one first, with its
// unsaved changes).
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "addressbook/address_books.h"
#include "compose/nickname_book.h"

namespace velmora::core {

class ComposeAddressBook final : public compose::NicknameBook {
public:
    explicit ComposeAddressBook(const addressbook::AddressBooks& books) : books_(books) {}

    std::vector<compose::AddressBookEntry> entries() const override;
    // The pointer stays valid until the next lookup.
    const compose::AddressBookEntry* findNickname(std::string_view nickName) const override;

private:
    const addressbook::AddressBooks& books_;
    mutable std::optional<compose::AddressBookEntry> found_;
};

}  // namespace velmora::core
