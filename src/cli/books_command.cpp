// velmora-cli books: the address books of the home folder in their order, "name<TAB>entries" a
// line; a book whose file is missing shows "missing", one that cannot be read "unreadable", one
// that was not read whole its count and "damaged".
#include <ostream>

#include "addressbook/address_books.h"
#include "cli/command.h"

namespace velmora::cli {

int runBooksCommand(Context& context, const std::vector<std::string>& args) {
    if (!args.empty()) return usageError(context, "books takes no arguments");
    addressbook::AddressBooks books(context.home);
    books.readList();
    for (const addressbook::BookInfo& book : books.books()) {
        const addressbook::BookReadResult r = books.readBook(book.name);
        context.out << book.name << '\t';
        if (!r.exists)
            context.out << "missing";
        else if (!r.readable)
            context.out << "unreadable";
        else
            context.out << r.entries.size() << (r.complete ? "" : "\tdamaged");
        context.out << '\n';
    }
    return 0;
}

}  // namespace velmora::cli
