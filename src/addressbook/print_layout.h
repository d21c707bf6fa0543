// The printed form of address-book entries as plain text, for the print layer: the page title,
// the right header with the date and time, the footer, and the lines of each entry.
#pragma once

#include <string>
#include <vector>

#include "addressbook/entry.h"
#include "platform/printing.h"

namespace velmora::addressbook {

using platform::PrintJob;

// The lines of the entries in the print layout (a line of one blank after each entry).
std::vector<std::string> entryPrintLines(const std::vector<TEmailNameObjListView>& entries);
PrintJob entryPrintJob(const std::string& book, const std::vector<TEmailNameObjListView>& entries,
                       const platform::LocalTime& now);

}  // namespace velmora::addressbook
