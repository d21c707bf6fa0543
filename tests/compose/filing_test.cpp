#include "compose/filing.h"

#include <gtest/gtest.h>

#include "../reading/fake_host.h"
#include "reading/folder_window.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;

class Filing : public ::testing::Test {
  protected:
    Filing() {
        for (const char* name : store::kDefaultFolderNames)
            fs::create_directories(home.path() / (std::string(name) + ".000"));
        me.profileName = "Work";
        me.fromName = "Ann Lee";
        me.fromAddress = "ann@example.org";
    }
    FilingOutcome file(const ComposeFields& f, const std::string& folder,
                       std::optional<MessageSource> source = std::nullopt) {
        FilingContext context{fake, home.path(), settings, folders};
        return fileComposeFields(f, me, folder, source, context);
    }
    reading::TinboxForm& window(const std::string& folder) {
        return folders.openFolderWindow(folder, true);
    }
    fs::path dir(const std::string& folder) { return store::folderDirectory(home.path(), folder); }

    testing::TempDir home;
    testing::FakePlatform fake;
    profiles::Settings settings;
    testing::FakeFolderHost folders{fake, home.path(), settings};
    profiles::TUsersObjListBox me;
};

TEST_F(Filing, EmptyFromTakesTheProfileAndKeepsComposeFromEmpty) {
    ComposeFields f;
    f.to = {"bob@example.org"};
    f.cc = {"Carl <carl@example.org>"};
    f.bcc = {"Hidden One <h1@example.org>", "h2@example.org", "Nameless <>"};
    f.subject = "Report";
    f.body = "Body\r\n";
    f.priority = Priority::Normal;
    const auto outcome = file(f, "Drafts");
    ASSERT_TRUE(outcome.filed);
    auto& drafts = window("Drafts");
    ASSERT_EQ(drafts.rowCount(), 1u);
    const auto& item = drafts.rows()[0].item;
    EXPECT_EQ(item.fileName, outcome.message.fileName);
    EXPECT_EQ(item.senderName, "Ann Lee");
    EXPECT_EQ(item.senderAddress, "ann@example.org");
    EXPECT_EQ(item.composeFrom, "");
    EXPECT_EQ(item.priority, "2 (Normal)");
    EXPECT_EQ(item.status, "R O r f a N");
    EXPECT_EQ(item.bccCount, 3);
    EXPECT_EQ(item.bccList,
              (std::vector<std::string>{"Hidden One <h1@example.org>", "h2@example.org",
                                        "Nameless <unknown address>"}));
    EXPECT_EQ(store::columnText(drafts.rows()[0].text, store::Column::To), "bob@example.org");

    mime::TmsMessage stored;
    ASSERT_FALSE(
        store::loadMessageFile(store::messageFilePath(dir("Drafts"), item.fileName), stored));
    EXPECT_EQ(stored.BCC().Count(), 0);
    EXPECT_EQ(stored.Body(), (std::vector<std::string>{"Body"}));
    const std::string text =
        testing::readFile(store::messageFilePath(dir("Drafts"), item.fileName));
    EXPECT_EQ(text.find("\r\nBCC:"), std::string::npos);
    EXPECT_NE(text.find("\r\nDate: "), std::string::npos);
}

TEST_F(Filing, CommaNameIsQuoted) {
    ComposeFields f;
    f.from = "Lee, Ann <ann@x.org>";
    f.to = {"bob@example.org"};
    ASSERT_TRUE(file(f, "OutBox").filed);
    const auto& item = window("OutBox").rows()[0].item;
    EXPECT_EQ(item.senderName, "\"Lee, Ann\"");
    EXPECT_EQ(item.composeFrom, "Lee, Ann <ann@x.org>");
}

TEST_F(Filing, AttachmentsOfOneNameDoNotOverwriteAndKeepTheirOwnName) {
    fs::create_directories(home.path() / "a");
    fs::create_directories(home.path() / "b");
    testing::writeFile(home.path() / "a" / "report.doc", "first");
    testing::writeFile(home.path() / "b" / "report.doc", "second");
    const fs::path stored = dir("Drafts") / "2001.07.31.15.30.45.123.att.report.doc";
    testing::writeFile(stored, "third");
    ComposeFields f;
    f.to = {"bob@example.org"};
    f.attachments = {home.path() / "a" / "report.doc", home.path() / "b" / "report.doc", stored,
                     home.path() / "missing.doc", "/dev/zero"};
    const auto outcome = file(f, "OutBox");
    ASSERT_TRUE(outcome.filed);
    const auto& item = window("OutBox").rows()[0].item;
    ASSERT_EQ(item.attachCount, 3);
    EXPECT_EQ(item.status, "R O r f A N");
    std::vector<std::string> contents;
    for (const auto& path : item.attachList) {
        EXPECT_EQ(fs::path(path).parent_path(), dir("OutBox"));
        EXPECT_EQ(fs::path(path).filename().string().rfind(outcome.message.fileName + ".att.", 0),
                  0u);
        contents.push_back(testing::readFile(path));
    }
    EXPECT_EQ(contents, (std::vector<std::string>{"first", "second", "third"}));
    EXPECT_EQ(fs::path(item.attachList[0]).filename().string(),
              outcome.message.fileName + ".att.report.doc");
    EXPECT_EQ(testing::readFile(stored), "third");  // the source's file is left alone
}

TEST_F(Filing, CopyingTwiceFromDraftsLeavesOneCopyAndTheNeighbours) {
    testing::MessageSample a, b, c;
    a.fileName = "2001.07.31.15.30.45.001";
    b.fileName = "2001.07.31.15.30.45.002";
    c.fileName = "2001.07.31.15.30.45.003";
    for (auto* s : {&a, &b, &c}) testing::storeMessage(dir("Drafts"), *s);
    auto& drafts = window("Drafts");
    ASSERT_EQ(drafts.rowCount(), 3u);

    ComposeFields f;
    f.to = {"bob@example.org"};
    f.subject = "Edited";
    MessageSource source{"Drafts", b.fileName};
    for (int i = 0; i < 2; ++i) {
        const auto outcome = file(f, "Drafts", source);
        ASSERT_TRUE(outcome.filed);
        source = outcome.message;  // the new copy is the source from now on
        drafts.sortRows();         // a re-sort between the two copies changes nothing
    }
    std::vector<std::string> names;
    for (const auto& row : drafts.rows()) names.push_back(row.item.fileName);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_NE(std::find(names.begin(), names.end(), a.fileName), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), c.fileName), names.end());
    EXPECT_NE(std::find(names.begin(), names.end(), source.fileName), names.end());
    EXPECT_TRUE(fs::exists(store::messageFilePath(dir("Drafts"), a.fileName)));
    EXPECT_TRUE(fs::exists(store::messageFilePath(dir("Drafts"), c.fileName)));
    EXPECT_FALSE(fs::exists(store::messageFilePath(dir("Drafts"), b.fileName)));
}

TEST_F(Filing, AGoneSourceRemovesNothing) {
    testing::MessageSample a;
    testing::storeMessage(dir("OutBox"), a);
    ASSERT_EQ(window("OutBox").rowCount(), 1u);
    ComposeFields f;
    f.to = {"bob@example.org"};
    ASSERT_TRUE(file(f, "OutBox", MessageSource{"OutBox", "1999.01.01.00.00.00.000"}).filed);
    EXPECT_EQ(window("OutBox").rowCount(), 2u);
}

TEST_F(Filing, AFailedWriteKeepsTheSourceAndAddsNoRow) {
    testing::SmallDisk disk(64 * 1024);
    VELMORA_SKIP_WITHOUT(disk);
    // A home on the small disk whose Drafts folder cannot take a large attachment.
    const fs::path small = disk.path();
    for (const char* name : store::kDefaultFolderNames)
        fs::create_directories(small / (std::string(name) + ".000"));
    testing::FakeFolderHost smallFolders{fake, small, settings};
    testing::MessageSample a;
    testing::storeMessage(store::folderDirectory(small, "Drafts"), a);
    testing::writeFile(home.path() / "big.bin", std::string(200 * 1024, 'x'));
    ComposeFields f;
    f.to = {"bob@example.org"};
    f.attachments = {home.path() / "big.bin"};
    FilingContext context{fake, small, settings, smallFolders};
    const auto outcome =
        fileComposeFields(f, me, "Drafts", MessageSource{"Drafts", a.fileName}, context);
    EXPECT_FALSE(outcome.filed);
    auto& drafts = smallFolders.openFolderWindow("Drafts", true);
    ASSERT_EQ(drafts.rowCount(), 1u);
    EXPECT_EQ(drafts.rows()[0].item.fileName, a.fileName);
    ASSERT_FALSE(fake.dialogs.texts("warning").empty());
    EXPECT_EQ(fake.dialogs.texts("warning")[0].rfind("File I/O Error 10778\r", 0), 0u);
    std::size_t files = 0;
    for (const auto& e : fs::directory_iterator(store::folderDirectory(small, "Drafts")))
        files += e.path().extension() != ".dat";
    EXPECT_EQ(files, 1u);
}

TEST(Priority, TextsBothWays) {
    EXPECT_STREQ(priorityText(Priority::High), "1 (High)");
    EXPECT_STREQ(priorityText(Priority::Low), "5 (Low)");
    EXPECT_EQ(priorityOf("2 (High)"), Priority::High);
    EXPECT_EQ(priorityOf("4 (Low)"), Priority::Low);
    EXPECT_EQ(priorityOf("3 (Normal)"), Priority::Normal);
    EXPECT_EQ(priorityOf("junk"), Priority::Normal);
}

}  // namespace
}  // namespace velmora::compose
