#include "compose/outgoing.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "mime/errors.h"
#include "mime/readable_text.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

profiles::TUsersObjListBox profile() {
    profiles::TUsersObjListBox p;
    p.profileName = "Work";
    p.fromName = "Ann Lee";
    p.fromAddress = "ann@example.org";
    p.organization = "Lee & Co";
    p.accountName = "ann";
    p.pop3Server = "pop.example.org";
    p.smtpServer = "smtp.example.org";
    return p;
}

ComposeFields simpleFields() {
    ComposeFields f;
    f.to = {"Bob <bob@example.org>"};
    f.subject = "Hello";
    f.body = "Line one\r\nLine two\r\n";
    return f;
}

bool hasHeader(const mime::TmsMessage& m, const std::string& line) {
    for (const auto& h : m.Headers())
        if (h == line) return true;
    return false;
}
int countPrefix(const mime::TmsMessage& m, const std::string& prefix) {
    int n = 0;
    for (const auto& h : m.Headers()) n += h.rfind(prefix, 0) == 0;
    return n;
}

TEST(ZoneText, EastPlusOtherwiseMinus) {
    EXPECT_EQ(zoneText(60), "+0100");
    EXPECT_EQ(zoneText(-330), "-0530");
    EXPECT_EQ(zoneText(0), "-0000");
    platform::LocalTime t{2026, 12, 10, 9, 30, 5, 0, 4, 60};
    EXPECT_EQ(mailDateText(t), "Thu, 10 Dec 2026 09:30:05 +0100");
}

TEST(OutgoingBody, ExactlyOneLineEndGoes) {
    EXPECT_EQ(withoutOneLineEnd("a\r\n\r\n"), "a\r\n");
    EXPECT_EQ(withoutOneLineEnd("a\n\n"), "a\n");
    EXPECT_EQ(withoutOneLineEnd("a\r"), "a");
    EXPECT_EQ(withoutOneLineEnd("a"), "a");
}

TEST(OutgoingBody, WrapSplitsAtBlanksAndHyphensOnly) {
    const std::string url = "https://example.org/a/very/long/path/that/goes/on/and/on";
    EXPECT_EQ(wrapOutgoingLines({"see " + url + " now"}, 20),
              (std::vector<std::string>{"see ", url + " ", "now"}));
    EXPECT_EQ(wrapOutgoingLines({"one two three"}, 8),
              (std::vector<std::string>{"one two ", "three"}));
    EXPECT_EQ(wrapOutgoingLines({"well-known words"}, 7),
              (std::vector<std::string>{"well-", "known ", "words"}));
    EXPECT_EQ(wrapOutgoingLines({url}, 10), (std::vector<std::string>{url}));
    // Widths count characters: 13 letters of 25 bytes fit in 13.
    const std::string russian = "Привет друзья";
    EXPECT_EQ(wrapOutgoingLines({russian}, 13), (std::vector<std::string>{russian}));
    EXPECT_EQ(wrapOutgoingLines({russian}, 10), (std::vector<std::string>{"Привет ", "друзья"}));
    // Text that is not UTF-8 counts bytes.
    EXPECT_EQ(wrapOutgoingLines({"Gr\xFC\xDF Gott"}, 9),
              (std::vector<std::string>{"Gr\xFC\xDF Gott"}));
}

TEST(OutgoingMessage, FieldsInTheirHeaders) {
    testing::FakeDialogs dialogs;
    ComposeFields f = simpleFields();
    f.replyTo = "replies@example.org";
    f.readAck = true;
    f.deliveryAck = true;
    f.priority = Priority::High;
    f.bcc = {"Hidden <h@example.org>", "h2@example.org"};
    mime::TmsMessage m;
    ASSERT_TRUE(copyComposeFormDataTo_msMessage(f, profile(), m, dialogs, 65, {}));
    EXPECT_EQ(m.Sender().Name(), "Ann Lee");
    EXPECT_EQ(m.Sender().Address(), "ann@example.org");
    EXPECT_TRUE(hasHeader(m, "Reply-To: replies@example.org"));
    EXPECT_TRUE(hasHeader(m, "X-Organization: Lee & Co"));
    EXPECT_TRUE(hasHeader(m, "X-Mailer: Velmora Pro 4.6"));
    EXPECT_TRUE(hasHeader(m, "Disposition-Notification-To: Ann Lee <ann@example.org>"));
    EXPECT_TRUE(m.ReturnReceipt());
    EXPECT_EQ(m.Priority(), mime::TPriority::ptHigh);
    EXPECT_EQ(m.BCC().Count(), 2);
    EXPECT_EQ(m.Body(), (std::vector<std::string>{"Line one", "Line two"}));
    EXPECT_EQ(f.body, "Line one\r\nLine two");
    EXPECT_EQ(countPrefix(m, "Date: "), 1);
    EXPECT_EQ(countPrefix(m, "Message-ID: <"), 1);
    EXPECT_EQ(countPrefix(m, "X-Trace-"), 0);
}

TEST(OutgoingMessage, TextInAnyScriptGoesOutAsUtf8AndOlderBytesAsLatin1) {
    testing::FakeDialogs dialogs;
    ComposeFields f = simpleFields();
    f.subject = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // typed: UTF-8
    mime::TmsMessage m;
    ASSERT_TRUE(copyComposeFormDataTo_msMessage(f, profile(), m, dialogs, 65, {}));
    EXPECT_EQ(m.CharSet(), mime::TCharSet::csUTF8);
    f.subject = "caf\xE9";  // a stored message of an older version: not UTF-8
    EXPECT_EQ(charSetFor(f), mime::TCharSet::csISO8859);
    f.subject = "plain";
    EXPECT_EQ(charSetFor(f), mime::TCharSet::csUSASCII);
    f.to = {"\xC3\x89lise <e@example.org>"};
    EXPECT_EQ(charSetFor(f), mime::TCharSet::csUTF8);
}

TEST(OutgoingMessage, HeaderLinesInOtherLettersGoOutAsEncodedWords) {
    testing::FakeDialogs dialogs;
    ComposeFields f = simpleFields();
    f.from = "Zoë Ünal <zoe@example.org>";
    f.replyTo = "Ünal Çelik <u@example.org>, plain@example.org";
    f.readAck = true;
    profiles::TUsersObjListBox owner = profile();
    owner.organization = "Ørsted & Söhne";
    mime::TmsMessage m;
    ASSERT_TRUE(copyComposeFormDataTo_msMessage(f, owner, m, dialogs, 65, {}));
    const struct {
        const char* field;
        const char* shown;
    } cases[] = {
        {"X-Organization", "Ørsted & Söhne"},
        {"Reply-To", "Ünal Çelik <u@example.org>, plain@example.org"},
        {"Disposition-Notification-To", "Zoë Ünal <zoe@example.org>"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        const std::string written = store::readPrivateValue(m.Headers(), c.field);
        EXPECT_FALSE(hasHighBytes(written)) << written;
        EXPECT_EQ(mime::readableHeaderValue(written), c.shown);
    }
    // Bytes of an older stored message, not UTF-8, stay as they were.
    EXPECT_EQ(outgoingHeaderText("Caf\xE9"), "Caf\xE9");
    EXPECT_EQ(outgoingAddressText("plain@example.org"), "plain@example.org");
}

TEST(OutgoingMessage, SenderQuotingRules) {
    ComposeFields f;
    f.from = "\"Lee, Ann\" <ann@x.org>";
    EXPECT_EQ(composeSender(f, profile(), SenderQuoting::ForMessage).Name(), "\"Lee, Ann\"");
    EXPECT_EQ(composeSender(f, profile(), SenderQuoting::ForFiling).Name(), "\"Lee, Ann\"");
    f.from = "Ann Lee <ann@x.org>";
    EXPECT_EQ(composeSender(f, profile(), SenderQuoting::ForMessage).Name(), "Ann Lee");
    f.from = "   ";
    EXPECT_EQ(composeSender(f, profile(), SenderQuoting::ForFiling).Address(), "ann@example.org");
}

TEST(OutgoingMessage, TraceHeadersFromElevenLinesOnce) {
    testing::FakeDialogs dialogs;
    for (const std::size_t lines : {std::size_t{10}, std::size_t{11}}) {
        ComposeFields f = simpleFields();
        f.to.assign(lines, "x@example.org");
        f.cc.assign(lines, "y@example.org");
        mime::TmsMessage m;
        ASSERT_TRUE(copyComposeFormDataTo_msMessage(f, profile(), m, dialogs, 65, {}));
        EXPECT_EQ(countPrefix(m, "X-Trace-"), lines == 11 ? 3 : 0) << lines;
        if (lines == 11) {
            EXPECT_TRUE(hasHeader(m, "X-Trace-SMTP: smtp.example.org"));
        }
    }
}

TEST(OutgoingMessage, MissingAttachmentAsksAndNoCancels) {
    testing::TempDir dir;
    testing::writeFile(dir / "here.txt", "here");
    for (const auto answer : {platform::Answer::Yes, platform::Answer::No}) {
        testing::FakeDialogs dialogs;
        dialogs.answers = {answer};
        ComposeFields f = simpleFields();
        f.attachments = {dir / "here.txt", dir / "gone.txt"};
        mime::TmsMessage m;
        EXPECT_EQ(copyComposeFormDataTo_msMessage(f, profile(), m, dialogs, 65, {}),
                  answer == platform::Answer::Yes);
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].title, kMissingAttachmentTitle);
        EXPECT_EQ(m.Attachments().Count(), 1);
    }
}

TEST(OutgoingMessage, LineBreaksInFieldsNeverStartAHeader) {
    testing::FakeDialogs dialogs;
    ComposeFields f = simpleFields();
    f.subject = "Hi\r\nBcc: evil@x.org";
    f.replyTo = "r@x.org\r\nX-Evil: 1";
    mime::TmsMessage m;
    ASSERT_TRUE(copyComposeFormDataTo_msMessage(f, profile(), m, dialogs, 65, {}));
    const std::string text = m.SaveToString();
    EXPECT_EQ(text.find("\r\nBcc: evil"), std::string::npos);
    EXPECT_EQ(text.find("\r\nX-Evil"), std::string::npos);
}

TEST(OutgoingMessage, EnvelopeWithBracketsIsRefused) {
    mime::TmsMessage m;
    m.Sender().SetAddress("ann@x.org");
    m.Recipients().AddAddress("bob@x.org>\r\nRCPT TO:<evil@x.org", "");
    EXPECT_THROW(checkEnvelopeAddresses(m), mime::EMessageError);
}

}  // namespace
}  // namespace velmora::compose
