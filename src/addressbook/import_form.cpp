#include "addressbook/import_form.h"

#include "addressbook/import/import_rules.h"
#include "base/identity.h"

namespace velmora::addressbook {

TimportForm::TimportForm(platform::Platform& platform, AddressBooksPage& page)
    : platform_(platform), page_(page), reader_(&platform.dialogs) {
    reader_.ShowsErrors = true;
    reader_.traceFolder = page_.books().home();
}

const std::array<std::string, kImportSourceCount>& TimportForm::sourceCaptions() {
    static const std::array<std::string, kImportSourceCount> captions = {
        "OutLook 97, 98, 2000 (CSV export or vCard file)",
        "Exchange 4.x (CSV export or vCard file)",
        "Netscape 4.0x, 4.0 or Higher (LDIF export)",
        "Eudora Lite/Pro (folder of nickname files)",
    };
    return captions;
}

void TimportForm::clearView() {
    tree_.clear();
    preview_.clear();
    selected_ = -1;
    importEnabled_ = false;
}

void TimportForm::selectSource(ImportSource source) {
    source_ = source;
    clearView();
}

void TimportForm::getDataClick() {
    const std::filesystem::path start = page_.books().home();
    if (source_ == ImportSource::Eudora) {
        std::optional<std::filesystem::path> folder =
            platform_.dialogs.chooseDirectory("Folder of the nickname files (NNdbase.txt)", start);
        if (folder) readSource(*folder);
        return;
    }
    platform::FileDialogRequest request;
    request.title = sourceCaptions()[static_cast<std::size_t>(source_)];
    request.initialDirectory = start;
    if (source_ == ImportSource::Netscape)
        request.filters = {{"LDIF Files", {"*.ldif", "*.ldi"}}, {"All Files", {"*"}}};
    else
        request.filters = {{"Contacts", {"*.csv", "*.vcf", "*.vcard"}}, {"All Files", {"*"}}};
    request.multiple = true;
    std::vector<std::filesystem::path> files = platform_.dialogs.openFiles(request);
    if (files.empty()) return;
    clearView();
    reader_.Clear();
    for (const auto& file : files) {
        if (source_ == ImportSource::Netscape)
            reader_.ExecuteNetscape(file);
        else
            reader_.Execute(file);
    }
    fill();
}

bool TimportForm::readSource(const std::filesystem::path& path) {
    clearView();
    reader_.Clear();
    bool ok = false;
    switch (source_) {
        case ImportSource::Outlook:
        case ImportSource::Exchange:
            ok = reader_.Execute(path);
            break;
        case ImportSource::Netscape:
            ok = reader_.ExecuteNetscape(path);
            break;
        case ImportSource::Eudora:
            ok = reader_.ExecuteEudora(path);
            break;
    }
    fill();
    return ok;
}

void TimportForm::fillBook(const TAddressBook& book, int depth, int guard) {
    tree_.push_back({book.name(), depth, &book, nullptr});
    if (guard > 32) return;
    for (int i = 0; i < book.subBookCount(); ++i) fillBook(book.subBook(i), depth + 1, guard + 1);
    for (const TEmailAddress* item : book.items())
        if (item->kind() == TEmailAddress::DistributionList) {
            const auto* list = static_cast<const TDistributionList*>(item);
            tree_.push_back({list->displayName(), depth + 1, nullptr, list});
        }
}

void TimportForm::fill() {
    tree_.clear();
    for (int i = 0; i < reader_.BookCount(); ++i) fillBook(reader_.Books(i), 0, 0);
}

void TimportForm::clickNode(int index) {
    importEnabled_ = true;
    if (index < 0 || index >= static_cast<int>(tree_.size())) return;
    selected_ = index;
    preview_.clear();
    const ImportTreeNode& node = tree_[static_cast<std::size_t>(index)];
    const TAddressBook& items = node.book ? *node.book : node.list->members();
    for (const TEmailAddress* item : items.items()) preview_.push_back(item->displayName());
}

void TimportForm::selectTargetBook(const std::string& name) {
    page_.selectBook(name);
}

std::string TimportForm::entryCountLabel() const {
    return "Number of Entries " + std::to_string(page_.rowCount());
}

void TimportForm::newBookClick() {
    page_.newBookClick();
}
void TimportForm::editBookClick() {
    page_.editNameClick();
}
void TimportForm::removeBookClick() {
    page_.removeClick();
}

void TimportForm::importClick() {
    if (!importEnabled_) return;
    preview_.clear();
    ImportedEntries imported;
    if (selected_ >= 0 && selected_ < static_cast<int>(tree_.size())) {
        const ImportTreeNode& node = tree_[static_cast<std::size_t>(selected_)];
        imported = node.book ? entriesOfBook(*node.book) : entriesOfList(*node.list);
    }
    page_.appendEntries(std::move(imported.entries));
    platform_.system.beep();
    platform_.dialogs.information(kProductName, importSummary(imported.addresses, imported.lists));
    closeClick();
}

void TimportForm::closeClick() {
    clearView();
    reader_.Clear();
    visible_ = false;
}

}  // namespace velmora::addressbook
