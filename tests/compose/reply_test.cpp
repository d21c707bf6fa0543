#include "compose/reply.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "base/text_file.h"
#include "compose/addresses.h"
#include "compose/compose_windows.h"
#include "compose/filing.h"
#include "compose/outgoing.h"
#include "fake_compose_host.h"
#include "profiles/profile.h"
#include "reading/readable_text.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using Lines = std::vector<std::string>;

// --- the body layout ----------------------------------------------------------------------------

struct LayoutCase {
    const char* name;
    bool signatures, atEnd, quote, greeting, reply;
    Lines expected;
    int caret;
};

TEST(ReplyBodyLayout, EveryRowOfTheTable) {
    const Lines sig = {"--", "Ann"};
    const Lines q = {">a", ">b"};
    const std::string g = "Hi Bob:";
    const LayoutCase cases[] = {
        {"sig, greeting, no quote",
         true,
         false,
         false,
         true,
         true,
         {g, "", "", "", "--", "Ann"},
         2},
        {"sig, greeting, no quote, at end",
         true,
         true,
         false,
         true,
         true,
         {g, "", "", "", "--", "Ann"},
         2},
        {"sig, no greeting, no quote",
         true,
         true,
         false,
         false,
         true,
         {"", "", "", "--", "Ann"},
         1},
        {"sig, beginning, quote, greeting",
         true,
         false,
         true,
         true,
         true,
         {g, "", "", "", "--", "Ann", ">a", ">b"},
         2},
        {"sig, beginning, quote, no greeting",
         true,
         false,
         true,
         false,
         true,
         {"", "", "", "--", "Ann", ">a", ">b"},
         1},
        {"sig, end, quote, greeting",
         true,
         true,
         true,
         true,
         true,
         {">a", ">b", "", "", g, "", "", "", "--", "Ann"},
         5},
        {"sig, end, quote, no greeting",
         true,
         true,
         true,
         false,
         true,
         {">a", ">b", "", "", "", "--", "Ann"},
         3},
        {"beginning, greeting only", false, false, false, true, true, {g, "", "", ""}, 2},
        {"beginning, nothing", false, false, false, false, true, {}, 0},
        {"beginning, quote, greeting",
         false,
         false,
         true,
         true,
         true,
         {g, "", "", "", ">a", ">b"},
         2},
        {"beginning, quote, no greeting",
         false,
         false,
         true,
         false,
         true,
         {"", "", "", ">a", ">b"},
         1},
        {"end, greeting only", false, true, false, true, true, {g, "", ""}, 2},
        {"end, nothing", false, true, false, false, true, {}, 0},
        {"end, quote, greeting", false, true, true, true, true, {">a", ">b", "", g, "", ""}, 5},
        {"end, quote, no greeting", false, true, true, false, true, {">a", ">b", "", "", ""}, 4},
        // A forward has no greeting line and starts the caret on the first line.
        {"forward, sig, greeting", true, false, false, true, false, {"", "", "--", "Ann"}, 0},
        {"forward, sig, quote, greeting",
         true,
         false,
         true,
         true,
         false,
         {"", "", "--", "Ann", ">a", ">b"},
         0},
        {"forward, end, sig, quote",
         true,
         true,
         true,
         true,
         false,
         {">a", ">b", "", "", "", "--", "Ann"},
         3},
    };
    for (const auto& c : cases) {
        BodyLayoutInput in;
        in.signatures = c.signatures;
        in.cursorAtEnd = c.atEnd;
        in.quote = c.quote;
        in.greeting = c.greeting;
        in.reply = c.reply;
        in.greetingLine = g;
        in.signatureLines = sig;
        in.quoteLines = q;
        const BodyLayout out = layoutReplyBody(in);
        EXPECT_EQ(out.lines, c.expected) << c.name;
        EXPECT_EQ(out.caretLine, c.caret) << c.name;
    }
}

// --- greeting
// -------------------------------------------------------------------------------------

TEST(ReplyGreeting, BuildersByPlaceholderAndNameForm) {
    struct Case {
        const char* templ;
        const char* name;
        const char* expected;
    } const cases[] = {
        {"Hi %FIRSTNAME%:", "Ann Lee", "Hi Ann:"},
        {"Hi %FIRSTNAME%:", "Ann", "Hi Ann:"},
        {"Hi %FIRSTNAME%:", "", "Hi:"},
        {"Hi %LASTNAME%:", "Ann van Lee", "Hi Lee:"},
        {"Hi %LASTNAME%:", "", "Hi:"},
        {"Hi %FIRSTNAME%:", "Lee, Ann", "Hi Ann:"},
        {"Hi %LASTNAME%:", "Lee, Ann", "Hi Lee:"},
        {"Hi %FIRSTNAME%:", "\"Lee, Ann\"", "Hi Ann:"},
        {"Hi %LASTNAME%:", "'Lee, Ann'", "Hi Lee:"},
        {"Dear %FULLNAME%,", "Lee, Ann", "Dear Ann Lee,"},
        {"Dear %FULLNAME%,", "ann@example.org", "Dear,"},
        {"%FULLNAME%", "ann@example.org", ""},  // the placeholder at position 0
        {"Hi %NICKNAME%:", "Ann Lee", "Hi:"},   // no address-book entry
        {"Hi %FIRSTNAME% %LASTNAME%", "Ann Lee", "Hi Ann %LASTNAME%"},
        {"Hi %FIRSTNAME%, %FIRSTNAME%!", "Ann Lee", "Hi Ann, Ann!"},
        // A name that reads like a placeholder is put in once, never expanded again.
        {"Hi %FIRSTNAME%:", "%FIRSTNAME%", "Hi %FIRSTNAME%:"},
        {"Hello there", "Ann Lee", "Hello there"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(addGreeting(c.templ, c.name, "ann@example.org", {}), c.expected)
            << c.templ << " / " << c.name;
}

TEST(ReplyGreeting, AddressBookEntrySuppliesFullNameAndNickname) {
    AddressBookEntry entry;
    entry.nickName = "annie";
    entry.fullName = "Annabel Lee";
    entry.addresses = {"ANN@example.org"};
    EXPECT_EQ(addGreeting("Hi %NICKNAME%:", "", "ann@example.org", {entry}), "Hi Annie:");
    EXPECT_EQ(addGreeting("Dear %FULLNAME%", "A. L.", "ann@example.org", {entry}),
              "Dear Annabel Lee");
    EXPECT_EQ(addGreeting("Hi %NICKNAME%:", "Bob Stone", "bob@example.org", {entry}), "Hi:");
    entry.nickName.clear();
    EXPECT_EQ(addGreeting("Hi %NICKNAME%:", "", "ann@example.org", {entry}), "Hi Annabel:");
}

// --- addressing
// -------------------------------------------------------------------------------------

mime::TmsMessage messageFrom(const std::string& name, const std::string& address) {
    mime::TmsMessage m;
    m.Sender() = mime::TmsMailAddress(address, name);
    return m;
}

TEST(ReplyAddressing, ReplyToAllCopiesEveryToRecipientButTheUser) {
    mime::TmsMessage m = messageFrom("Ann Lee", "ann@example.org");
    m.Recipients().AddAddress("list@lists.example.org", "");
    m.Recipients().AddAddress("me@home.example", "Me");
    m.CC().AddAddress("carl@example.org", "Carl");
    EXPECT_EQ(replyToEntries(m, "", true, "me@home.example"),
              (Lines{"Ann Lee <ann@example.org>", "list@lists.example.org"}));
    // Written with other letters it is another text: kept, as the exact comparison says.
    EXPECT_EQ(replyToEntries(m, "", true, "ME@home.example").size(), 3u);
    EXPECT_EQ(replyToEntries(m, "", false, "me@home.example"),
              (Lines{"Ann Lee <ann@example.org>"}));
    EXPECT_EQ(replyCcEntries(m), (Lines{"Carl <carl@example.org>"}));
    // Somebody in To and CC gets the reply once.
    m.CC().AddAddress("ANN@example.org", "Ann");
    EXPECT_EQ(replyCcEntries(m, replyToEntries(m, "", true, "me@home.example")),
              (Lines{"Carl <carl@example.org>"}));
}

TEST(ReplyAddressing, NamesFromMessagesStayOneRecipientEach) {
    mime::TmsMessage m = messageFrom("Pat O'Brien", "pat@example.org");
    m.CC().AddAddress("real@example.org", "x\", v@evil.com, \"");
    m.CC().AddAddress("sue@example.org", "Sue");
    const Lines cc = replyCcEntries(m);
    ASSERT_EQ(cc.size(), 2u);
    EXPECT_EQ(cc[0], "\"x, v@evil.com,\" <real@example.org>");
    const Lines to = replyToEntries(m, "", false, "");
    EXPECT_EQ(to, (Lines{"Pat OBrien <pat@example.org>"}));
    // The plain field of both, split again, gives the same entries back.
    EXPECT_EQ(addressLines(joinAddressLines(cc)), cc);
    EXPECT_EQ(mime::ParseMailAddress(cc[0]).Address(), "real@example.org");
}

TEST(ReplyAddressing, TextsWithoutAtAreNeverNicknames) {
    mime::TmsMessage m = messageFrom("", "ann@example.org");
    EXPECT_EQ(replyToEntries(m, "family", false, ""), (Lines{"family <unknown address>"}));
    EXPECT_EQ(replyToEntries(m, "Ann <ann@example.org>, Bob <bob@example.org>", true, ""),
              (Lines{"Ann <ann@example.org>", "Bob <bob@example.org>"}));
    EXPECT_EQ(abuseAddress("spam@bad.example"), "abuse@bad.example");
    EXPECT_EQ(abuseAddress("nobody"), "abuse@???????.???");
    EXPECT_EQ(replySubject("Re: x", false), "Re: Re: x");
    EXPECT_EQ(replySubject(std::string(300, 's'), true).size(), 255u);
}

TEST(OperatorForwards, ClosedBlocksOnly) {
    const Lines lines = {"intro",   "-ERR mailbox", "Sender: ", "Subject: hi",
                         "Size 12", "-ERR open",    "no size"};
    const auto blocks = operatorBlocks(lines);
    ASSERT_EQ(blocks.size(), 1u);
    EXPECT_EQ(blocks[0], (Lines{"-ERR mailbox", "Sender: ???@???.???", "Subject: hi", "Size 12"}));
}

// --- windows
// ------------------------------------------------------------------------------------------

struct Sample {
    std::string file;
    std::string senderName;
    std::string sender;
    std::string subject;
    Lines body;
    std::vector<std::pair<std::string, std::string>> to = {{"Me", "me@home.example"}};
    std::vector<std::pair<std::string, std::string>> cc = {};
    Lines headers = {};  // extra header lines
    std::vector<std::pair<std::string, std::string>> attachments = {};
    mime::TCharSet charSet = mime::TCharSet::csUSASCII;
};

class Replying : public ::testing::Test {
  protected:
    Replying() {
        host.addProfile();
        host.profileLists.record(0).fromAddress = "me@home.example";
        host.profileLists.record(0).fromName = "Me Myself";
        host.settingsValue.compose.useSignatureBlocks = false;
        host.settingsValue.reply.includeOriginal = true;
        host.settingsValue.reply.notifyReplyTo = true;
    }
    fs::path dir(const std::string& folder) { return store::folderDirectory(home.path(), folder); }
    store::TObjListViewVLF store(const std::string& folder, const Sample& s) {
        testing::MessageSample sample;
        sample.fileName = s.file;
        sample.senderName = s.senderName;
        sample.senderAddress = s.sender;
        sample.subject = s.subject;
        sample.body = s.body;
        sample.to = s.to;
        sample.attachments = s.attachments;
        sample.charSet = s.charSet;
        mime::TmsMessage message = testing::buildMessage(sample);
        for (const auto& [name, address] : s.cc)
            message.CC().Add(mime::TmsMailAddress(address, name));
        for (const auto& line : s.headers) message.Headers().Add(line);
        store::TObjListViewVLF item = testing::itemFor(sample);
        EXPECT_FALSE(store::saveAttachmentFiles(message, dir(folder), item));
        EXPECT_FALSE(store::writeMessageFile(message, item, dir(folder),
                                             store::PrioritySpelling::NewMessage));
        return item;
    }
    reading::TinboxForm& inbox() {
        auto& w = host.folderHost.openFolderWindow("InBox", true);
        host.folderHost.current = &w;
        return w;
    }
    std::vector<TcomposeForm*> open() { return host.composeWindows(); }
    std::string status(const std::string& file) {
        auto& w = inbox();
        return w.rows()[static_cast<std::size_t>(findRowByFileName(w, file))].item.status;
    }

    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host{fake, home.path()};
    ComposeWindows windows{fake, home.path(), host};
    ReplyForward replies{windows};
};

TEST_F(Replying, ThreeSelectedRowsGiveThreeWindowsEachFromItsOwnMessage) {
    const Sample samples[] = {
        {"2001.07.31.15.30.45.001", "Ann Lee", "ann@example.org", "One", {"text of ann"}},
        {"2001.07.31.15.30.45.002", "Bob Stone", "bob@example.org", "Two", {"text of bob"}},
        {"2001.07.31.15.30.45.003", "Cy Young", "cy@example.org", "Three", {"text of cy"}},
    };
    for (const auto& s : samples) store("InBox", s);
    auto& w = inbox();
    w.selectAll();
    // A stale preview of another row never stands in for the answered message.
    w.clickRow(0);
    w.loadPreview();
    w.selectAll();
    EXPECT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 3);
    const auto windows = open();
    ASSERT_EQ(windows.size(), 3u);
    std::vector<std::string> seen;
    for (TcomposeForm* window : windows) {
        EXPECT_EQ(window->key(), "Compose.Reply");
        EXPECT_FALSE(window->loading());
        const std::string to = window->plain(AddressField::To);
        const Sample* own = nullptr;
        for (const auto& s : samples)
            if (to == s.senderName + " <" + s.sender + ">") own = &s;
        ASSERT_NE(own, nullptr) << to;
        seen.push_back(own->file);
        EXPECT_EQ(window->subject(), "Re: " + own->subject);
        EXPECT_NE(window->body().find(">" + own->body[0]), std::string::npos) << window->body();
        for (const auto& other : samples) {
            if (&other != own) {
                EXPECT_EQ(window->body().find(other.body[0]), std::string::npos);
            }
        }
        EXPECT_NE(window->caption().find(" - Reply To Sender - [" + own->subject + "]"),
                  std::string::npos);
        EXPECT_EQ(window->from(), "Me Myself <me@home.example>");
    }
    std::sort(seen.begin(), seen.end());
    EXPECT_EQ(seen, (Lines{samples[0].file, samples[1].file, samples[2].file}));
    for (const auto& s : samples) EXPECT_EQ(status(s.file), "R O R f a N") << s.file;
}

TEST_F(Replying, ReplyToAllWithReplyToAndCc) {
    store("InBox", {"2001.07.31.15.30.45.001",
                    "Ann Lee",
                    "ann@example.org",
                    "Plans",
                    {"hello"},
                    {{"", "list@lists.example.org"}, {"Me", "me@home.example"}},
                    {{"Carl", "carl@example.org"}, {"Me", "me@home.example"}},
                    {"Reply-To: Plans List <plans@lists.example.org>",
                     "Message-ID: <m1@example.org>", "References: <m0@example.org>"}});
    inbox().selectAll();
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToAll, MessageTextFlag::TextOk), 1);
    TcomposeForm& w = *open().front();
    EXPECT_EQ(w.lines(AddressField::To), (Lines{"Plans List <plans@lists.example.org>"}));
    EXPECT_EQ(w.tabCaption(ComposePage::To), "Reply To: [1]");
    // The user's own address stays in CC.
    EXPECT_EQ(w.lines(AddressField::CC),
              (Lines{"Carl <carl@example.org>", "Me <me@home.example>"}));
    EXPECT_EQ(fake.dialogs.texts("information"), (Lines{kReplyToInUseText}));
    EXPECT_EQ(w.fields().inReplyTo, "<m1@example.org>");
    EXPECT_EQ(w.fields().references, "<m0@example.org> <m1@example.org>");
    // A reply's Body is written in the reply font, not the compose font.
    host.settingsValue.compose.font.name = "DejaVu Serif";
    host.settingsValue.reply.font.name = "DejaVu Sans Mono";
    EXPECT_EQ(w.bodyFont().name, "DejaVu Sans Mono");
}

TEST_F(Replying, QuoteFollowsHeaderModeAndNeverShowsBcc) {
    auto item =
        store("InBox", {"2001.07.31.15.30.45.001",
                        "Ann Lee",
                        "ann@example.org",
                        "Plans",
                        {"hello"},
                        {{"Me", "me@home.example"}},
                        {},
                        // The writer takes out the first BCC line; the second stays in the file.
                        {"BCC: first@example.org", "BCC: secret@example.org"}});
    auto& w = inbox();
    w.row(0).item.bccList = {"Hidden <hidden@example.org>"};
    w.setHeaderMode(reading::HeaderMode::Full);
    w.selectAll();
    host.settingsValue.reply.indentCharacter = "| ";
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    const std::string body = open().front()->body();
    EXPECT_NE(body.find("| From: Ann Lee <ann@example.org>"), std::string::npos) << body;
    EXPECT_NE(body.find("| hello"), std::string::npos);
    EXPECT_EQ(body.find("secret@"), std::string::npos) << body;
    EXPECT_EQ(body.find("hidden@"), std::string::npos) << body;
    EXPECT_EQ(body.find("X-VL-"), std::string::npos) << body;
}

TEST_F(Replying, NoMessageTextAndWithMessageText) {
    store("InBox", {"2001.07.31.15.30.45.001", "Ann Lee", "ann@example.org", "Plans", {"hello"}});
    inbox().selectAll();
    host.settingsValue.reply.useGreeting = true;
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextNotOk), 1);
    EXPECT_EQ(open().back()->body(), "Hi Ann:\r\n\r\n\r\n");
    EXPECT_EQ(open().back()->caretLine(), 2);
    host.settingsValue.reply.includeOriginal = false;
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk, true), 1);
    EXPECT_NE(open().back()->body().find(">hello"), std::string::npos);
    EXPECT_FALSE(host.settingsValue.reply.includeOriginal);
}

TEST_F(Replying, ASubjectInAnotherCharacterSetIsAnsweredInItsOwnLetters) {
    store("InBox", {"2001.07.31.15.30.45.001",
                    "Ann Lee",
                    "ann@example.org",
                    "=?KOI8-R?Q?=F0=D2=C9=D7=C5=D4?=",
                    {"hello"},
                    {{"Me", "me@home.example"}},
                    {},
                    {},
                    {}});
    auto& w = inbox();
    w.selectAll();
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    EXPECT_EQ(open().front()->subject(), "Re: Привет");
}

TEST_F(Replying, TheQuoteIsUtf8AndWrappedByCharactersInEveryCharacterSet) {
    // A Latin-1 message whose subject is an encoded word: header and body quoted alike in UTF-8.
    Sample latin1{"2001.07.31.15.30.45.001",
                  "Ren\xE9",
                  "rene@example.org",
                  "=?ISO-8859-1?Q?R=E9union_=E0_Z=FCrich?=",
                  {"Gr\xFC\xDF", std::string(70, '\xE9')}};
    latin1.charSet = mime::TCharSet::csISO8859;
    // A long subject without blanks in a script of three bytes a character.
    std::string japanese;
    for (int i = 0; i < 14; ++i) japanese += "まみむめも";
    Sample utf8{"2001.07.31.15.30.45.002", "Mikel", "mikel@example.org", japanese, {"data"}};
    utf8.charSet = mime::TCharSet::csUTF8;
    store("InBox", latin1);
    store("InBox", utf8);
    auto& w = inbox();
    std::string eAcute;
    for (int i = 0; i < 5; ++i) eAcute += "é";
    w.selectAll();
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 2);
    for (TcomposeForm* window : open()) {
        const std::string body = window->body();
        EXPECT_TRUE(reading::isValidUtf8(body)) << body;
        EXPECT_TRUE(reading::isValidUtf8(window->plain(AddressField::To)));
        if (body.find("rene@") != std::string::npos) {
            EXPECT_EQ(window->plain(AddressField::To), "René <rene@example.org>");
            EXPECT_NE(body.find(">Subject: Réunion à Zürich\r\n"), std::string::npos) << body;
            EXPECT_NE(body.find(">Grüß\r\n"), std::string::npos) << body;
            // 70 letters: 65 on the first line, 5 on the next.
            EXPECT_TRUE(body.ends_with("é\r\n>" + eAcute)) << body;
        } else {
            // The line breaks after "Subject: ", its only blank; then 65 characters and 5.
            EXPECT_NE(body.find(">Subject: \r\n>" + japanese.substr(0, 65 * 3) + "\r\n>" +
                                japanese.substr(65 * 3) + "\r\n"),
                      std::string::npos)
                << body;
        }
    }
}

TEST_F(Replying, ForwardAttachesOnlyStoredFilesBesideTheMessage) {
    const fs::path outside = home.path() / "outside.txt";
    testing::writeFile(outside, "not stored");
    auto item = store("InBox", {"2001.07.31.15.30.45.001",
                                "Ann Lee",
                                "ann@example.org",
                                "Files",
                                {"see"},
                                {{"Me", "me@home.example"}},
                                {},
                                {},
                                {{"report.att.pdf", "PDF"}, {"gone.txt", "x"}}});
    auto& w = inbox();
    ASSERT_EQ(w.row(0).item.attachList.size(), 2u);
    fs::remove(w.row(0).item.attachList[1]);
    const std::string missing = w.row(0).item.attachList[1];
    w.row(0).item.attachList.push_back(outside.string());
    w.selectAll();
    ASSERT_EQ(replies.openForwardWindows(ReplyMode::Forward, MessageTextFlag::TextOk), 1);
    TcomposeForm& f = *open().front();
    EXPECT_EQ(f.key(), "Compose.Forward");
    EXPECT_TRUE(f.lines(AddressField::To).empty());
    EXPECT_EQ(f.subject(), "Fwd: Files");
    ASSERT_EQ(f.attachments().size(), 1u);
    EXPECT_EQ(attachmentNameOf(f.attachments()[0]), "report.att.pdf");
    EXPECT_EQ(f.tabCaption(ComposePage::Attachments), "report.att.pdf");
    EXPECT_EQ(fake.dialogs.texts("information"),
              (Lines{"Attachment file\r" + missing + "\ris missing.",
                     "Attachment file\r" + outside.string() + "\ris missing."}));
    EXPECT_EQ(status("2001.07.31.15.30.45.001"), "R O r F a N");
}

TEST_F(Replying, AbuseForwardKeepsTheQuoteWithCursorAtEnd) {
    store(
        "InBox",
        {"2001.07.31.15.30.45.001", "Spam King", "king@spam.example", "Buy now", {"cheap stuff"}});
    host.settingsValue.reply.cursorPosition = 1;  // "End of Message"
    inbox().selectAll();
    ASSERT_EQ(replies.openForwardWindows(ReplyMode::ForwardAbuse, MessageTextFlag::TextOk), 1);
    TcomposeForm& f = *open().front();
    EXPECT_EQ(f.lines(AddressField::To), (Lines{"abuse@spam.example"}));
    const Lines body = splitLines(f.body());
    ASSERT_FALSE(body.empty());
    EXPECT_EQ(body.front(), ">From: Spam King <king@spam.example>");
    EXPECT_NE(f.body().find(">Subject: Buy now"), std::string::npos);
    EXPECT_NE(f.body().find(">cheap stuff"), std::string::npos);
    EXPECT_TRUE(f.attachments().empty());
    EXPECT_EQ(f.caretLine(), 0);
    // With the caret at the beginning only the empty lines above the quote go.
    host.settingsValue.reply.cursorPosition = 0;
    inbox().selectAll();
    ASSERT_EQ(replies.openForwardWindows(ReplyMode::ForwardAbuse, MessageTextFlag::TextOk), 1);
    EXPECT_EQ(splitLines(open().back()->body()).front(), "");
    EXPECT_EQ(splitLines(open().back()->body())[1], ">From: Spam King <king@spam.example>");
}

TEST_F(Replying, ReplyOpensOnTheBodyTabOptionOrTheLastClickedTab) {
    store("InBox", {"2001.07.31.15.30.45.001", "Ann", "ann@example.org", "S", {"x"}});
    inbox().selectAll();
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    EXPECT_EQ(open().back()->page(), ComposePage::Compose);
    open().back()->tabClicked(ComposePage::Body);
    open().back()->tabClicked(ComposePage::Options);  // not one a reply opens on
    inbox().selectAll();
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    EXPECT_EQ(open().back()->page(), ComposePage::Body);
    host.settingsValue.reply.openOnBodyTab = true;
    open().back()->tabClicked(ComposePage::Compose);
    inbox().selectAll();
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    EXPECT_EQ(open().back()->page(), ComposePage::Body);
}

TEST_F(Replying, DraftsRowsAreNeverAnswered) {
    store("Drafts", {"2001.07.31.15.30.45.001", "Me", "me@home.example", "Draft", {"x"}});
    auto& drafts = host.folderHost.openFolderWindow("Drafts", true);
    host.folderHost.current = &drafts;
    drafts.selectAll();
    EXPECT_FALSE(replies.available());
    EXPECT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 0);
    EXPECT_TRUE(open().empty());
}

TEST_F(Replying, ManyWindowsAskFirst) {
    for (int i = 0; i < 11; ++i)
        store("InBox", {"2001.07.31.15.30.45." + std::to_string(100 + i),
                        "Ann",
                        "ann@example.org",
                        "S",
                        {"x"}});
    inbox().selectAll();
    fake.dialogs.answers = {Answer::No};
    EXPECT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 0);
    EXPECT_TRUE(open().empty());
    ASSERT_EQ(fake.dialogs.texts("question").size(), 1u)
        << ::testing::PrintToString(fake.dialogs.texts());
}

TEST_F(Replying, MissingFileStopsAndMarksNothing) {
    store("InBox", {"2001.07.31.15.30.45.001", "Ann", "ann@example.org", "S", {"x"}});
    store("InBox", {"2001.07.31.15.30.45.002", "Bob", "bob@example.org", "S", {"y"}});
    auto& w = inbox();
    w.selectAll();
    fs::remove(store::messageFilePath(w.directory(), w.rows()[0].item.fileName));
    EXPECT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 0);
    EXPECT_EQ(fake.dialogs.texts("warning"), (Lines{"File I/O Error 3857"}));
    EXPECT_TRUE(open().empty());
    EXPECT_EQ(w.rows()[1].item.status, "U O r f a N");
}

TEST_F(Replying, ReadWindowInFrontAnswersItsOwnMessage) {
    store("InBox", {"2001.07.31.15.30.45.001", "Ann", "ann@example.org", "S", {"x"}});
    store("InBox", {"2001.07.31.15.30.45.002", "Bob", "bob@example.org", "S", {"y"}});
    auto& w = inbox();
    const int bob = findRowByFileName(w, "2001.07.31.15.30.45.002");
    w.clickRow(bob);
    w.openSelectedRows();
    w.clickRow(1 - bob);  // the folder's selection moved on; the read window still shows Bob's
    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    EXPECT_EQ(open().front()->plain(AddressField::To), "Bob <bob@example.org>");
}

TEST_F(Replying, CommandsAreRegisteredForTheFolderWindow) {
    platform::Commands commands;
    registerReplyCommands(commands, std::make_shared<ReplyForward>(windows), host);
    for (const char* name :
         {reading::folder_commands::kReplySender, reading::folder_commands::kReplyAll,
          reading::folder_commands::kReplySenderOpposite,
          reading::folder_commands::kReplyAllOpposite, reading::folder_commands::kForward,
          reading::folder_commands::kForwardAbuse})
        EXPECT_NE(commands.find(name), nullptr) << name;
    store("InBox", {"2001.07.31.15.30.45.001", "Ann", "ann@example.org", "S", {"x"}});
    inbox().selectAll();
    EXPECT_TRUE(commands.run("reply.allFrom.0"));
    EXPECT_FALSE(commands.available("reply.allFrom.1"));  // one profile
    ASSERT_EQ(open().size(), 1u);
    EXPECT_NE(open().front()->caption().find("Reply To All From"), std::string::npos);
    const auto menu = replyMenuEntries(commands, host.profileLists, true);
    const auto* from = platform::findMenuEntry(menu, "mnuMail_ReplyFrom_Sender_0");
    ASSERT_NE(from, nullptr);
    EXPECT_EQ(from->caption, "Work");
    EXPECT_NE(platform::findMenuEntry(menu, "mnuMail_ReplyToSenderOpposite"), nullptr);
    EXPECT_EQ(platform::findMenuEntry(menu, "mnuMail_ReplyToSenderOpposite")->caption,
              "Reply To Sender (no message text)");
}

TEST_F(Replying, ShiftForwardOfTheAuditLogFilesOneAbuseReportPerClosedBlock) {
    store("InBox", {"2001.07.31.15.30.45.001",
                    "Audit",
                    "audit@home.example",
                    "Audit log",
                    {"-ERR 1", "Sender: spam@bad.example", "Subject: Buy now", "Size 10", "-ERR 2",
                     "Sender: x@evil.example", "Subject: More", "Size 20", "-ERR never closed"}});
    auto& w = inbox();
    w.clickRow(0);
    w.loadPreview();
    host.folderHost.activateChildWindow(w);
    fake.system.shift = true;
    fake.dialogs.answers = {Answer::Yes};
    replies.forwardCommand();
    EXPECT_EQ(fake.dialogs.texts("question"),
              (Lines{"Total OutBox Messages To Create = 2  Continue?"}));
    auto* outbox = host.folderHost.findFolderWindow("OutBox");
    ASSERT_NE(outbox, nullptr);
    ASSERT_EQ(outbox->rowCount(), 2u);
    std::vector<std::string> subjects;
    for (const auto& row : outbox->rows()) {
        subjects.push_back(row.item.subject);
        EXPECT_EQ(row.item.composeFrom, "postmaster@home.example");
    }
    std::sort(subjects.begin(), subjects.end());
    EXPECT_EQ(subjects, (Lines{"Buy now", "More"}));
    EXPECT_TRUE(open().empty());  // each went to OutBox at once
}

TEST_F(Replying, CtrlForwardWritesMisspelledUsernameNotices) {
    store("InBox", {"2001.07.31.15.30.45.001",
                    "Audit",
                    "audit@home.example",
                    "Audit log",
                    {"-ERR no such user", "jonh@home.example", "Subject: Hello", "Size 10"}});
    auto& w = inbox();
    w.clickRow(0);
    w.loadPreview();
    host.folderHost.activateChildWindow(w);
    fake.system.ctrl = true;
    replies.forwardCommand();
    EXPECT_TRUE(fake.dialogs.texts("question").empty());
    ASSERT_EQ(open().size(), 1u);
    TcomposeForm& notice = *open().front();
    EXPECT_EQ(notice.lines(AddressField::To), (Lines{"jonh@home.example"}));
    EXPECT_EQ(notice.subject(), "home.example - Mis-spelled Username");
    EXPECT_EQ(notice.body().rfind("Our header audit log shows", 0), 0u);
    EXPECT_NE(notice.body().find("\r\n\r\n-ERR no such user\r\n"), std::string::npos);
}

// What Python's e-mail package reads of a message: chosen headers, the text body and each
// attachment's name and bytes (hex), one "key: value" per line.
std::string readWithPython(const fs::path& file) {
    const fs::path script = file.parent_path() / "read.py";
    testing::writeFile(
        script,
        "import sys, email\n"
        "from email import policy\n"
        "m = email.message_from_binary_file(open(sys.argv[1], 'rb'), policy=policy.default)\n"
        "for h in ('Subject', 'To', 'In-Reply-To', 'References'):\n"
        "    print(h + ': ' + str(m.get(h, '')))\n"
        "body = m.get_body(preferencelist=('plain',))\n"
        "print('Body: ' + repr(body.get_content()))\n"
        "for part in m.iter_attachments():\n"
        "    print('Attachment: ' + str(part.get_filename()) + ' ' + "
        "part.get_payload(decode=True).hex())\n");
    const std::string command = "python3 '" + script.string() + "' '" + file.string() + "'";
    std::string out;
    if (FILE* pipe = ::popen(command.c_str(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
    }
    return out;
}

TEST_F(Replying, ReplyAndForwardArriveAtAiosmtpdAsLaidOut) {
    testing::TempDir serverDir;
    testing::SmtpSinkServer sink(serverDir.path() / "smtp");
    if (const std::string error = sink.start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;
    host.settingsValue.send.smtpPort = std::to_string(sink.port());
    host.settingsValue.compose.useSignatureBlocks = true;
    host.settingsValue.compose.closeAfterSending = false;
    host.settingsValue.reply.useGreeting = true;
    SignatureList signatures;
    signatures.blocks = {{"Work", {"-- \r\nMe at home"}}};
    ASSERT_FALSE(writeSignatureFile(profiles::signatureFilePath(home.path(), "Work"), signatures));
    const std::string bytes("%PDF\0\1\2\xff end", 12);
    store("InBox", {"2001.07.31.15.30.45.001",
                    "Ann Lee",
                    "ann@example.org",
                    "Plans",
                    {"Shall we meet?"},
                    {{"Me", "me@home.example"}},
                    {},
                    {"Message-ID: <plans-1@example.org>"},
                    {{"agenda.pdf", bytes}}});
    inbox().selectAll();

    ASSERT_EQ(replies.openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk), 1);
    TcomposeForm& reply = *open().back();
    EXPECT_EQ(splitLines(reply.body()).front(), "Hi Ann:");
    host.active = &reply;
    windows.sendCommand();
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds{10}));

    inbox().selectAll();
    ASSERT_EQ(replies.openForwardWindows(ReplyMode::Forward, MessageTextFlag::TextOk), 1);
    TcomposeForm& forward = *open().back();
    forward.setPlain(AddressField::To, "Carol <carol@example.org>");
    forward.leavePlain(AddressField::To);
    host.active = &forward;
    windows.sendCommand();
    ASSERT_TRUE(sink.waitForMessages(2, std::chrono::seconds{10}));

    const fs::path replyFile = serverDir.path() / "reply.eml";
    const fs::path forwardFile = serverDir.path() / "forward.eml";
    testing::writeFile(replyFile, sink.message(0));
    testing::writeFile(forwardFile, sink.message(1));
    EXPECT_EQ(readWithPython(replyFile),
              "Subject: Re: Plans\n"
              "To: Ann Lee <ann@example.org>\n"
              "In-Reply-To: <plans-1@example.org>\n"
              "References: <plans-1@example.org>\n"
              // greeting, empty, empty, empty, signature, quote (the attachment by its own name)
              "Body: 'Hi Ann:\\n\\n\\n\\n-- \\nMe at home\\n>From: Ann Lee <ann@example.org>\\n"
              ">To: Me <me@home.example>\\n>Date: Tue, 31 Jul 2001 15:30:45 +0200\\n>Subject: "
              "Plans\\n> \\n"
              ">Shall we meet?\\n>Attachment: agenda.pdf\\n'\n");
    const std::string forwarded = readWithPython(forwardFile);
    EXPECT_NE(forwarded.find("Subject: Fwd: Plans\n"), std::string::npos) << forwarded;
    EXPECT_NE(forwarded.find("In-Reply-To: \n"), std::string::npos) << forwarded;
    EXPECT_NE(forwarded.find(">Shall we meet?"), std::string::npos) << forwarded;
    EXPECT_NE(forwarded.find("Attachment: agenda.pdf 25504446000102ff20656e64\n"),
              std::string::npos)
        << forwarded;
}

TEST_F(Replying, TextInEveryScriptArrivesAtAiosmtpdAsItWasTyped) {
    testing::TempDir serverDir;
    testing::SmtpSinkServer sink(serverDir.path() / "smtp");
    if (const std::string error = sink.start(); !error.empty())
        GTEST_SKIP() << "aiosmtpd: " << error;
    host.settingsValue.send.smtpPort = std::to_string(sink.port());
    host.settingsValue.compose.closeAfterSending = false;
    // As typed in the window: UTF-8.
    const std::string text =
        "Gr\xC3\xBC\xC3\x9F"
        "e \xE2\x82\xAC \xE2\x80\x9EZitat\xE2\x80\x9C "
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";
    TcomposeForm* window = windows.openNew();
    ASSERT_NE(window, nullptr);
    fake.clock.advance(platform::Milliseconds{60});
    window->setPlain(AddressField::To, "\xD0\xAE\xD0\xBB\xD0\xB8\xD1\x8F <julia@example.org>");
    window->leavePlain(AddressField::To);
    window->setSubject(text);
    window->setBody(text);
    const fs::path attachment = serverDir.path() / "\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBD.txt";
    testing::writeFile(attachment, "plan");
    window->addAttachments({attachment});
    host.active = window;
    windows.sendCommand();
    ASSERT_TRUE(sink.waitForMessages(1, std::chrono::seconds{10}));
    const fs::path file = serverDir.path() / "typed.eml";
    testing::writeFile(file, sink.message(0));
    const std::string read = readWithPython(file);
    EXPECT_NE(read.find("Subject: " + text + "\n"), std::string::npos) << read;
    EXPECT_NE(read.find("To: \xD0\xAE\xD0\xBB\xD0\xB8\xD1\x8F <julia@example.org>\n"),
              std::string::npos)
        << read;
    EXPECT_NE(read.find("Body: '" + text), std::string::npos) << read;
    EXPECT_NE(read.find("Attachment: \xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBD.txt 706c616e\n"),
              std::string::npos)
        << read;
}

}  // namespace
}  // namespace velmora::compose
