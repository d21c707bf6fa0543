// velmora-cli import FILE|DIR [--book NAME]: imports another program's address book with the
// readers of the import window: a folder of nickname files, an LDIF file (.ldif), or a vCard or
// CSV export. Every entry and list read (sub-books included) is appended to the book NAME, by
// default the first book; a book not yet listed is created. Prints the import window's counts.
#include <ostream>

#include "addressbook/address_books.h"
#include "addressbook/book_names.h"
#include "addressbook/import/import_model.h"
#include "addressbook/import/import_rules.h"
#include "base/text_file.h"
#include "cli/command.h"

namespace velmora::cli {

int runImportCommand(Context& context, const std::vector<std::string>& args) {
    std::string source;
    std::string bookName;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--book") {
            if (++i >= args.size()) return usageError(context, "--book needs a name");
            bookName = args[i];
        } else if (source.empty()) {
            source = args[i];
        } else {
            return usageError(context, "import takes one FILE or DIR");
        }
    }
    if (source.empty()) return usageError(context, "import needs a FILE or DIR");

    addressbook::TOutlookAddressBooks reader;
    reader.traceFolder = context.home;
    if (!reader.ExecuteAny(source)) {
        context.err << "velmora-cli: " << reader.LastError() << "\n";
        return 1;
    }
    addressbook::AddressBooks books(context.home);
    books.readList();
    if (bookName.empty())
        bookName = books.books().empty() ? std::filesystem::path(source).stem().string()
                                         : books.books().front().name;
    if (!books.contains(bookName)) {
        if (auto problem = addressbook::bookNameProblem(bookName)) {
            context.err << "velmora-cli: " << *problem << "\n";
            return 1;
        }
        if (std::error_code ec = books.create(bookName)) {
            context.err << "velmora-cli: Create Error 6144: " << errorText(ec) << "\n";
            return 1;
        }
    }
    const addressbook::BookReadResult loaded = books.load(bookName);
    if (!loaded.readable) {
        context.err << "velmora-cli: Address Book '" << bookName << "' cannot be read\n";
        return 1;
    }
    if (!loaded.complete)
        context.err << "velmora-cli: Address Book '" << bookName << "' was damaged ("
                    << loaded.problem << "); its file is kept as '" << bookName
                    << ".abk.damaged'\n";
    addressbook::ImportedEntries imported = addressbook::entriesOfAll(reader);
    for (auto& entry : imported.entries) books.entries().push_back(std::move(entry));
    if (std::error_code ec = books.saveLoaded()) {
        context.err << "velmora-cli: File I/O Error 9563: " << errorText(ec) << "\n";
        return 1;
    }
    context.out << imported.addresses << " regular email address(es) imported.\n"
                << imported.lists << " distribution email address(es) imported.\n"
                << "Address Book '" << bookName << "' now holds " << books.entries().size()
                << " entries.\n";
    return 0;
}

}  // namespace velmora::cli
