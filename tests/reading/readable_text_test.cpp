// Readable text: message bytes in their character sets shown as UTF-8, header words decoded in
// theirs, and what cannot be told read as windows-1252; the stored bytes stay as they were.
#include "reading/readable_text.h"

#include <gtest/gtest.h>

#include "reading/display_text.h"
#include "reading/folder_window.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::reading {
namespace {

TEST(ReadableText, BodiesInTheirCharacterSets) {
    struct Case {
        const char* name;
        std::string bytes;
        const char* charset;
        const char* expected;
    };
    const Case cases[] = {
        {"plain ASCII stays", "Hello", "us-ascii", "Hello"},
        {"UTF-8 stays",
         "Gr\xC3\xBC\xC3\x9F"
         "e",
         "utf-8", "Grüße"},
        {"ISO-8859-1",
         "Gr\xFC\xDF"
         "e",
         "ISO-8859-1", "Grüße"},
        {"charset name in any case",
         "Gr\xFC\xDF"
         "e",
         "iso-8859-1", "Grüße"},
        {"ISO-8859-2",
         "\xA3\xF3"
         "d\xBC",
         "iso-8859-2", "Łódź"},
        {"ISO-8859-15 euro", "3 \xA4", "iso-8859-15", "3 €"},
        {"windows-1252 quotes", "\x93quoted\x94", "windows-1252", "“quoted”"},
        {"windows-1251", "\xCF\xF0\xE8\xE2\xE5\xF2", "windows-1251", "Привет"},
        {"KOI8-R", "\xF0\xD2\xC9\xD7\xC5\xD4", "koi8-r", "Привет"},
        {"ISO-2022-JP", "\x1B$B$3$s$K$A$O\x1B(B", "iso-2022-jp", "こんにちは"},
        {"GB18030", "\xC4\xE3\xBA\xC3", "gb18030", "你好"},
        {"undeclared 8-bit reads as windows-1252", "caf\xE9 \x80", "", "café €"},
        {"undeclared UTF-8 is recognised", "caf\xC3\xA9", "", "café"},
        {"unknown set reads as windows-1252", "caf\xE9", "x-unheard-of", "café"},
        {"bad UTF-8 reads as windows-1252", "caf\xE9", "utf-8", "café"},
        {"a cut-off character reads as windows-1252", "a\x82", "shift_jis", "a‚"},
        // Labels as mail programs write them, read as the sets their senders use.
        {"Outlook's Korean label", "\xC7\xD1\xB1\xB9", "ks_c_5601-1987", "한국"},
        {"ISO-8859-1 with windows-1252 quotes",
         "\x93"
         "caf\xE9\x94 \x80",
         "iso-8859-1", "“café” €"},
        {"GB2312 label on GBK text", "\x81\x40", "gb2312", "丂"},
        {"x-sjis", "\x82\xA0", "x-sjis", "あ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(toUtf8(c.bytes, c.charset), c.expected);
    }
    // Without a guess: nothing for what only windows-1252 could read.
    EXPECT_EQ(mime::convertToUtf8("caf\xE9", "koi8-r"), "cafИ");
    for (const auto& [bytes, charset] :
         {std::pair{"caf\xE9", ""}, std::pair{"caf\xE9", "utf-8"},
          std::pair{"caf\xE9", "x-unheard-of"}, std::pair{"a\x82", "shift_jis"}})
        EXPECT_EQ(mime::convertToUtf8(bytes, charset), std::nullopt) << charset;
}

TEST(ReadableText, HeaderWordsInTheirOwnCharacterSets) {
    struct Case {
        const char* raw;
        const char* expected;
    };
    const Case cases[] = {
        {"=?iso-8859-1?Q?Andr=E9?= Dupont", "André Dupont"},
        {"=?UTF-8?B?R3LDvMOfZQ==?=", "Grüße"},
        {"=?koi8-r?B?8NLJ18XU?= =?utf-8?Q?_mir?=", "Привет mir"},
        {"=?iso-2022-jp?B?GyRCJDMkcyRLJEEkTxsoQg==?=", "こんにちは"},
        {"plain text", "plain text"},
        {"caf\xE9 =?bogus", "café =?bogus"},
        {"=?x-unknown?Q?caf=E9?=", "café"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.raw);
        EXPECT_EQ(readableHeaderValue(c.raw), c.expected);
    }
}

TEST(ReadableText, Utf8LinesWrapByCharacters) {
    // 70 two-byte characters: 65 and 5, never a character cut in two.
    std::string line;
    for (int i = 0; i < 70; ++i) line += "\xC3\xA9";
    const auto wrapped = wrapLines({line}, 65);
    ASSERT_EQ(wrapped.size(), 2u);
    EXPECT_EQ(wrapped[0].size(), 130u);
    EXPECT_EQ(wrapped[1].size(), 10u);
    EXPECT_EQ(wrapLines({"\xC3\xA9t\xC3\xA9 and more"}, 5),
              (std::vector<std::string>{"\xC3\xA9t\xC3\xA9 ", "and ", "more"}));
    // A line that is not UTF-8 (a single-byte set) counts its bytes.
    EXPECT_EQ(wrapLines({std::string(70, '\xE9')}, 65),
              (std::vector<std::string>{std::string(65, '\xE9'), std::string(5, '\xE9')}));
}

TEST(ReadableText, PreviewOfALatin1MessageIsUtf8AndTheFileUnchanged) {
    testing::TempDir home;
    const auto dir = home / "InBox.000";
    std::filesystem::create_directories(dir);
    testing::MessageSample sample;
    sample.subject = "R\xE9union \xE0 Z\xFCrich";
    sample.senderName = "Ren\xE9";
    sample.body = {
        "Gr\xFC\xDF"
        "e aus K\xF6ln"};
    sample.charSet = mime::TCharSet::csISO8859;
    const auto item = testing::storeMessage(dir, sample);
    const std::string stored = testing::readFile(store::messageFilePath(dir, item.fileName));
    testing::FakePlatform fake;
    const auto text = previewTextOf(dir, item, HeaderMode::Normal, 65, fake.dialogs);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("From: René <"), std::string::npos) << *text;
    EXPECT_NE(text->find("Subject: Réunion à Zürich\r\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("Grüße aus Köln"), std::string::npos) << *text;
    EXPECT_EQ(testing::readFile(store::messageFilePath(dir, item.fileName)), stored);
}

TEST(ReadableText, PreviewOfAJisMessageShowsItsNamesInJapanese) {
    // As arrival keeps a JIS message: its names in ISO-2022-JP, written as JIS encoded words.
    testing::TempDir home;
    const auto dir = home / "InBox.000";
    std::filesystem::create_directories(dir);
    const std::string jis = "\x1B$B$^$_$`$a$b\x1B(B";
    testing::MessageSample sample;
    sample.senderName = jis;
    sample.to = {{jis, "mikel@example.org"}};
    sample.charSet = mime::TCharSet::csISO2022jp;
    const auto item = testing::storeMessage(dir, sample);
    testing::FakePlatform fake;
    const auto text = previewTextOf(dir, item, HeaderMode::Normal, 65, fake.dialogs);
    ASSERT_TRUE(text);
    EXPECT_NE(text->find("From: まみむめも <ann@example.org>\r\n"), std::string::npos) << *text;
    EXPECT_NE(text->find("To: まみむめも <mikel@example.org>\r\n"), std::string::npos) << *text;
}

}  // namespace
}  // namespace velmora::reading
