#include "reading/display_text.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::reading {
namespace {

using testing::MessageSample;

mime::TmsMessage loaded(const std::string& text) {
    mime::TmsMessage message;
    message.LoadFromString(text);
    return message;
}

TEST(AddressDisplay, TheThreeRules) {
    EXPECT_EQ(nameAddressText("", "a@b"), "a@b");
    EXPECT_EQ(nameAddressText("Lee, Ann", "a@b"), "\"Lee, Ann\" <a@b>");
    EXPECT_EQ(nameAddressText("Ann", "a@b"), "Ann <a@b>");

    mime::TmsMailAddress comma("a@b", "Lee, Ann");
    EXPECT_EQ(fromText(comma), "\"Lee, Ann\" <a@b>");
    EXPECT_EQ(comma.Name(), "\"Lee, Ann\"");  // the quoted form replaces the name
    mime::TmsMailAddress quoted("a@b", "\"Lee, Ann\"");
    EXPECT_EQ(fromText(quoted), "\"Lee, Ann\" <a@b>");
    mime::TmsMailAddress nameOnly("", "Ann");
    EXPECT_EQ(fromText(nameOnly), "Ann <unknown address>");
    mime::TmsMailAddress addressOnly("a@b", "");
    EXPECT_EQ(fromText(addressOnly), "a@b");
    mime::TmsMailAddress nothing;
    EXPECT_EQ(fromText(nothing), "No Name <unknown address>");

    mime::TmsAddressList list;
    list.Add(mime::TmsMailAddress("bob@example.org", "Bob"));
    list.Add(mime::TmsMailAddress("cy@example.org", ""));
    list.Add(mime::TmsMailAddress("<>", "Dee"));
    EXPECT_EQ(recipientListText(list),
              "Bob <bob@example.org>, No Name <cy@example.org>, Dee <unknown address>");
    EXPECT_EQ(recipientListText(mime::TmsAddressList{}), "");
    EXPECT_EQ(bccStringsText({"Cy <cy@example.org>", "dee@example.org"}),
              "Cy <cy@example.org>, dee@example.org");
}

TEST(PreviewText, HeaderBlockInTheThreeModes) {
    testing::FakeDialogs dialogs;
    const std::string text =
        "From: \"Lee, Ann\" <ann@example.org>\r\nTo: bob@example.org\r\nDate: Tue, 31 Jul 2001 "
        "15:30:45 +0200\r\nSubject: Report\r\nReceived: from x\r\nBCC: hidden@example.org\r\n"
        "X-Mailer: m\r\n\r\n<p>body</p>\r\n";
    store::TObjListViewVLF item;
    item.bccList = {"Cy <cy@example.org>"};

    mime::TmsMessage message = loaded(text);
    EXPECT_EQ(previewLines(message, item, HeaderMode::Normal, dialogs),
              (std::vector<std::string>{"From: \"Lee, Ann\" <ann@example.org>",
                                        "To: No Name <bob@example.org>", "BCC: Cy <cy@example.org>",
                                        "Date: Tue, 31 Jul 2001 15:30:45 +0200", "Subject: Report",
                                        " ", "<p>body</p>"}));

    message = loaded(text);
    const auto full = previewLines(message, item, HeaderMode::Full, dialogs);
    const std::vector<std::string> tail(full.begin() + 5, full.end());
    EXPECT_EQ(tail,
              (std::vector<std::string>{"Received: from x", "X-Mailer: m", "", "", "<p>body</p>"}));

    message = loaded(text);
    const auto read = readWindowLines(message, item, HeaderMode::Full, dialogs);
    EXPECT_EQ(read[2], "Date: Tue, 31 Jul 2001 15:30:45 +0200");  // no BCC line in the block
    EXPECT_NE(std::find(read.begin(), read.end(), "BCC: hidden@example.org"), read.end());
    EXPECT_EQ(std::count(read.begin(), read.end(), ""), 1);

    message = loaded(text);
    EXPECT_EQ(previewLines(message, item, HeaderMode::BodyOnly, dialogs),
              std::vector<std::string>{"<p>body</p>"});

    // No CC, no recipients, nobody: the lines the rules give.
    message = loaded("Subject: s\r\n\r\nb\r\n");
    const auto bare = previewLines(message, store::TObjListViewVLF{}, HeaderMode::Normal, dialogs);
    EXPECT_EQ(bare[0], "From: No Name <unknown address>");
    EXPECT_EQ(bare[1], "To: ");
    EXPECT_EQ(bare[2].rfind("Date: ", 0), 0u);
}

TEST(PreviewText, AttachmentLinesByHandler) {
    testing::TempDir dir;
    testing::FakeDialogs dialogs;
    MessageSample sample;
    sample.attachments = {{"notes.txt", "n"}, {"photo.jpg", "j"}, {"data.bin", "d"}};
    mime::TmsMessage message = testing::buildMessage(sample);
    message.Attachments().Items(2).SetContentType("application/octet-stream");
    // Attachment files are looked at only inside a mail folder's directory.
    const auto folder = dir / "InBox.000";
    std::filesystem::create_directory(folder);
    testing::writeFile(folder / "notes.txt", "n");

    store::TObjListViewVLF item;
    item.attachList = {(folder / "notes.txt").string(), (folder / "missing.jpg").string()};
    EXPECT_EQ(attachmentLines(message, item, dialogs),
              (std::vector<std::string>{"", "Attachment: " + item.attachList[0],
                                        "Attachment: " + item.attachList[1],  // jpeg: not checked
                                        "Attachment mime_application_octet_stream Error",
                                        "Attachment Cannot Be Retrieved From msMessage Structure",
                                        "Attachment Content-Type: application/octet-stream"}));

    item.attachList.push_back((folder / "gone.bin").string());
    EXPECT_EQ(attachmentLines(message, item, dialogs).back(),
              "Attachment Not Found: " + item.attachList[2]);

    item.attachList.clear();
    EXPECT_TRUE(attachmentLines(message, item, dialogs).empty());
    EXPECT_TRUE(dialogs.shown.empty());
}

TEST(Wrapping, SplitsAfterTheLastBlankOrHyphen) {
    const std::string noBreaks(150, 'x');
    const auto wrapped = wrapLines({noBreaks}, 65);
    ASSERT_EQ(wrapped.size(), 3u);
    EXPECT_EQ(wrapped[0].size(), 65u);
    EXPECT_EQ(wrapped[1].size(), 65u);
    EXPECT_EQ(wrapped[2].size(), 20u);

    const std::string seventy = std::string(59, 'a') + " " + std::string(10, 'b');
    EXPECT_EQ(wrapLines({seventy}, 65),
              (std::vector<std::string>{std::string(59, 'a') + " ", std::string(10, 'b')}));
    EXPECT_EQ(wrapLines({"well-known words"}, 8),
              (std::vector<std::string>{"well-", "known ", "words"}));
    EXPECT_EQ(wrapLines({std::string(65, 'y'), "", "short"}, 65),
              (std::vector<std::string>{std::string(65, 'y'), "", "short"}));
    EXPECT_EQ(wordWrapWidth(" 72 "), 72);
    EXPECT_EQ(wordWrapWidth("wide"), 65);
}

TEST(PreviewText, OfAStoredRowWithoutItsPrivateBlock) {
    testing::TempDir dir;
    testing::FakeDialogs dialogs;
    MessageSample sample;
    sample.body = {std::string(70, 'w')};
    sample.attachments = {{"a.txt", "alpha"}};
    const store::TObjListViewVLF item = testing::storeMessage(dir.path(), sample);
    const auto text = previewTextOf(dir.path(), item, HeaderMode::Full, 65, dialogs);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->find("X-VL-"), std::string::npos);
    EXPECT_EQ(text->find("X-Attachments"), std::string::npos);
    EXPECT_NE(text->find("\r\n" + std::string(65, 'w') + "\r\n" + std::string(5, 'w') + "\r\n"),
              std::string::npos);
    // The path has hyphens, so at 65 it is wrapped too; wide enough it shows whole.
    const auto wide = previewTextOf(dir.path(), item, HeaderMode::BodyOnly, 500, dialogs);
    ASSERT_TRUE(wide);
    EXPECT_NE(wide->find("\r\nAttachment: " + item.attachList[0]), std::string::npos) << *wide;

    std::string failure;
    store::TObjListViewVLF gone = item;
    gone.fileName = "missing";
    EXPECT_FALSE(previewTextOf(dir.path(), gone, HeaderMode::Normal, 65, dialogs, &failure));
    EXPECT_FALSE(failure.empty());
}

}  // namespace
}  // namespace velmora::reading
