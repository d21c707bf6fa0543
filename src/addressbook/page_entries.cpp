// The page's entry list, the fields of the entry under edit, the entry clipboard, type-ahead,
// printing and the pop-up menu.
#include <algorithm>

#include "addressbook/address_book_page.h"
#include "addressbook/book_export.h"
#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "platform/print_jobs.h"

namespace velmora::addressbook {

namespace {

std::string countCaption(const char* verb, std::size_t n, const char* one, const char* many) {
    return std::string(verb) + " [" + std::to_string(n) + "] " + (n == 1 || n == 0 ? one : many);
}

}  // namespace

void AddressBooksPage::showEntry(int index) {
    current_ = index;
    if (index < 0 || index >= rowCount()) {
        clearFields();
        return;
    }
    const TEmailNameObjListView& e = row(index);
    fields_.fullName = e.fullName;
    fields_.nickname = e.nickname;
    fields_.addresses = e.addresses;
    fields_.notes = e.notes;
    fields_.isMailingList = e.isMailingList;
    fields_.listFrom = e.listFrom;
    fields_.listTo = e.listTo;
    fields_.listReplyTo = e.listReplyTo;
    fields_.enabled = true;
}

void AddressBooksPage::clearFields() {
    fields_ = EntryFields{};
    current_ = -1;
}

void AddressBooksPage::storeEntry() {
    if (current_ < 0 || current_ >= rowCount()) return;
    TEmailNameObjListView& e = books_.entries()[static_cast<std::size_t>(current_)];
    e.fullName = fields_.fullName;
    e.nickname = fields_.nickname;
    e.addresses = fields_.addresses;
    e.notes = fields_.notes;
    e.isMailingList = fields_.isMailingList;
    e.listFrom = fields_.listFrom;
    e.listTo = fields_.listTo;
    e.listReplyTo = fields_.listReplyTo;
}

void AddressBooksPage::selectOnly(int index) {
    selection_ = {index};
    showEntry(index);
}

void AddressBooksPage::clickRow(int index, bool extend) {
    if (index < 0 || index >= rowCount()) return;
    storeEntry();
    if (buildMode_) {
        // The target stays in the fields; the rows clicked are the ones to gather.
        if (!extend) selection_.clear();
        if (std::find(selection_.begin(), selection_.end(), index) == selection_.end())
            selection_.push_back(index);
        return;
    }
    if (extend) {
        if (std::find(selection_.begin(), selection_.end(), index) == selection_.end())
            selection_.push_back(index);
        showEntry(index);
    } else {
        selectOnly(index);
    }
    focus_ = PageFocus::EntryList;
}

void AddressBooksPage::setSelection(std::vector<int> rows) {
    storeEntry();
    std::erase_if(rows, [this](int r) { return r < 0 || r >= rowCount(); });
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    selection_ = std::move(rows);
    if (buildMode_) return;
    if (selection_.empty())
        clearFields();
    else if (std::find(selection_.begin(), selection_.end(), current_) == selection_.end())
        showEntry(selection_.front());
}

std::string AddressBooksPage::entriesLabel() const {
    const std::string total = std::to_string(rowCount());
    if (selection_.size() > 1)
        return "Address Book Entries " + std::to_string(selection_.size()) + " Selected/" + total;
    return "Address Book Entries " + std::to_string(current_ + 1) + "/" + total;
}

int AddressBooksPage::appendEntry(TEmailNameObjListView entry) {
    books_.entries().push_back(std::move(entry));
    ++listRevision_;
    return rowCount() - 1;
}

void AddressBooksPage::addClick() {
    if (books_.loadedName().empty() || buildMode_) return;
    storeEntry();
    TEmailNameObjListView e;
    e.fullName = kEnterFullName;
    e.nickname = kEnterNickname;
    e.addresses = {kEnterAddress};
    selectOnly(appendEntry(std::move(e)));
    focus_ = PageFocus::FullName;
    changed();
}

void AddressBooksPage::deleteClick() {
    if (selection_.empty() || buildMode_) return;
    storeEntry();
    platform_.system.beep();
    const std::string question =
        selection_.size() == 1 ? "Are you sure you want to delete entry '" +
                                     row(selection_.front()).nickname + "'" + "?"
                               : std::string("Are you sure you want to delete multiple entries?");
    if (platform_.dialogs.question(kProductName, question, platform::Buttons::YesNo,
                                   platform::Answer::No) != platform::Answer::Yes)
        return;
    std::vector<int> rows = selection_;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    const int first = rows.back();
    auto& entries = books_.entries();
    for (int r : rows) entries.erase(entries.begin() + r);
    ++listRevision_;
    selection_.clear();
    current_ = -1;
    changed();
    if (entries.empty()) {
        clearFields();
        return;
    }
    selectOnly(first < rowCount() ? first : 0);
}

void AddressBooksPage::saveClick() {
    if (books_.loadedName().empty()) return;
    storeEntry();
    if (!saveLoadedBook()) return;
    tellBooksChanged();
    if (events_) events_->showStatus("[" + books_.loadedName() + "] Address Book Was Saved");
}

void AddressBooksPage::sortAddressesClick() {
    if (current_ < 0) return;
    std::sort(fields_.addresses.begin(), fields_.addresses.end());
    storeEntry();
    changed();
}

void AddressBooksPage::cutClick() {
    if (selection_.empty() || buildMode_) return;
    copyClick();
    std::vector<int> rows = selection_;
    std::sort(rows.begin(), rows.end(), std::greater<>());
    const int first = rows.back();
    for (int r : rows) books_.entries().erase(books_.entries().begin() + r);
    ++listRevision_;
    selection_.clear();
    current_ = -1;
    changed();
    if (rowCount() == 0)
        clearFields();
    else
        selectOnly(first < rowCount() ? first : 0);
}

void AddressBooksPage::copyClick() {
    if (selection_.empty()) return;
    storeEntry();
    std::vector<int> rows = selection_;
    std::sort(rows.begin(), rows.end());
    clipboard_.clear();
    for (int r : rows) clipboard_.push_back(row(r));
}

void AddressBooksPage::pasteClick() {
    if (books_.loadedName().empty()) return;
    if (clipboard_.empty()) {
        info("Address book clipboard is empty!");
        return;
    }
    storeEntry();
    int last = -1;
    for (const TClipEmailNameObjListView& e : clipboard_) last = appendEntry(e);
    selectOnly(last);
    changed();
}

std::string AddressBooksPage::cutCaption() const {
    return countCaption("Cut", selection_.size(), "&Email Entry", "&Email Entries");
}
std::string AddressBooksPage::copyCaption() const {
    return countCaption("Copy", selection_.size(), "Ema&il Entry", "Ema&il Entries");
}
std::string AddressBooksPage::pasteCaption() const {
    return countCaption("Paste", clipboard_.size(), "Email E&ntry", "Email E&ntries");
}

void AddressBooksPage::copyToClipboard(ClipboardPart part) {
    if (current_ < 0) return;
    storeEntry();
    const TEmailNameObjListView& e = row(current_);
    std::string text;
    switch (part) {
        case ClipboardPart::Name:
            text = e.fullName;
            break;
        case ClipboardPart::Address:
            text = firstAddress(e);
            break;
        case ClipboardPart::NameAndAddress:
            text = e.fullName + " <" + firstAddress(e) + ">";
            break;
    }
    platform_.system.setClipboardText(text);
}

PrintJob AddressBooksPage::printJob(bool selectedOnly) const {
    std::vector<TEmailNameObjListView> chosen;
    if (selectedOnly) {
        std::vector<int> rows = selection_;
        std::sort(rows.begin(), rows.end());
        for (int r : rows) chosen.push_back(row(r));
    } else {
        chosen = books_.entries();
    }
    return entryPrintJob(books_.loadedName(), chosen, platform_.clock.localNow());
}

void AddressBooksPage::printClick(bool selectedOnly) {
    if (books_.loadedName().empty()) return;
    storeEntry();
    platform::printAndReport(platform_, printJob(selectedOnly));
}

void AddressBooksPage::verifyClick() {
    if (current_ < 0) return;
    storeEntry();
    if (fields_.addresses.empty()) return;
    if (platform_.dialogs.question("Internet Connection Confirmation",
                                   "Are you connected to the internet?", platform::Buttons::YesNo,
                                   platform::Answer::Yes) != platform::Answer::Yes)
        return;
    if (events_) events_->verifyAddresses();
}

std::vector<VerifyEntry> AddressBooksPage::selectedForVerification() {
    storeEntry();
    std::vector<int> rows = selection_;
    std::sort(rows.begin(), rows.end());
    std::vector<VerifyEntry> out;
    for (int r : rows) out.push_back({r, row(r)});
    return out;
}

void AddressBooksPage::exportClick(bool selectedOnly) {
    if (books_.loadedName().empty()) return;
    storeEntry();
    std::vector<TEmailNameObjListView> chosen;
    if (selectedOnly) {
        std::vector<int> rows = selection_;
        std::sort(rows.begin(), rows.end());
        for (int r : rows) chosen.push_back(row(r));
    } else {
        chosen = books_.entries();
    }
    if (chosen.empty()) {
        info("Address Book [" + books_.loadedName() + "] has no entries to export.");
        return;
    }
    platform::FileDialogRequest request;
    request.title = "Export Address Book Entries";
    request.initialDirectory = books_.home();
    request.initialName = books_.loadedName() + ".vcf";
    request.filters = {{"vCard Files", {"*.vcf"}}, {"CSV Files", {"*.csv"}}};
    std::optional<std::filesystem::path> file = platform_.dialogs.saveFile(request);
    if (!file) return;
    const bool csv = endsWithNoCase(file->string(), ".csv");
    if (std::error_code ec =
            writeFileAtomically(*file, csv ? exportCsv(chosen) : exportVCard(chosen))) {
        warnWrite(ec);
        return;
    }
    info(std::to_string(chosen.size()) + (chosen.size() == 1 ? " entry" : " entries") +
         " exported to " + file->string() + ".");
}

void AddressBooksPage::importClick() {
    if (buildMode_ || books_.loadedName().empty()) return;
    storeEntry();
    if (events_) events_->importAddresses();
}

void AddressBooksPage::appendEntries(std::vector<TEmailNameObjListView> entries) {
    if (books_.loadedName().empty() || entries.empty()) return;
    storeEntry();
    for (auto& e : entries) appendEntry(std::move(e));
    changed();
}

// --- the fields --------------------------------------------------------------------------------

void AddressBooksPage::editFullName(std::string text) {
    if (!fields_.enabled) return;
    fields_.fullName = std::move(text);
    storeEntry();
    changed();
}

void AddressBooksPage::leaveFullName() {
    if (!fields_.enabled) return;
    fields_.fullName = quoteCommaName(fields_.fullName);
    storeEntry();
}

void AddressBooksPage::editNickname(std::string text) {
    if (!fields_.enabled) return;
    fields_.nickname = std::move(text);
    storeEntry();
    changed();
}

void AddressBooksPage::leaveNickname() {
    if (!fields_.enabled) return;
    if (fields_.addresses.size() == 1 && fields_.addresses.front() == kEnterAddress)
        fields_.addresses.clear();
    storeEntry();
}

void AddressBooksPage::nicknameEnter() {
    leaveNickname();
    focus_ = PageFocus::Addresses;
    selectedText_ = fields_.addresses.empty() ? std::string() : fields_.addresses.front();
}

void AddressBooksPage::editAddresses(std::vector<std::string> lines) {
    if (!fields_.enabled) return;
    fields_.addresses = std::move(lines);
    storeEntry();
    changed();
}

void AddressBooksPage::leaveAddresses() {
    if (!fields_.enabled) return;
    std::vector<std::string> kept;
    for (const std::string& line : fields_.addresses) {
        const std::string_view text = trimmed(line);
        if (text.empty()) continue;
        if (text.find(',') == std::string_view::npos) {
            kept.emplace_back(line);
            continue;
        }
        const mime::TmsMailAddress parsed = mime::ParseMailAddress(text);
        kept.push_back(parsed.Name().empty()
                           ? parsed.Address()
                           : "\"" + parsed.Name() + "\" <" + parsed.Address() + ">");
    }
    if (kept.size() != fields_.addresses.size()) changed();
    fields_.addresses = std::move(kept);
    storeEntry();
}

void AddressBooksPage::editNotes(std::vector<std::string> lines) {
    if (!fields_.enabled) return;
    fields_.notes = std::move(lines);
    storeEntry();
    changed();
}

void AddressBooksPage::setMailingList(bool on) {
    if (!fields_.enabled) return;
    fields_.isMailingList = on;
    if (on) focus_ = PageFocus::ListFrom;
    storeEntry();
    changed();
}

void AddressBooksPage::editListField(PageFocus which, std::string text) {
    if (!fields_.enabled || !fields_.isMailingList) return;
    switch (which) {
        case PageFocus::ListFrom:
            fields_.listFrom = std::move(text);
            break;
        case PageFocus::ListTo:
            fields_.listTo = std::move(text);
            break;
        case PageFocus::ListReplyTo:
            fields_.listReplyTo = std::move(text);
            break;
        default:
            return;
    }
    storeEntry();
    changed();
}

void AddressBooksPage::enterListTo() {
    focus_ = PageFocus::ListTo;
    if (!fields_.isMailingList || fields_.listFrom.empty() || !fields_.listTo.empty()) return;
    fields_.listTo = fields_.listFrom;
    selectedText_ = fields_.listTo;
    storeEntry();
    changed();
}

void AddressBooksPage::enterListReplyTo() {
    focus_ = PageFocus::ListReplyTo;
    if (!fields_.isMailingList || fields_.listTo.empty() || !fields_.listReplyTo.empty()) return;
    fields_.listReplyTo = fields_.listTo;
    selectedText_ = fields_.listReplyTo;
    storeEntry();
    changed();
}

std::string AddressBooksPage::mailingListCountLabel() const {
    return "Mailing List Count: " + std::to_string(fields_.addresses.size()) + " Entries";
}

// --- type-ahead ----------------------------------------------------------------------------

void AddressBooksPage::typeAheadKey(char key) {
    if (key < 48 || key > 126) return;
    typeAhead_ += lowerAscii(key);
    const bool byName = config_.sortColumn == 1;
    for (int i = std::max(0, typeAheadStart_); i < rowCount(); ++i) {
        const std::string& field = byName ? row(i).fullName : row(i).nickname;
        if (toLowerAscii(field.substr(0, typeAhead_.size())) != typeAhead_) continue;
        storeEntry();
        selectOnly(i);
        typeAheadStart_ = i;
        typeAheadLabel_ = field;
        return;
    }
    typeAheadLabel_ = kNoMatch;
}

void AddressBooksPage::typeAheadEscape() {
    typeAhead_.clear();
    typeAheadStart_ = 0;
    storeEntry();
    selection_.clear();
    if (rowCount() > 0) selectOnly(0);
    typeAheadLabel_ = kTypeAheadReady;
}

void AddressBooksPage::typeAheadOtherKey() {
    const std::size_t n = current_ >= 0 ? row(current_).addresses.size() : 0;
    typeAheadLabel_ =
        n == 0 ? "0 addresses" : std::to_string(n) + (n == 1 ? " address" : " addresses");
}

void AddressBooksPage::listLeft() {
    typeAheadLabel_ = kTypeAheadLeft;
}

// --- menus -----------------------------------------------------------------------------------

platform::Menu AddressBooksPage::popupMenu() {
    using platform::MenuEntry;
    auto entry = [](std::string name, std::string caption, std::function<void()> run,
                    bool enabled = true) {
        MenuEntry e{std::move(name), std::move(caption)};
        e.command = std::move(run);
        e.enabled = enabled;
        return e;
    };
    const bool loaded = !books_.loadedName().empty();
    const bool selected = !selection_.empty();
    const bool printing = loaded;
    MenuEntry copyTo{"popCopyToClipboard", "Copy To Clipboard"};
    copyTo.entries = {
        entry(
            "popCopyName", "Name", [this] { copyToClipboard(ClipboardPart::Name); }, current_ >= 0),
        entry(
            "popCopyAddress", "Address", [this] { copyToClipboard(ClipboardPart::Address); },
            current_ >= 0),
        entry(
            "popCopyNameAddress", "Name and Address",
            [this] { copyToClipboard(ClipboardPart::NameAndAddress); }, current_ >= 0),
    };
    MenuEntry build{"popBuildMailingList", "Build Mailing &List"};
    build.entries = {
        entry(
            "popBuildCopy", "&Copy Right Side Address(es) Only To Buffer",
            [this] { copyAddressesToBuffer(); }, selected),
        entry(
            "popBuildPaste", "&Paste Address(es) Only To Left Side",
            [this] { pasteBufferToAddresses(); }, current_ >= 0 && !addressBuffer_.empty()),
    };
    MenuEntry books = entry(
        "popReorder", "Re-Order Address Books",
        [this] {
            if (events_) events_->reorderBooks();
        },
        books_.books().size() > 1 && !buildMode_);
    MenuEntry showBooks =
        entry("popShowBooks", config_.showBooks ? "Hide Address &Books" : "Show Address &Books",
              [this] { setShowBooks(!config_.showBooks); });
    MenuEntry showList =
        entry("popShowListFields",
              config_.showListFields ? "Hide &Mailing List Fields" : "Show &Mailing List Fields",
              [this] { setShowListFields(!config_.showListFields); });
    return {
        entry(
            "popAdd", "&Add Email Entry", [this] { addClick(); }, loaded && !buildMode_),
        entry(
            "popDelete", "&Delete Email Entry", [this] { deleteClick(); }, selected && !buildMode_),
        entry(
            "popSave", "&Save Address Book", [this] { saveClick(); }, loaded && !buildMode_),
        MenuEntry::separator(),
        entry(
            "popCut", cutCaption(), [this] { cutClick(); }, selected && !buildMode_),
        entry(
            "popCopy", copyCaption(), [this] { copyClick(); }, selected),
        entry(
            "popPaste", pasteCaption(), [this] { pasteClick(); }, loaded && !buildMode_),
        copyTo,
        entry(
            "popSortAddresses", "Sort Email Addresses", [this] { sortAddressesClick(); },
            current_ >= 0),
        MenuEntry::separator(),
        entry(
            "popPrintAll", "P&rint All Addresses", [this] { printClick(false); },
            printing && rowCount() > 0),
        entry(
            "popPrintSelected", "P&rint Selected Addresses", [this] { printClick(true); },
            printing && selected),
        MenuEntry::separator(),
        books,
        showBooks,
        showList,
        entry("popFonts", "Address Book Fonts", [this] { fontClick(); }),
        MenuEntry::separator(),
        entry(
            "popImport", "Import...", [this] { importClick(); }, loaded && !buildMode_),
        entry(
            "popExportAll", "E&xport All Entries...", [this] { exportClick(false); },
            rowCount() > 0),
        entry(
            "popExportSelected", "Export Selected Entries...", [this] { exportClick(true); },
            selected),
        entry(
            "popVerify", "&Verify Addresses", [this] { verifyClick(); },
            current_ >= 0 && !fields_.addresses.empty()),
        build,
        entry(
            "popLocate", "Locate Source Record", [this] { locateSourceRecord(selectedText_); },
            current_ >= 0),
    };
}

}  // namespace velmora::addressbook
