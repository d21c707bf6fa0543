// The import window `TimportForm` ("Import Address Books"): (1) the kind of source, (2) reading it
// (a file or folder chosen with a dialog, each file one top-level book named after it), (3) the
// tree of its books and distribution lists with a preview of what a node holds, (4) the address
// book to import into (with New, Edit and Remove of the page), (5) the import itself, which
// appends to the book loaded on the page and closes the window.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "addressbook/address_book_page.h"
#include "addressbook/import/import_model.h"

namespace velmora::addressbook {

enum class ImportSource { Outlook, Exchange, Netscape, Eudora };
inline constexpr int kImportSourceCount = 4;

struct ImportTreeNode {
    std::string text;
    int depth = 0;
    const TAddressBook* book = nullptr;       // a book node
    const TDistributionList* list = nullptr;  // a distribution-list node
};

class TimportForm {
  public:
    TimportForm(platform::Platform& platform, AddressBooksPage& page);

    const char* caption() const { return "Import Address Books"; }
    // The captions of the source kinds, naming what each reads.
    static const std::array<std::string, kImportSourceCount>& sourceCaptions();
    ImportSource source() const { return source_; }
    void selectSource(ImportSource source);

    // "2. &Get Address Book Data": asks for the file (or folder) and reads it.
    void getDataClick();
    // Reads `path` as the chosen kind without asking (the dialog's answer, or a test).
    bool readSource(const std::filesystem::path& path);

    const std::vector<ImportTreeNode>& tree() const { return tree_; }
    void clickNode(int index);
    int selectedNode() const { return selected_; }
    const std::vector<std::string>& preview() const { return preview_; }
    bool importEnabled() const { return importEnabled_; }

    std::vector<std::string> targetBooks() const { return page_.books().names(); }
    std::string targetBook() const { return page_.selectedBook(); }
    void selectTargetBook(const std::string& name);
    // "Number of Entries n".
    std::string entryCountLabel() const;
    void newBookClick();
    void editBookClick();
    void removeBookClick();

    // "5. &Import Into Velmora".
    void importClick();
    void closeClick();
    bool visible() const { return visible_; }
    TOutlookAddressBooks& reader() { return reader_; }

  private:
    void clearView();
    void fill();
    void fillBook(const TAddressBook& book, int depth, int guard);

    platform::Platform& platform_;
    AddressBooksPage& page_;
    TOutlookAddressBooks reader_;
    ImportSource source_ = ImportSource::Outlook;
    std::vector<ImportTreeNode> tree_;
    std::vector<std::string> preview_;
    int selected_ = -1;
    bool importEnabled_ = false;
    bool visible_ = true;
};

}  // namespace velmora::addressbook
