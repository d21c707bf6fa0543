// The printed form of address-book entries as plain text, for the print layer: the page title,
// the right header with the date and time, the footer, and the lines of each entry.
#pragma once

#include <string>
#include <vector>

#include "addressbook/entry.h"
#include "platform/events.h"

namespace velmora::addressbook {

struct PrintJob {
    std::string title;        // "Address Book: " and the book name
    std::string rightHeader;  // "mm/dd/yyyy hh:mm AM/PM"
    std::string footer;       // product name, " Version " and the version
    std::string fontName = "Courier New";
    int fontSize = 9;
    std::vector<std::string> lines;
};

// The lines of the entries in the print layout (a line of one blank after each entry).
std::vector<std::string> entryPrintLines(const std::vector<TEmailNameObjListView>& entries);
// "12/10/2026 09:30 AM".
std::string printDateTime(const platform::LocalTime& now);
PrintJob entryPrintJob(const std::string& book, const std::vector<TEmailNameObjListView>& entries,
                       const platform::LocalTime& now);

}  // namespace velmora::addressbook
