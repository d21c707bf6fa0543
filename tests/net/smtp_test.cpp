#include "net/smtp.h"

#include <gtest/gtest.h>

#include "mime/errors.h"
#include "net/scripted_server.h"
#include "support/fake_platform.h"

namespace velmora::net {
namespace {

using testing::FakePlatform;
using testing::ScriptedServer;
using Script = std::vector<std::string>;

template <typename Error, typename Action>
void expectError(Action action, const std::string& text) {
    try {
        action();
        ADD_FAILURE() << "no error, expected \"" << text << "\"";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), text);
    } catch (const std::exception& error) {
        ADD_FAILURE() << "wrong error class: " << error.what();
    }
}

mime::TmsMessage makeMessage() {
    mime::TmsMessage message;
    message.Sender().SetAddress("alice@example.test");
    message.Recipients().AddAddress("bob@example.test", "Bob");
    message.SetSubject("Dots");
    message.SetBody({"first", ".", ".x", "..", "last"});
    return message;
}

struct Recorder {
    std::vector<std::string> events;
    void attach(TmsSMTP& smtp) {
        smtp.OnPrepare = [this](TagSocket&) { events.push_back("prepare"); };
        smtp.OnSending = [this](TagSocket&) { events.push_back("sending"); };
        smtp.OnMailSent = [this](TagSocket&) { events.push_back("sent"); };
    }
};

const Script kGreeting = {"S: 220 mail.example.test ESMTP", "C~ HELO ", "S: 250 hello"};

Script withGreeting(const Script& rest) {
    Script script = kGreeting;
    script.insert(script.end(), rest.begin(), rest.end());
    return script;
}

class SmtpSending : public ::testing::TestWithParam<bool> {};

TEST_P(SmtpSending, BccOnlyInTheEnvelopeAndDotLinesStuffedOnTheWire) {
    ScriptedServer server(
        {"R: 220-mail.example.test ESMTP\\r\\n220 second line\\r\\n", "C~ HELO ", "S: 250 hello",
         "C: MAIL FROM:<alice@example.test>", "S: 250 ok", "C: RCPT TO:<bob@example.test>",
         "S: 250 ok", "C: RCPT TO:<hidden@example.test>", "S: 250 ok", "C: DATA", "S: 354 go ahead",
         "DATA", "S: 250 queued", "C: QUIT", "S: 221 bye"},
        GetParam());
    FakePlatform fake;
    TmsSMTP smtp(fake.events, fake.clock);
    Recorder recorder;
    recorder.attach(smtp);
    smtp.Server = server.address();
    mime::TmsMessage message = makeMessage();
    message.BCC().AddAddress("hidden@example.test", "");
    mime::TmsMessage copy;
    copy.Assign(message);
    const std::string encoded = copy.SaveToString();
    smtp.MailMessage = &message;
    smtp.SendMail();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(recorder.events, (std::vector<std::string>{"prepare", "sending", "sent"}));
    EXPECT_FALSE(smtp.isOpen());

    ASSERT_EQ(server.data().size(), 1u);
    const std::string wire = server.data()[0];
    EXPECT_EQ(wire.find("hidden@"), std::string::npos);
    EXPECT_NE(wire.find("\r\nfirst\r\n..\r\n..x\r\n...\r\nlast\r\n.\r\n"), std::string::npos);
    // Undoing the stuffing gives the encoded text exactly, with nothing added before the end.
    std::string unstuffed;
    for (std::size_t start = 0; start < wire.size();) {
        const std::size_t lineEnd = wire.find("\r\n", start);
        ASSERT_NE(lineEnd, std::string::npos);
        const std::size_t end = lineEnd + 2;
        const std::string line = wire.substr(start, end - start);
        unstuffed += line[0] == '.' && line != ".\r\n" ? line.substr(1) : line;
        start = end;
    }
    EXPECT_EQ(unstuffed, encoded + ".\r\n");
}

INSTANTIATE_TEST_SUITE_P(WholeOrByteByByte, SmtpSending, ::testing::Values(false, true));

TEST(SmtpClient, ServerRefusingHeloWithANameGetsABareHelo) {
    ScriptedServer server({"S: 220 ready", "C~ HELO ", "S: 501 Syntax: HELO hostname", "C: HELO",
                           "S: 250 ok", "C: MAIL FROM:<alice@example.test>", "S: 250 ok",
                           "C: RCPT TO:<bob@example.test>", "S: 250 ok", "C: DATA", "S: 354 go",
                           "DATA", "S: 250 ok", "C: QUIT", "S: 221 bye"});
    FakePlatform fake;
    TmsSMTP smtp(fake.events, fake.clock);
    smtp.Server = server.address();
    mime::TmsMessage message = makeMessage();
    smtp.MailMessage = &message;
    smtp.SendMail();
    EXPECT_EQ(server.finish(), "");
}

TEST(SmtpClient, RejectedSecondOfThreeRecipientsIsSkippedWhenTheHandlerProceeds) {
    ScriptedServer server(withGreeting(
        {"C: MAIL FROM:<alice@example.test>", "S: 250 ok", "C: RCPT TO:<bob@example.test>",
         "S: 250 ok", "C: RCPT TO:<nobody@example.test>",
         "S: 550 5.1.1 <nobody@example.test>: Recipient address rejected",
         "C: RCPT TO:<carol@example.test>", "S: 250 ok", "C: DATA", "S: 354 go", "DATA",
         "S: 250 ok", "C: QUIT", "S: 221 bye"}));
    FakePlatform fake;
    TmsSMTP smtp(fake.events, fake.clock);
    Recorder recorder;
    recorder.attach(smtp);
    std::vector<std::string> rejected;
    smtp.OnAddressRejected = [&](TagSocket&, const std::string& address, const std::string& reply,
                                 bool& proceed) {
        EXPECT_FALSE(proceed);
        rejected.push_back(address + " | " + reply);
        proceed = true;
    };
    smtp.Server = server.address();
    mime::TmsMessage message = makeMessage();
    message.CC().AddAddress("nobody@example.test", "");
    message.BCC().AddAddress("carol@example.test", "");
    smtp.MailMessage = &message;
    smtp.SendMail();
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(rejected, std::vector<std::string>{
                            "nobody@example.test | 550 5.1.1 <nobody@example.test>: Recipient "
                            "address rejected"});
    EXPECT_EQ(recorder.events.back(), "sent");
}

TEST(SmtpClient, NegativeRepliesRaiseTheServersLineAndStillEndWithQuit) {
    struct Case {
        const char* quirk;
        Script script;
        std::string text;
    } cases[] = {
        {"greeting", {"S: 554 no service here", "C: QUIT", "S: 221 bye"}, "554 no service here"},
        {"both HELOs",
         {"S: 220 ready", "C~ HELO ", "S: 501 no", "C: HELO", "S: 502 never", "C: QUIT",
          "S: 221 bye"},
         "502 never"},
        {"MAIL FROM",
         withGreeting(
             {"C: MAIL FROM:<alice@example.test>", "S: 553 not you", "C: QUIT", "S: 221 bye"}),
         "553 not you"},
        {"rejected recipient without Proceed",
         withGreeting({"C: MAIL FROM:<alice@example.test>", "S: 250 ok",
                       "C: RCPT TO:<bob@example.test>", "S: 550 no such user", "C: QUIT",
                       "S: 221 bye"}),
         "550 no such user"},
        {"DATA",
         withGreeting({"C: MAIL FROM:<alice@example.test>", "S: 250 ok",
                       "C: RCPT TO:<bob@example.test>", "S: 250 ok", "C: DATA",
                       "S: 250 that is not 354", "C: QUIT", "S: 221 bye"}),
         "250 that is not 354"},
        {"end of data",
         withGreeting({"C: MAIL FROM:<alice@example.test>", "S: 250 ok",
                       "C: RCPT TO:<bob@example.test>", "S: 250 ok", "C: DATA", "S: 354 go", "DATA",
                       "S: 552 too big", "C: QUIT", "S: 221 bye"}),
         "552 too big"},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        TmsSMTP smtp(fake.events, fake.clock);
        smtp.Server = server.address();
        mime::TmsMessage message = makeMessage();
        smtp.MailMessage = &message;
        expectError<mime::EServerError>([&] { smtp.SendMail(); }, c.text);
        EXPECT_FALSE(smtp.isOpen()) << c.quirk;
        EXPECT_EQ(server.finish(), "") << c.quirk;
    }
}

// Once "250 queued" came the message is sent; an error of QUIT must not make the caller send
// it again.
TEST(SmtpClient, AFailingQuitAfterTheDataWasAcceptedIsOnlyKeptAsAWarning) {
    struct Case {
        const char* quirk;
        Script quit;
        std::string text;
    } cases[] = {
        {"negative reply", {"C: QUIT", "S: 500 what"}, "500 what"},
        {"connection closed", {"C: QUIT", "CLOSE"}, "[10054] Connection reset by peer"},
    };
    for (const Case& c : cases) {
        Script script = withGreeting({"C: MAIL FROM:<alice@example.test>", "S: 250 ok",
                                      "C: RCPT TO:<bob@example.test>", "S: 250 ok", "C: DATA",
                                      "S: 354 go", "DATA", "S: 250 queued"});
        script.insert(script.end(), c.quit.begin(), c.quit.end());
        ScriptedServer server(script);
        FakePlatform fake;
        TmsSMTP smtp(fake.events, fake.clock);
        smtp.Server = server.address();
        mime::TmsMessage message = makeMessage();
        smtp.MailMessage = &message;
        bool sent = false;
        smtp.OnMailSent = [&](TagSocket&) { sent = true; };
        EXPECT_NO_THROW(smtp.SendMail()) << c.quirk;
        EXPECT_TRUE(sent) << c.quirk;
        EXPECT_EQ(smtp.QuitFailure(), c.text) << c.quirk;
        EXPECT_FALSE(smtp.isOpen()) << c.quirk;
        EXPECT_EQ(server.finish(), "") << c.quirk;
    }
}

TEST(SmtpClient, TheFirstErrorIsKeptWhenQuitFailsToo) {
    ScriptedServer server(
        withGreeting({"C: MAIL FROM:<alice@example.test>", "S: 553 not you", "C: QUIT", "CLOSE"}));
    FakePlatform fake;
    TmsSMTP smtp(fake.events, fake.clock);
    smtp.Server = server.address();
    mime::TmsMessage message = makeMessage();
    smtp.MailMessage = &message;
    expectError<mime::EServerError>([&] { smtp.SendMail(); }, "553 not you");
    EXPECT_FALSE(smtp.isOpen());
}

TEST(SmtpClient, AddressesBeyondAsciiGoAsTheyAreOrWithTheirDomainsInAsciiForm) {
    const std::string wide = "jörg@bücher.example";
    const std::string wideDomain = "joerg@bücher.example";
    const std::string asciiDomain = "joerg@xn--bcher-kva.example";
    struct Case {
        const char* quirk;
        std::string recipient;
        Script script;
        std::string error;
        std::string toLine;  // the To line on the wire, when the message went
    } cases[] = {
        {"offered: MAIL FROM says SMTPUTF8",
         wide,
         {"S: 220 ready", "C~ EHLO ", "S: 250-mail.test", "S: 250 SMTPUTF8",
          "C: MAIL FROM:<alice@example.test> SMTPUTF8", "S: 250 ok", "C: RCPT TO:<" + wide + ">",
          "S: 250 ok", "C: DATA", "S: 354 go", "DATA", "S: 250 queued", "C: QUIT", "S: 221 bye"},
         "",
         "<" + wide + ">"},
        {"not offered, only the domain beyond ASCII: its ASCII form in envelope and header",
         wideDomain,
         {"S: 220 ready", "C~ EHLO ", "S: 250 mail.test", "C: MAIL FROM:<alice@example.test>",
          "S: 250 ok", "C: RCPT TO:<" + asciiDomain + ">", "S: 250 ok", "C: DATA", "S: 354 go",
          "DATA", "S: 250 queued", "C: QUIT", "S: 221 bye"},
         "",
         "<" + asciiDomain + ">"},
        {"not offered, a local part beyond ASCII: nothing is sent",
         wide,
         {"S: 220 ready", "C~ EHLO ", "S: 250 mail.test", "C: QUIT", "S: 221 bye"},
         "The address " + wide +
             " has letters beyond ASCII, which the server 127.0.0.1 does not accept (it offers no "
             "SMTPUTF8)",
         ""},
    };
    for (const Case& c : cases) {
        ScriptedServer server(c.script);
        FakePlatform fake;
        TmsSMTP smtp(fake.events, fake.clock);
        smtp.Server = server.address();
        mime::TmsMessage message;
        message.Sender().SetAddress("alice@example.test");
        message.Recipients().AddAddress(c.recipient, "Jörg");
        smtp.MailMessage = &message;
        std::string error;
        try {
            smtp.SendMail();
        } catch (const mime::EMessageError& e) {
            error = e.what();
        }
        EXPECT_EQ(error, c.error) << c.quirk;
        EXPECT_EQ(server.finish(), "") << c.quirk;
        EXPECT_EQ(message.Recipients()[0].Address(), c.recipient) << c.quirk << ": left as it was";
        if (c.toLine.empty()) continue;
        ASSERT_EQ(server.data().size(), 1u) << c.quirk;
        const std::string wire = server.data()[0];
        const std::size_t to = wire.find("\r\nTo:");
        ASSERT_NE(to, std::string::npos) << c.quirk;
        const std::string line = wire.substr(to + 2, wire.find("\r\n", to + 2) - to - 2);
        EXPECT_NE(line.find(c.toLine), std::string::npos) << c.quirk << ": " << line;
        if (c.recipient == wideDomain) {
            EXPECT_EQ(wire.find("bücher"), std::string::npos) << c.quirk;
        }
    }
}

TEST(SmtpClient, MessageProblemsAreReportedAndTheSessionEnded) {
    struct Case {
        const char* quirk;
        bool assign;
        bool sender;
        bool recipient;
        std::string text;
    } cases[] = {
        {"no message", false, true, true, "MailMessage property must be assigned"},
        {"no sender", true, false, true, "The address of sender is required"},
        {"no recipient", true, true, false, "At least one Recipient, CC or BCC must be entered"},
    };
    for (const Case& c : cases) {
        ScriptedServer server(withGreeting({"C: QUIT", "S: 221 bye"}));
        FakePlatform fake;
        TmsSMTP smtp(fake.events, fake.clock);
        smtp.Server = server.address();
        mime::TmsMessage message;
        if (c.sender) message.Sender().SetAddress("alice@example.test");
        if (c.recipient) message.Recipients().AddAddress("bob@example.test", "");
        if (c.assign) smtp.MailMessage = &message;
        try {
            smtp.SendMail();
            ADD_FAILURE() << c.quirk;
        } catch (const mime::EMailError& error) {
            EXPECT_EQ(std::string(error.what()), c.text) << c.quirk;
            if (c.assign)
                EXPECT_NE(dynamic_cast<const mime::EMessageError*>(&error), nullptr) << c.quirk;
            else
                EXPECT_NE(dynamic_cast<const mime::ESocketError*>(&error), nullptr) << c.quirk;
        }
        EXPECT_EQ(server.finish(), "") << c.quirk;
    }
}

}  // namespace
}  // namespace velmora::net
