// The address-book readers on arbitrary bytes: the book file, CSV, vCard, LDIF and nickname
// files. Nothing may crash, read out of bounds or hang; a book file read must write back to
// bytes that read the same entries; import rules must cope with whatever the readers built.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "addressbook/book_file.h"
#include "addressbook/import/import_model.h"
#include "addressbook/import/import_rules.h"
#include "addressbook/import/readers.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace velmora::addressbook;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const BookReadResult book = parseBook(input);
    const BookReadResult again = parseBook(bookBytes(book.entries, BookFileKind::Book));
    // The only loss allowed: a lone entry without address or notes is written as nothing.
    if (!(book.entries.size() == 1 && isUntouchedTemplate(book.entries[0]))) {
        if (!again.complete || again.entries.size() != book.entries.size()) __builtin_trap();
    }

    TOutlookAddressBooks reader;
    // As a file reaches the readers: made UTF-8 text first (a UTF-16 export converted).
    const std::string text = importText(input);
    readCsv(text, reader.addTopBook("csv text"), reader);
    readCsv(input, reader.addTopBook("csv"), reader);
    readVCard(input, reader.addTopBook("vcard"), reader);
    TNSAB(input).read(reader.addTopBook("ldif"), reader);
    readNicknameFile(input, reader.addTopBook("nicknames"), reader);
    (void)entriesOfAll(reader);
    return 0;
}
