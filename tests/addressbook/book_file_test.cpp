// The book file, its backup, "master.abk" and "addbook.cfg".
#include "addressbook/book_file.h"

#include <gtest/gtest.h>

#include "addressbook/book_list.h"
#include "addressbook/book_names.h"
#include "support/temp_dir.h"

namespace velmora::addressbook {
namespace {

using testing::TempDir;

TEmailNameObjListView person(std::string name, std::string nick,
                             std::vector<std::string> addresses) {
    TEmailNameObjListView e;
    e.fullName = std::move(name);
    e.nickname = std::move(nick);
    e.addresses = std::move(addresses);
    return e;
}

TEST(BookFile, RoundTripsByteForByteWithALastEntryEndingInEmptyLines) {
    const std::string bytes =
        "46\r\n"
        "Ann Lee\r\nann\r\n2\r\nann@example.com\r\nann@work.example\r\n\r\n"
        "1\r\nmet at the fair\r\n\r\nFALSE\r\n\r\n\r\n\r\n"
        "Smith, John\r\njohn\r\n1\r\njs@example.com\r\n\r\n0\r\n\r\nTRUE\r\nfrom@x\r\n\r\n";
    BookReadResult r = parseBook(bytes);
    ASSERT_TRUE(r.complete) << r.problem;
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0].notes, std::vector<std::string>{"met at the fair"});
    EXPECT_EQ(r.entries[1].fullName, "\"Smith, John\"");  // quoted in memory
    EXPECT_TRUE(r.entries[1].isMailingList);
    EXPECT_EQ(r.entries[1].listFrom, "from@x");
    EXPECT_EQ(r.entries[1].listReplyTo, "");
    EXPECT_EQ(bookBytes(r.entries, BookFileKind::Book), bytes);
    const std::string backup = bookBytes(r.entries, BookFileKind::Backup);
    EXPECT_NE(backup.find("\r\n\"Smith, John\"\r\njohn\r\n"), std::string::npos);
    EXPECT_EQ(parseBook(backup).entries, r.entries);
}

TEST(BookFile, EmptyLineBeforeTheNoteCountReadsTheSame) {
    const std::string plain = "46\r\nA\r\na\r\n1\r\na@x\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n";
    const std::string extra = "46\r\nA\r\na\r\n1\r\na@x\r\n\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n";
    EXPECT_EQ(parseBook(plain).entries, parseBook(extra).entries);
    EXPECT_TRUE(parseBook(extra).complete);
}

TEST(BookFile, OnlyTheUntouchedTemplateIsDroppedWhenAlone) {
    // A real entry that merely lacks a nickname is kept.
    std::vector<TEmailNameObjListView> real{person("Ann", "", {"ann@example.com"})};
    EXPECT_EQ(parseBook(bookBytes(real, BookFileKind::Book)).entries, real);
    std::vector<TEmailNameObjListView> untouched{person(kEnterFullName, kEnterNickname, {})};
    EXPECT_EQ(bookBytes(untouched, BookFileKind::Book), "46");
    EXPECT_TRUE(parseBook("46").entries.empty());
    EXPECT_EQ(bookBytes({}, BookFileKind::Book), "46");
}

TEST(BookFile, LineBreaksInFieldsNeverMisalignLaterEntries) {
    TEmailNameObjListView odd = person("Bad\r\nName", std::string("ni\0ck", 5), {"a@x\r\nb@y"});
    odd.notes = {"line one\nline two"};
    odd.listTo = "t\ro";
    std::vector<TEmailNameObjListView> book{odd, person("Next", "next", {"n@x"})};
    BookReadResult r = parseBook(bookBytes(book, BookFileKind::Book));
    ASSERT_TRUE(r.complete);
    ASSERT_EQ(r.entries.size(), 2u);
    EXPECT_EQ(r.entries[0].fullName, "Bad  Name");
    EXPECT_EQ(r.entries[0].nickname, "ni ck");
    EXPECT_EQ(r.entries[0].addresses, (std::vector<std::string>{"a@x", "b@y"}));
    EXPECT_EQ(r.entries[0].notes, (std::vector<std::string>{"line one", "line two"}));
    EXPECT_EQ(r.entries[0].listTo, "t o");
    EXPECT_EQ(r.entries[1], book[1]);
}

TEST(BookFile, DamagedCountsAreBoundedAndMarkTheBookIncomplete) {
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {
        {"not a number", "46\r\nA\r\na\r\nmany\r\nx@y\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n"},
        {"negative", "46\r\nA\r\na\r\n-3\r\nx@y\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n"},
        {"huge", "46\r\nA\r\na\r\n2147483647\r\nx@y\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n"},
        {"huge note count", "46\r\nA\r\na\r\n0\r\n\r\n99999999999\r\nnote\r\n"},
        {"ends inside an entry", "46\r\nA\r\na\r\n1\r\nx@y"},
    };
    for (const Case& c : cases) {
        BookReadResult r = parseBook(c.bytes);
        EXPECT_FALSE(r.complete) << c.name;
        EXPECT_FALSE(r.problem.empty()) << c.name;
        EXPECT_LE(r.entries.size(), 4u) << c.name;
    }
}

TEST(BookFile, WriteFailureKeepsTheOldFile) {
    TempDir dir;
    const auto file = dir / "Friends.abk";
    ASSERT_FALSE(writeBookFile(file, {person("A", "a", {"a@x"})}, BookFileKind::Book));
    const std::string before = testing::readFile(file);
    EXPECT_TRUE(writeBookFile(dir / "missing" / "x.abk", {}, BookFileKind::Book));
    EXPECT_EQ(testing::readFile(file), before);
}

TEST(BookNames, NamesThatWouldEscapeOrClobberAreRefused) {
    for (const char* bad :
         {"../x", "a/b", "/tmp/x", "a\\b", "tab\there", "", "   ", ".", "..", "master", "MASTER"})
        EXPECT_TRUE(bookNameProblem(bad)) << bad;
    EXPECT_TRUE(bookNameProblem(std::string(300, 'a')));
    for (const char* good : {"Friends", "Work 2026", "Müller & Co", "masterclass"})
        EXPECT_FALSE(bookNameProblem(good)) << good;
}

TEST(BookNames, FindsABookFileThatDiffersInCase) {
    TempDir dir;
    testing::writeFile(dir / "FRIENDS.ABK", "46");
    ASSERT_TRUE(findBookFile(dir.path(), "Friends"));
    EXPECT_EQ(findBookFile(dir.path(), "Friends")->filename(), "FRIENDS.ABK");
    EXPECT_FALSE(findBookFile(dir.path(), "Family"));
}

TEST(BookList, MasterListAndViewStateRoundTrip) {
    TempDir dir;
    ASSERT_FALSE(writeBookList(dir.path(), {"Friends", "Work"}));
    EXPECT_EQ(testing::readFile(dir / "master.abk"), "46\r\nFriends\r\nWork");
    EXPECT_EQ(readBookList(dir.path()), (std::vector<std::string>{"Friends", "Work"}));

    EXPECT_EQ(readAddBookConfig(dir.path()), AddBookConfig{});
    AddBookConfig c;
    c.selectedBook = 1;
    c.showListFields = false;
    c.sortColumn = 1;
    c.sortDirection = 1;
    c.selectedEntry = 7;
    c.fontName = "DejaVu Sans";
    c.fontSize = 12;
    c.fontColour = "clNavy";
    ASSERT_FALSE(writeAddBookConfig(dir.path(), c));
    EXPECT_EQ(readAddBookConfig(dir.path()), c);
}

}  // namespace
}  // namespace velmora::addressbook
