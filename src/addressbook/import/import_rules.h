// What importing a book or a distribution list of the import model adds to the loaded address
// book: one entry per address item, one mailing-list entry per distribution list.
#pragma once

#include <string>
#include <vector>

#include "addressbook/entry.h"
#include "addressbook/import/import_model.h"

namespace velmora::addressbook {

// The "To:" address of an imported or harvested mailing list until the user gives one.
inline constexpr const char* kListToPlaceholder = "????????@????????.???";
inline constexpr const char* kNoFullNameImported = "NO FULLNAME";

struct ImportedEntries {
    std::vector<TEmailNameObjListView> entries;
    int addresses = 0;  // regular entries
    int lists = 0;      // mailing lists
};

// An address item: its display name (or "NO FULLNAME"), nickname (or "NO NICKNAME"), its
// address when it has one and any further addresses.
TEmailNameObjListView entryOfAddress(const TEmailAddress& item);
// A distribution list: one line per member holding the member's address (an empty line for a
// member without one); a list without its own "To:" address gets kListToPlaceholder.
TEmailNameObjListView entryOfList(const TDistributionList& list);

// The book's own items (not those of its sub-books), in order.
ImportedEntries entriesOfBook(const TAddressBook& book);
ImportedEntries entriesOfList(const TDistributionList& list);

// Everything the reader read: every top-level book's items, then its sub-books' (depth first).
ImportedEntries entriesOfAll(const TOutlookAddressBooks& reader);

// "n regular email address(es) imported.\r\rm distribution email address(es) imported."
std::string importSummary(int addresses, int lists);

}  // namespace velmora::addressbook
