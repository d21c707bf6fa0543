#include "addressbook/print_layout.h"

#include "base/identity.h"

namespace velmora::addressbook {

std::vector<std::string> entryPrintLines(const std::vector<TEmailNameObjListView>& entries) {
    std::vector<std::string> lines;
    for (const TEmailNameObjListView& e : entries) {
        if (e.isMailingList)
            lines.push_back("Start Mailing List Entry ------------------------------");
        lines.push_back("                Name: " + e.fullName);
        lines.push_back("            Nickname: " + e.nickname);
        if (e.addresses.size() == 1) {
            lines.push_back("       Email Address: " + e.addresses.front());
        } else if (!e.addresses.empty()) {
            lines.push_back("     Email Addresses: " + e.addresses.front());
            for (std::size_t i = 1; i < e.addresses.size(); ++i)
                lines.push_back(std::string(22, ' ') + e.addresses[i]);
        }
        if (!e.notes.empty()) {
            lines.push_back("               Notes:");
            lines.insert(lines.end(), e.notes.begin(), e.notes.end());
        }
        if (e.isMailingList) {
            lines.push_back("   Mailing List From: " + e.listFrom);
            lines.push_back("     Mailing List To: " + e.listTo);
            lines.push_back("Mailing List ReplyTo: " + e.listReplyTo);
            lines.push_back("End Mailing List Entry --------------------------------");
        }
        lines.push_back(" ");
    }
    return lines;
}

PrintJob entryPrintJob(const std::string& book, const std::vector<TEmailNameObjListView>& entries,
                       const platform::LocalTime& now) {
    PrintJob job;
    job.title = "Address Book: " + book;
    job.rightHeader = platform::printDateTime(now);
    job.fontSize = 9;
    job.footer = std::string(kProductName) + " Version " + kVersion;
    job.lines = entryPrintLines(entries);
    return job;
}

}  // namespace velmora::addressbook
