// Adding a sender, harvesting addresses from messages, build mode, locating a source record and
// the File menu backups.
#include <algorithm>

#include "addressbook/address_book_page.h"
#include "addressbook/book_file.h"
#include "addressbook/book_names.h"
#include "addressbook/import/import_rules.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"

namespace velmora::addressbook {

namespace {

constexpr const char* kUnknownAddress = "<unknown address>";
constexpr const char* kNewMailingList = "New Mailing List";

// The nickname made from a sender's full name: the first word, or for "last, first" the first
// name; "NO NICKNAME" for a sender without a name.
std::string senderNickname(const std::string& fullName) {
    if (fullName == kNoFullName) return kNoNickname;
    std::string nick;
    if (fullName.find(' ') == std::string::npos) {
        nick = fullName;
    } else if (const std::size_t comma = fullName.find(','); comma == std::string::npos) {
        nick = fullName.substr(0, fullName.find(' '));
    } else {
        std::size_t start = comma + 1;
        if (start < fullName.size() && fullName[start] == ' ') ++start;
        nick = start < fullName.size() ? fullName.substr(start) : std::string();
        if (!nick.empty() && nick.back() == '"') nick.pop_back();
        if (trimmed(nick).empty()) nick = unquoteCommaName(fullName);
    }
    return toLowerAscii(nick);
}

}  // namespace

bool AddressBooksPage::prepareTarget(const std::string& book) {
    if (books_.isLoaded(book)) {
        storeEntry();
        return true;
    }
    if (!books_.contains(book)) {
        platform_.system.beep();
        info("Address Book '" + book + "' was not found.");
        return false;
    }
    return selectBook(book);
}

void AddressBooksPage::addSender(const std::string& book, const mime::TmsMailAddress& sender) {
    if (!prepareTarget(book)) return;
    std::string fullName(trimmed(sender.Name()));
    if (fullName.empty() || fullName == "<>") fullName = kNoFullName;
    fullName = quoteCommaName(fullName);
    std::string address(trimmed(sender.Address()));
    if (address.empty() || address == "<>") address = kUnknownAddress;

    for (int i = 0; i < rowCount(); ++i) {
        const TEmailNameObjListView& e = row(i);
        if (e.fullName != fullName || !equalsNoCase(firstAddress(e), address)) continue;
        platform_.system.beep();
        info(fullName.substr(0, 32) + " is already in [" + book.substr(0, 32) + "] address book!");
        selectOnly(i);
        return;
    }
    TEmailNameObjListView entry;
    entry.fullName = fullName;
    entry.nickname = senderNickname(fullName);
    entry.addresses = {address};
    selectOnly(appendEntry(std::move(entry)));
    sortEntries();
    selection_ = {current_};
    changed();
    if (!saveLoadedBook()) return;
    platform_.system.beep();
    info(fullName + " <" + address + "> was added to [" + book.substr(0, 42) + "] address book!" +
         "\r" + "There are now " + std::to_string(rowCount()) + " entries in this address book");
    tellBooksChanged();
}

void AddressBooksPage::harvestSendersAsList(const std::string& book,
                                            const std::vector<std::string>& senderAddresses) {
    if (!prepareTarget(book)) return;
    TEmailNameObjListView list;
    list.fullName = kNewMailingList;
    list.nickname = kNoNickname;
    list.isMailingList = true;
    list.listTo = kListToPlaceholder;
    for (const std::string& address : senderAddresses)
        list.addresses.emplace_back(trimmed(address));
    appendEntry(std::move(list));
    changed();
    if (!saveLoadedBook()) return;
    selectOnly(0);
    platform_.system.beep();
    info("Sender Mailing List Successfully Built.\rPress F9 To Display Mailing List Entries.");
    tellBooksChanged();
}

void AddressBooksPage::harvestRecipientsAsList(const std::string& book,
                                               const mime::TmsAddressList& to,
                                               const mime::TmsAddressList& cc) {
    if (!prepareTarget(book)) return;
    TEmailNameObjListView list;
    list.fullName = kNewMailingList;
    list.nickname = kNoNickname;
    list.isMailingList = true;
    list.listTo = kListToPlaceholder;
    for (const auto* recipients : {&to, &cc})
        for (const mime::TmsMailAddress& r : *recipients) list.addresses.push_back(r.Address());
    appendEntry(std::move(list));
    changed();
    if (!saveLoadedBook()) return;
    selectOnly(0);
    platform_.system.beep();
    info(
        "Recipients As Mailing List Successfully Built.\rPress F9 To Display Mailing List "
        "Entries.");
    tellBooksChanged();
}

void AddressBooksPage::harvestRecipientsAsEntries(const std::string& book,
                                                  const mime::TmsAddressList& to,
                                                  const mime::TmsAddressList& cc) {
    if (!prepareTarget(book)) return;
    for (const auto* recipients : {&to, &cc}) {
        for (const mime::TmsMailAddress& r : *recipients) {
            TEmailNameObjListView entry;
            const std::string name(trimmed(r.Name()));
            entry.fullName = quoteCommaName(name.empty() ? std::string(kNoFullName) : name);
            entry.nickname = kNoNickname;
            entry.addresses = {r.Address()};
            appendEntry(std::move(entry));
        }
    }
    changed();
    if (!saveLoadedBook()) return;
    if (rowCount() > 0) selectOnly(0);
    platform_.system.beep();
    info("Recipients As Separate Entries Successfully Built.\rPress F9 To Display Address Book.");
    tellBooksChanged();
}

// --- build mode ----------------------------------------------------------------------------

bool AddressBooksPage::setBuildMode(bool on) {
    if (!on) {
        if (!buildMode_) return false;
        buildMode_ = false;
        const int target = buildTarget_;
        buildTarget_ = -1;
        if (target >= 0 && target < rowCount()) selectOnly(target);
        return false;
    }
    if (rowCount() == 0) {
        info("You must have an address record selected first.");
        return false;
    }
    if (selection_.size() != 1) {
        platform_.system.beep();
        info("You must have only one address record selected.");
        return false;
    }
    storeEntry();
    buildTarget_ = selection_.front();
    showEntry(buildTarget_);
    buildMode_ = true;
    return true;
}

void AddressBooksPage::dropSelectedOnAddresses() {
    if (!buildMode_ || buildTarget_ < 0) return;
    current_ = buildTarget_;
    std::vector<int> rows = selection_;
    std::sort(rows.begin(), rows.end());
    for (int r : rows) {
        if (r == buildTarget_) continue;
        const auto& addresses = row(r).addresses;
        fields_.addresses.insert(fields_.addresses.end(), addresses.begin(), addresses.end());
    }
    storeEntry();
    changed();
    const std::size_t n = fields_.addresses.size();
    addressCountLabel_ = std::to_string(n) + (n == 1 ? " address" : " addresses");
}

void AddressBooksPage::copyAddressesToBuffer() {
    storeEntry();
    std::vector<int> rows = selection_;
    std::sort(rows.begin(), rows.end());
    addressBuffer_.clear();
    for (int r : rows) {
        const auto& addresses = row(r).addresses;
        addressBuffer_.insert(addressBuffer_.end(), addresses.begin(), addresses.end());
    }
}

void AddressBooksPage::pasteBufferToAddresses() {
    if (current_ < 0 || addressBuffer_.empty()) return;
    fields_.addresses.insert(fields_.addresses.end(), addressBuffer_.begin(), addressBuffer_.end());
    storeEntry();
    changed();
}

void AddressBooksPage::locateSourceRecord(const std::string& selected) {
    if (buildMode_) {
        info("Uncheck Build Mailing List Checkbox.");
        return;
    }
    if (selected.find_first_of("\r\n") != std::string::npos) {
        info("Highlight Only One Email Address.");
        return;
    }
    storeEntry();
    const std::string_view wanted = trimmed(selected);
    for (int i = 0; !wanted.empty() && i < rowCount(); ++i) {
        if (i == current_) continue;
        const auto& addresses = row(i).addresses;
        if (std::any_of(addresses.begin(), addresses.end(),
                        [&](const std::string& a) { return trimmed(a) == wanted; })) {
            selectOnly(i);
            return;
        }
    }
    platform_.system.beep();
    info("Email Address Was Not Found!");
}

// --- the File menu backups -------------------------------------------------------------------

void AddressBooksPage::backupFromMenu(const std::string& book) {
    std::error_code ec;
    if (books_.isLoaded(book)) {
        storeEntry();
        ec = books_.backupLoaded();
    } else {
        const BookReadResult r = books_.readBook(book);
        if (!r.readable) {
            platform_.system.beep();
            platform_.dialogs.warning(kProductName, "Load From File Error 6498\rAddress Book '" +
                                                        book + "' " + r.problem + ".");
            return;
        }
        ec = writeBookFile(backupFile(books_.home(), book), r.entries, BookFileKind::Backup);
    }
    if (ec) {
        warnWrite(ec);
        return;
    }
    info("[" + book + "] Address Book Successfully Backed Up!");
}

void AddressBooksPage::backupAllFromMenu() {
    storeEntry();
    bool someEmpty = false;
    bool someFailed = false;
    for (const std::string& book : books_.names()) {
        platform_.dialogs.showStatus(
            "Backing Up All Address Books",
            {"Backing Up [" + book + "] Address Book", "Please Wait...", "", ""});
        const BookReadResult r = books_.isLoaded(book)
                                     ? BookReadResult{true, true, true, books_.entries(), ""}
                                     : books_.readBook(book);
        if (!r.readable) {
            someFailed = true;
            platform_.dialogs.hideStatus();
            platform_.system.beep();
            platform_.dialogs.warning(kProductName, "Load From File Error 6498\rAddress Book '" +
                                                        book + "' " + r.problem + ".");
            continue;
        }
        if (r.entries.empty()) {
            someEmpty = true;
            platform_.dialogs.hideStatus();
            info("Address Book [" + book + "] is empty - click OK to continue.");
            continue;
        }
        if (std::error_code ec =
                writeBookFile(backupFile(books_.home(), book), r.entries, BookFileKind::Backup)) {
            someFailed = true;
            platform_.dialogs.hideStatus();
            warnWrite(ec);
            continue;
        }
        platform_.pause(platform::Milliseconds{1000});
    }
    platform_.dialogs.hideStatus();
    if (someFailed) return;  // each failure was shown; no success over it
    info(someEmpty ? "Address Books Containing Records Were Successfully Backed Up!"
                   : "All Address Books Were Successfully Backed Up!");
}

platform::Menu AddressBooksPage::bookChoiceMenu(
    const std::string& namePrefix, const std::function<void(const std::string&)>& choose,
    const std::optional<std::string>& checked, BookCaptions captions) const {
    platform::Menu menu;
    for (const BookInfo& book : books_.books()) {
        if (menu.size() >= kMaxBookMenuEntries) break;
        platform::MenuEntry e{
            namePrefix + std::to_string(menu.size()),
            captions == BookCaptions::NamesWithCounts ? countedName(book) : book.name};
        e.checkable = true;
        e.checked = checked ? book.name == *checked : books_.isLoaded(book.name);
        e.command = [choose, name = book.name] { choose(name); };
        menu.push_back(std::move(e));
    }
    return menu;
}

platform::Menu AddressBooksPage::backupMenu() {
    platform::Menu menu;
    int n = 0;
    for (const std::string& book : books_.names()) {
        platform::MenuEntry e{"mnuFile_BackupAddressBooks_" + std::to_string(n++), book};
        e.command = [this, book] { backupFromMenu(book); };
        menu.push_back(std::move(e));
    }
    if (!menu.empty()) {
        menu.push_back(platform::MenuEntry::separator());
        platform::MenuEntry all{"mnuFile_BackupAddressBooks_All", "All"};
        all.command = [this] { backupAllFromMenu(); };
        menu.push_back(std::move(all));
    }
    return menu;
}

}  // namespace velmora::addressbook
