// The books of a home folder, kept by name.
#include "addressbook/address_books.h"

#include <gtest/gtest.h>

#include <fstream>

#include "addressbook/book_list.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::addressbook {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEmailNameObjListView person(std::string name, std::string nick, std::string address) {
    TEmailNameObjListView e;
    e.fullName = std::move(name);
    e.nickname = std::move(nick);
    e.addresses = {std::move(address)};
    return e;
}

TEST(AddressBooks, CreateTakesBackAnUnlistedFileInsteadOfOverwritingIt) {
    TempDir home;
    ASSERT_FALSE(writeBookFile(home / "Old.abk", {person("A", "a", "a@x")}, BookFileKind::Book));
    const std::string before = readFile(home / "Old.abk");
    AddressBooks books(home.path());
    ASSERT_FALSE(books.create("Old"));
    EXPECT_EQ(readFile(home / "Old.abk"), before);
    EXPECT_EQ(books.namesWithCounts(), std::vector<std::string>{"Old [1]"});
    EXPECT_EQ(readFile(home / "master.abk"), "46\r\nOld");
    ASSERT_FALSE(books.create("New"));
    EXPECT_EQ(readFile(home / "New.abk"), "46");
    EXPECT_TRUE(books.create("../escape"));
    EXPECT_TRUE(books.create("New"));
}

TEST(AddressBooks, RenameMovesTheFileFirstAndRefusesAnExistingTarget) {
    TempDir home;
    AddressBooks books(home.path());
    ASSERT_FALSE(books.create("Friends"));
    writeFile(home / "Taken.abk", "46\r\nsomeone else");
    EXPECT_EQ(books.rename("Friends", "Taken"), std::errc::file_exists);
    EXPECT_EQ(books.names(), std::vector<std::string>{"Friends"});
    EXPECT_EQ(readFile(home / "Taken.abk"), "46\r\nsomeone else");

    books.load("Friends");
    ASSERT_FALSE(books.rename("Friends", "Pals"));
    EXPECT_EQ(books.names(), std::vector<std::string>{"Pals"});
    EXPECT_EQ(books.loadedName(), "Pals");
    EXPECT_FALSE(std::filesystem::exists(home / "Friends.abk"));
    EXPECT_TRUE(std::filesystem::exists(home / "Pals.abk"));
    EXPECT_EQ(readFile(home / "master.abk"), "46\r\nPals");
}

TEST(AddressBooks, SavingAfterAReorderWritesOnlyTheLoadedBook) {
    TempDir home;
    AddressBooks books(home.path());
    ASSERT_FALSE(books.create("A"));
    ASSERT_FALSE(books.create("B"));
    books.load("B");
    books.entries().push_back(person("Bee", "bee", "b@x"));
    ASSERT_TRUE(books.reorder({"B", "A"}));
    ASSERT_FALSE(books.saveLoaded());
    EXPECT_EQ(readFile(home / "A.abk"), "46");
    EXPECT_EQ(books.readBook("B").entries.size(), 1u);
    EXPECT_FALSE(books.reorder({"B", "C"}));
}

TEST(AddressBooks, AFailedListWriteUndoesRenameAndRemove) {
    testing::SmallDisk disk(64 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    AddressBooks books(disk.path());
    ASSERT_FALSE(books.create("A"));
    ASSERT_FALSE(books.create("B"));
    // A full disk: moving a file still works, writing the new list does not.
    {
        std::ofstream filler(disk.path() / "filler", std::ios::binary);
        const std::string block(4096, 'x');
        for (int i = 0; i < 64 && filler.write(block.data(), block.size()) && filler.flush(); ++i) {
        }
    }
    EXPECT_EQ(books.rename("A", "C"), std::errc::no_space_on_device);
    EXPECT_EQ(books.remove("B"), std::errc::no_space_on_device);
    std::filesystem::remove(disk.path() / "filler");
    EXPECT_EQ(books.names(), (std::vector<std::string>{"A", "B"}));
    EXPECT_TRUE(std::filesystem::exists(disk.path() / "A.abk"));
    EXPECT_TRUE(std::filesystem::exists(disk.path() / "B.abk"));
    EXPECT_EQ(readFile(disk.path() / "master.abk"), "46\r\nA\r\nB");
}

TEST(AddressBooks, RemovingTheLastBookDeletesTheList) {
    TempDir home;
    AddressBooks books(home.path());
    ASSERT_FALSE(books.create("A"));
    ASSERT_FALSE(books.create("B"));
    ASSERT_FALSE(books.remove("A"));
    EXPECT_EQ(readFile(home / "master.abk"), "46\r\nB");
    EXPECT_FALSE(std::filesystem::exists(home / "A.abk"));
    ASSERT_FALSE(books.remove("B"));
    EXPECT_FALSE(std::filesystem::exists(home / "master.abk"));
}

TEST(AddressBooks, ADamagedBookIsKeptAsItWasBeforeItIsSavedOver) {
    TempDir home;
    const std::string damaged = "46\r\nA\r\na\r\nlots\r\nx@y";
    writeFile(home / "D.abk", damaged);
    writeFile(home / "master.abk", "46\r\nD");
    AddressBooks books(home.path());
    books.readList();
    BookReadResult r = books.load("D");
    EXPECT_FALSE(r.complete);
    EXPECT_FALSE(books.loadedComplete());
    ASSERT_FALSE(books.saveLoaded());
    EXPECT_EQ(readFile(home / "D.abk.damaged"), damaged);
    EXPECT_TRUE(books.loadedComplete());
}

TEST(AddressBooks, NicknameLookupSeesUnsavedChangesAndOtherBooks) {
    TempDir home;
    AddressBooks books(home.path());
    ASSERT_FALSE(books.create("A"));
    ASSERT_FALSE(books.create("B"));
    books.load("B");
    TEmailNameObjListView list = person("Team", "team", "x@y");
    list.isMailingList = true;
    books.entries().push_back(list);
    ASSERT_FALSE(books.saveLoaded());
    books.load("A");
    books.entries().push_back(person("Ann", "Annie", "ann@x"));
    auto ann = books.findNickname("annie");
    ASSERT_TRUE(ann);
    EXPECT_EQ(ann->book, "A");
    auto team = books.findNickname(" TEAM ");
    ASSERT_TRUE(team);
    EXPECT_EQ(team->book, "B");
    EXPECT_TRUE(team->entry.isMailingList);
    EXPECT_FALSE(books.findNickname("nobody"));
    EXPECT_EQ(findNicknameInHome(home.path(), "team")->entry.addresses,
              std::vector<std::string>{"x@y"});
    EXPECT_FALSE(findNicknameInHome(home.path(), "annie"));  // not saved yet
}

}  // namespace
}  // namespace velmora::addressbook
