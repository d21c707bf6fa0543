#include "addressbook/import/import_rules.h"

namespace velmora::addressbook {

namespace {

void fillNames(const TEmailAddress& item, TEmailNameObjListView& entry) {
    entry.fullName = quoteCommaName(item.displayName().empty() ? std::string(kNoFullNameImported)
                                                               : item.displayName());
    entry.nickname =
        item.Properties(kNickName).empty() ? std::string(kNoNickname) : item.Properties(kNickName);
    entry.notes = item.notes;
    entry.listFrom = item.listFrom;
    entry.listTo = item.listTo;
    entry.listReplyTo = item.listReplyTo;
}

}  // namespace

TEmailNameObjListView entryOfAddress(const TEmailAddress& item) {
    TEmailNameObjListView entry;
    fillNames(item, entry);
    if (!item.address().empty()) entry.addresses.push_back(item.address());
    for (const std::string& more : item.moreAddresses) entry.addresses.push_back(more);
    return entry;
}

TEmailNameObjListView entryOfList(const TDistributionList& list) {
    TEmailNameObjListView entry;
    fillNames(list, entry);
    for (const TEmailAddress* member : list.members().items())
        entry.addresses.push_back(member->address());
    entry.isMailingList = true;
    if (entry.listTo.empty()) entry.listTo = kListToPlaceholder;
    return entry;
}

ImportedEntries entriesOfBook(const TAddressBook& book) {
    ImportedEntries out;
    for (const TEmailAddress* item : book.items()) {
        if (item->kind() == TEmailAddress::DistributionList) {
            out.entries.push_back(entryOfList(static_cast<const TDistributionList&>(*item)));
            ++out.lists;
        } else {
            out.entries.push_back(entryOfAddress(*item));
            ++out.addresses;
        }
    }
    return out;
}

ImportedEntries entriesOfList(const TDistributionList& list) {
    ImportedEntries out;
    out.entries.push_back(entryOfList(list));
    out.lists = 1;
    return out;
}

namespace {
void appendBook(const TAddressBook& book, ImportedEntries& out, int depth) {
    ImportedEntries own = entriesOfBook(book);
    out.entries.insert(out.entries.end(), own.entries.begin(), own.entries.end());
    out.addresses += own.addresses;
    out.lists += own.lists;
    if (depth >= 32) return;  // sub-books are a tree the readers build, never this deep
    for (int i = 0; i < book.subBookCount(); ++i) appendBook(book.subBook(i), out, depth + 1);
}
}  // namespace

ImportedEntries entriesOfAll(const TOutlookAddressBooks& reader) {
    ImportedEntries out;
    for (int i = 0; i < reader.BookCount(); ++i) appendBook(reader.Books(i), out, 0);
    return out;
}

std::string importSummary(int addresses, int lists) {
    return std::to_string(addresses) + " regular email address(es) imported.\r\r" +
           std::to_string(lists) + " distribution email address(es) imported.";
}

}  // namespace velmora::addressbook
