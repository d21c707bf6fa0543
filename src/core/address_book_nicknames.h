// The compose windows' view of the address books (compose::NicknameBook over the address book
// module): the entries of the first book for the window's list, and nickname lookups in every
// book, read from the home folder's book files each time, so a book saved on the Address Books
// page is seen at once.
#pragma once

#include <filesystem>
#include <optional>

#include "addressbook/address_books.h"
#include "compose/nickname_book.h"

namespace velmora::core {

class AddressBookNicknames final : public compose::NicknameBook {
public:
    explicit AddressBookNicknames(std::filesystem::path home) : books_(std::move(home)) {}

    std::vector<compose::AddressBookEntry> entries() const override;
    const compose::AddressBookEntry* findNickname(std::string_view nickName) const override;

private:
    mutable addressbook::AddressBooks books_;
    mutable std::optional<compose::AddressBookEntry> found_;
};

// An address book entry as the compose window takes it.
compose::AddressBookEntry composeEntry(const addressbook::TEmailNameObjListView& entry);

}  // namespace velmora::core
