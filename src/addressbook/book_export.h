// Exporting entries for other programs: vCard 4.0 (one card per entry; a mailing list is a
// KIND:group card with a MEMBER per member and its exact lines kept in X-VELMORA-MEMBER) and
// CSV (RFC 4180, every field quoted, the columns the CSV importer reads back).
#pragma once

#include <string>
#include <vector>

#include "addressbook/entry.h"

namespace velmora::addressbook {

std::string exportVCard(const std::vector<TEmailNameObjListView>& entries);
std::string exportCsv(const std::vector<TEmailNameObjListView>& entries);

}  // namespace velmora::addressbook
