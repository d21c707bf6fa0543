#include "core/address_book_nicknames.h"

namespace velmora::core {

compose::AddressBookEntry composeEntry(const addressbook::TEmailNameObjListView& entry) {
    compose::AddressBookEntry e;
    e.nickName = entry.nickname;
    e.fullName = entry.fullName;
    e.addresses = entry.addresses;
    e.mailingList = entry.isMailingList;
    e.listFrom = entry.listFrom;
    e.listTo = entry.listTo;
    e.listReplyTo = entry.listReplyTo;
    return e;
}

std::vector<compose::AddressBookEntry> AddressBookNicknames::entries() const {
    books_.readList();
    std::vector<compose::AddressBookEntry> list;
    if (books_.books().empty()) return list;
    const auto read = books_.readBook(books_.books().front().name);
    for (const auto& entry : read.entries) list.push_back(composeEntry(entry));
    return list;
}

const compose::AddressBookEntry* AddressBookNicknames::findNickname(std::string_view nickName) const {
    books_.readList();
    const auto match = books_.findNickname(nickName);
    if (!match) return nullptr;
    found_ = composeEntry(match->entry);
    return &*found_;
}

}  // namespace velmora::core
