// The import readers over exports written the way the other programs write them, the import
// rules, and the exports read back.
#include <gtest/gtest.h>

#include "addressbook/book_export.h"
#include "addressbook/import/import_model.h"
#include "addressbook/import/import_rules.h"
#include "addressbook/import/readers.h"
#include "support/temp_dir.h"

namespace velmora::addressbook {
namespace {

namespace fs = std::filesystem;
using testing::TempDir;

fs::path fixture(const std::string& name) {
    return testing::sourceDir() / "tests" / "fixtures" / "addressbook" / name;
}

std::vector<std::string> names(const TAddressBook& book) {
    std::vector<std::string> out;
    for (const TEmailAddress* item : book.items()) out.push_back(item->displayName());
    return out;
}

std::vector<std::string> memberAddresses(const TEmailAddress& item) {
    std::vector<std::string> out;
    for (const TEmailAddress* m : static_cast<const TDistributionList&>(item).members().items())
        out.push_back(m->address());
    return out;
}

TEST(ImportLdif, ThunderbirdExportWithFoldedLinesBase64AndGroups) {
    TempDir trace;
    TOutlookAddressBooks reader;
    reader.traceFolder = trace.path();
    const fs::path file = fixture("thunderbird-export.ldif");
    ASSERT_TRUE(reader.ExecuteNetscape(file)) << reader.LastError();
    EXPECT_TRUE(fs::exists(file));  // the file the user chose is never removed
    ASSERT_EQ(reader.BookCount(), 1);
    const TAddressBook& book = reader.Books(0);
    EXPECT_EQ(book.name(), "thunderbird-export");
    // "Solo" has "person" as its only objectclass and is skipped.
    EXPECT_EQ(names(book),
              (std::vector<std::string>{"Ann Lee", "Jürgen Müller", "Friends", "Everyone"}));
    const TEmailAddress& ann = *book.items()[0];
    EXPECT_EQ(ann.Properties(kNickName), "annie");
    EXPECT_EQ(ann.Properties(kFirstName), "Ann");
    EXPECT_EQ(ann.Properties(kCompanyName), "Example Corp");
    EXPECT_EQ(ann.moreAddresses, std::vector<std::string>{"ann.lee@work.example"});
    // Members by dn without case; a dn the file does not hold and the group itself are left
    // out; groups that hold each other end.
    EXPECT_EQ(memberAddresses(*book.items()[2]),
              (std::vector<std::string>{"ann@example.com", "jm@example.de", ""}));
    EXPECT_EQ(memberAddresses(*book.items()[3]), std::vector<std::string>{""});
    ImportedEntries imported = entriesOfBook(book);
    EXPECT_EQ(imported.addresses, 2);
    EXPECT_EQ(imported.lists, 2);
    EXPECT_EQ(imported.entries[0].addresses,
              (std::vector<std::string>{"ann@example.com", "ann.lee@work.example"}));
    EXPECT_TRUE(imported.entries[2].isMailingList);
    EXPECT_EQ(imported.entries[2].listTo, kListToPlaceholder);
    const std::string log = testing::readFile(trace / "TestLog.txt");
    EXPECT_NE(log.find("Start procedure ExecuteNetscape"), std::string::npos);
    EXPECT_NE(log.find("End procedure ExecuteNetscape"), std::string::npos);
}

TEST(ImportLdif, SecondObjectClassDecides) {
    TOutlookAddressBooks reader;
    TAddressBook& book = reader.addTopBook("x");
    TNSAB(
        "dn: cn=a\nobjectclass: top\nobjectclass: person\ncn: A\nmail: a@x\n\n"
        "dn: cn=b\nobjectclass: person\ncn: B\n\n"
        "dn: cn=c\nobjectclass: top\nobjectclass: organization\ncn: C\n"
        "dn: cn=d\nobjectclass: top\nobjectclass: person\ncn:: !!notbase64\n")
        .read(book, reader);
    EXPECT_EQ(names(book), (std::vector<std::string>{"A", ""}));
}

TEST(ImportCsv, OutlookExportWithQuotedFieldsLineBreaksAndBom) {
    TOutlookAddressBooks reader;
    ASSERT_TRUE(reader.Execute(fixture("outlook-export.csv"))) << reader.LastError();
    const TAddressBook& book = reader.Books(0);
    ASSERT_EQ(names(book), (std::vector<std::string>{"John Q Smith", "Mary Jones"}));
    const TEmailAddress& john = *book.items()[0];
    EXPECT_EQ(john.address(), "john@example.com");
    EXPECT_EQ(john.moreAddresses, std::vector<std::string>{"jqs@home.example"});
    EXPECT_EQ(john.Properties(kNickName), "johnny");
    EXPECT_EQ(john.Properties(kCompanyName), "Smith, Jones & Co");
    EXPECT_EQ(john.notes, (std::vector<std::string>{"Met at the \"fair\".", "Call back in May."}));
    ImportedEntries imported = entriesOfBook(book);
    EXPECT_EQ(imported.entries[1].nickname, kNoNickname);
}

TEST(ImportCsv, ExportsInUtf16OrTheAnsiCodePageReadInUtf8) {
    const std::string csv = "Name,E-mail Address\r\nRené Müller,rene@example.org\r\n";
    std::string utf16 = "\xFF\xFE";  // Outlook's "Unicode" export: UTF-16LE with its mark
    for (const char32_t c :
         std::u32string(U"Name,E-mail Address\r\nRené Müller,rene@example.org\r\n"))
        utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"UTF-8", csv},
        {"UTF-16LE", utf16},
        {"windows-1252", "Name,E-mail Address\r\nRen\xE9 M\xFCller,rene@example.org\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        testing::writeFile(dir / "contacts.csv", c.bytes);
        TOutlookAddressBooks reader;
        ASSERT_TRUE(reader.Execute(dir / "contacts.csv")) << reader.LastError();
        EXPECT_EQ(names(reader.Books(0)), std::vector<std::string>{"René Müller"});
        EXPECT_EQ(reader.Books(0).items()[0]->address(), "rene@example.org");
    }
}

TEST(ImportCsv, SeparatorAndQuotingVariants) {
    struct Case {
        const char* name;
        const char* bytes;
        const char* display;
        const char* address;
    };
    const Case cases[] = {
        {"semicolon", "Name;E-mail\r\n\"Lee; Ann\";a@x\r\n", "Lee; Ann", "a@x"},
        {"tab", "Display Name\tPrimary Email\nAnn\ta@x\n", "Ann", "a@x"},
        {"google multiple", "Name,E-mail 1 - Type,E-mail 1 - Value\nAnn,* Home,a@x ::: b@y\n",
         "Ann", "a@x"},
        {"unterminated quote", "Name,Email\n\"Ann,a@x\n", "Ann,a@x\n", ""},
        {"short row", "Name,Nickname,Email\nAnn\n", "Ann", ""},
    };
    for (const Case& c : cases) {
        TOutlookAddressBooks reader;
        TAddressBook& book = reader.addTopBook("x");
        readCsv(c.bytes, book, reader);
        ASSERT_EQ(book.items().size(), 1u) << c.name;
        EXPECT_EQ(book.items()[0]->displayName(), c.display) << c.name;
        EXPECT_EQ(book.items()[0]->address(), c.address) << c.name;
    }
}

TEST(ImportVCard, FoldedQuotedPrintableEscapesSeveralEmailsAndGroups) {
    TOutlookAddressBooks reader;
    ASSERT_TRUE(reader.Execute(fixture("contacts-with-group.vcf"))) << reader.LastError();
    const TAddressBook& book = reader.Books(0);
    ASSERT_EQ(book.items().size(), 4u);
    const TEmailAddress& ann = *book.items()[0];
    EXPECT_EQ(ann.displayName(), "Ann Lee");
    EXPECT_EQ(ann.Properties(kNickName), "annie");
    EXPECT_EQ(ann.address(), "ann@example.com");
    EXPECT_EQ(ann.moreAddresses,
              (std::vector<std::string>{"ann.lee@work.example", "ann@other.example"}));
    EXPECT_EQ(ann.Properties(kDepartment), "Sales");
    EXPECT_EQ(ann.notes, (std::vector<std::string>{"First line", "Second line, with a comma"}));
    EXPECT_EQ(book.items()[1]->displayName(), "Jürgen Müller, Geschäftsführer");
    EXPECT_EQ(book.items()[1]->Properties(kLastName), "Müller");
    const TEmailAddress& club = *book.items()[2];
    ASSERT_EQ(club.kind(), TEmailAddress::DistributionList);
    EXPECT_EQ(memberAddresses(club),
              (std::vector<std::string>{"ann@example.com", "jm@example.de", "guest@example.net"}));
    const TEmailAddress& outer = *book.items()[3];
    EXPECT_EQ(outer.displayName(),
              "Folded Name That Goes On And On And On And On And On And On And Further");
    ASSERT_EQ(outer.kind(), TEmailAddress::DistributionList);
    ASSERT_EQ(static_cast<const TDistributionList&>(outer).members().items().size(), 1u);
    EXPECT_EQ(static_cast<const TDistributionList&>(outer).members().items()[0], &club);
    ImportedEntries imported = entriesOfList(static_cast<const TDistributionList&>(club));
    EXPECT_EQ(imported.entries[0].nickname, "club");
    EXPECT_EQ(imported.entries[0].addressCount(), 3);
}

TEST(ImportVCard, ValuesInACharsetOfTheirOwnReadInUtf8) {
    const struct {
        const char* line;
        const char* display;
    } cases[] = {
        {"FN;CHARSET=ISO-8859-1;ENCODING=QUOTED-PRINTABLE:Ren=E9 M=FCller", "René Müller"},
        {"FN;CHARSET=\"KOI8-R\";ENCODING=QUOTED-PRINTABLE:=F0=C5=D4=D2", "Петр"},
        {"FN;ENCODING=QUOTED-PRINTABLE:Ren=C3=A9", "René"},
        {"FN;ENCODING=QUOTED-PRINTABLE:Ren=E9", "René"},  // an older program's code page
    };
    for (const auto& c : cases) {
        TOutlookAddressBooks reader;
        TAddressBook& book = reader.addTopBook("x");
        readVCard(std::string("BEGIN:VCARD\r\nVERSION:2.1\r\n") + c.line +
                      "\r\nEMAIL;INTERNET:p@example.org\r\nEND:VCARD\r\n",
                  book, reader);
        ASSERT_EQ(book.items().size(), 1u) << c.line;
        EXPECT_EQ(book.items()[0]->displayName(), c.display) << c.line;
    }
}

TEST(ImportNicknames, AliasAndNoteLinesOfTheNicknameFolder) {
    TOutlookAddressBooks reader;
    ASSERT_TRUE(reader.ExecuteEudora(fixture("eudora-folder"))) << reader.LastError();
    const TAddressBook& edition = reader.Books(0);
    EXPECT_EQ(edition.name(), "eudora-folder");
    // The edition book holds only sub-books: importing it imports nothing.
    ImportedEntries none = entriesOfBook(edition);
    EXPECT_EQ(
        importSummary(none.addresses, none.lists),
        "0 regular email address(es) imported.\r\r0 distribution email address(es) imported.");
    ASSERT_EQ(edition.subBookCount(), 2);
    EXPECT_THROW(edition.subBook(2), EOutlookAddressBookError);
    const TAddressBook& main = edition.subBook(0);
    EXPECT_EQ(main.name(), "Eudora Nicknames");
    EXPECT_EQ(edition.subBook(1).name(), "Family");
    ASSERT_EQ(names(main), (std::vector<std::string>{"My Old Pals From School", "bob", "Mr Boss",
                                                     "empty", "unterminated"}));
    const TEmailAddress& pals = *main.items()[0];
    ASSERT_EQ(pals.kind(), TEmailAddress::DistributionList);
    EXPECT_EQ(pals.Properties(kNickName), "pals");
    EXPECT_EQ(pals.Properties(kDepartment), "12 High Street");
    EXPECT_EQ(memberAddresses(pals),
              (std::vector<std::string>{"joe@example.com", "\"Lee, Ann\" <ann@example.com>"}));
    EXPECT_EQ(main.items()[1]->address(), "bob@example.com");  // bobby's note is not bob's
    EXPECT_EQ(main.items()[2]->address(), "boss@example.com");
    ImportedEntries imported = entriesOfBook(main);
    EXPECT_EQ(imported.lists, 1);
    EXPECT_EQ(imported.entries[0].addresses.size(), 2u);
    EXPECT_TRUE(imported.entries[3].addresses.empty());  // an alias without value
}

TEST(ImportLimits, AMissingFileIsReportedAndAnOversizedOneRefused) {
    TOutlookAddressBooks reader;
    EXPECT_FALSE(reader.Execute("/nonexistent/book.csv"));
    EXPECT_NE(reader.LastError().find("Cannot read"), std::string::npos);
    EXPECT_FALSE(reader.ExecuteEudora("/nonexistent"));
}

std::vector<TEmailNameObjListView> sampleEntries() {
    TEmailNameObjListView john;
    john.fullName = "\"Smith, John\"";
    john.nickname = "john";
    john.addresses = {"john@example.com", "js@home.example"};
    john.notes = {
        "Likes; semicolons, commas \\ and \"quotes\"", "",
        "Ünïcödé line that is quite long so that the vCard writer has to fold it somewhere"};
    TEmailNameObjListView list;
    list.fullName = "Book Club";
    list.nickname = "club";
    list.isMailingList = true;
    list.addresses = {"ann@example.com", "\"Lee, Ann\" <ann@example.com>"};
    list.listFrom = "club@example.com";
    list.listTo = "club@example.com";
    TEmailNameObjListView plain;
    plain.fullName = "Mary";
    plain.nickname = "mary";
    plain.addresses = {"mary@example.org"};
    return {john, list, plain};
}

TEST(Export, VCardAndCsvImportBackToTheSameEntries) {
    TempDir dir;
    const std::vector<TEmailNameObjListView> entries = sampleEntries();
    for (const auto& [name, bytes] :
         {std::pair{"book.vcf", exportVCard(entries)}, std::pair{"book.csv", exportCsv(entries)}}) {
        testing::writeFile(dir / name, bytes);
        TOutlookAddressBooks reader;
        ASSERT_TRUE(reader.Execute(dir / name)) << reader.LastError();
        EXPECT_EQ(entriesOfBook(reader.Books(0)).entries, entries) << name << "\n" << bytes;
    }
    // A CSV file beyond ASCII says it is UTF-8, for spreadsheets and Outlook; a plain one does not.
    EXPECT_TRUE(exportCsv(entries).starts_with("\xEF\xBB\xBF"));
    EXPECT_TRUE(exportCsv({entries[2]}).starts_with("\"Full Name\","));
    const std::string vcard = exportVCard(entries);
    for (std::size_t start = 0, end; (end = vcard.find("\r\n", start)) != std::string::npos;
         start = end + 2)
        EXPECT_LE(end - start, 75u);
}

}  // namespace
}  // namespace velmora::addressbook
