#include "core/compose_address_book.h"

#include "base/text.h"

namespace velmora::core {

namespace {

compose::AddressBookEntry composeEntryOf(const addressbook::TEmailNameObjListView& entry) {
    compose::AddressBookEntry out;
    out.nickName = entry.nickname;
    out.fullName = entry.fullName;
    out.addresses = entry.addresses;
    out.mailingList = entry.isMailingList;
    out.listFrom = entry.listFrom;
    out.listTo = entry.listTo;
    out.listReplyTo = entry.listReplyTo;
    return out;
}

}  // namespace

std::vector<compose::AddressBookEntry> ComposeAddressBook::entries() const {
    std::vector<compose::AddressBookEntry> out;
    out.reserve(books_.entries().size());
    for (const auto& entry : books_.entries()) out.push_back(composeEntryOf(entry));
    return out;
}

const compose::AddressBookEntry* ComposeAddressBook::findNickname(std::string_view nickName) const {
    const std::string_view wanted = trimmed(nickName);
    if (wanted.empty()) return nullptr;
    const auto match = books_.findNickname(wanted);
    if (!match) return nullptr;
    found_ = composeEntryOf(match->entry);
    return &*found_;
}

}  // namespace velmora::core
