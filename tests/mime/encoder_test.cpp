// Writing messages, and the round trip through the decoder.
#include <gtest/gtest.h>

#include <regex>

#include "base/text_file.h"
#include "mime/base64.h"
#include "mime/header_words.h"
#include "mime/message.h"
#include "support/temp_dir.h"

namespace velmora::mime {
namespace {

TmsAttItem& addAttachment(TmsMessage& message, const std::string& name, const std::string& data) {
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->Data().Write(data);
    return message.Attachments().Add(std::move(item));
}

TmsMessage basicMessage() {
    TmsMessage message;
    message.Sender().SetName("Jane Q. Public");
    message.Sender().SetAddress("jane@example.com");
    message.Recipients().AddAddress("a@example.com", "A");
    message.Recipients().AddAddress("b@example.com", "");
    message.CC().AddAddress("c@example.com", "Doe, C");  // read back as one entry
    message.BCC().AddAddress("secret@example.com", "Hidden");
    message.SetSubject("Greetings");
    message.Body() = {"Hello,", ".", "..leading dots", "bye"};
    return message;
}

std::vector<std::string> lines(const std::string& text) {
    return splitLines(text);
}

std::vector<std::string> boundaries(const std::string& text) {
    std::vector<std::string> found;
    const std::regex boundary("boundary=\"([0-9]+)\"");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), boundary);
         it != std::sregex_iterator(); ++it) {
        found.push_back((*it)[1]);
    }
    return found;
}

TEST(Encoder, PlainTextMessage) {
    TmsMessage message = basicMessage();
    message.SetPriority(TPriority::ptHigh);
    message.SetReturnReceipt(true);
    message.Headers().Add("Date: Tue, 3 Mar 1998 10:20:30 +0100");
    message.Headers().Add("Subject: old subject");
    message.Headers().Add("");
    const std::string text = message.SaveToString();
    EXPECT_EQ(lines(text), (std::vector<std::string>{
                               "From:     \"Jane Q. Public\" <jane@example.com>",
                               "To:       A <a@example.com>,",
                               "           <b@example.com>",
                               "CC:       \"Doe, C\" <c@example.com>",
                               "Return-Receipt-To: <jane@example.com>",
                               "X-Priority: 1",
                               "Date: Tue, 3 Mar 1998 10:20:30 +0100",
                               "Subject: Greetings",
                               "Mime-Version: 1.0",
                               "Content-Type: text/plain; charset=\"us-ascii\"",
                               "Content-Transfer-Encoding: 7bit",
                               "",
                               "Hello,",
                               ".",
                               "..leading dots",
                               "bye",
                           }));
    EXPECT_EQ(text.substr(text.size() - 5), "bye\r\n");
    EXPECT_EQ(text.find("secret"), std::string::npos);
    EXPECT_EQ(message.Body()[1], ".");  // the message itself is not changed
}

TEST(Encoder, LongLinesAndLatin1SwitchToQuotedPrintable) {
    TmsMessage message = basicMessage();
    message.Body().push_back(std::string(300, 'x'));
    std::string text = message.SaveToString();
    EXPECT_NE(text.find("charset=\"us-ascii\"\r\nContent-Transfer-Encoding: quoted-printable"),
              std::string::npos);
    for (const std::string& line : lines(text)) EXPECT_LE(line.size(), 76u);

    TmsMessage latin = basicMessage();
    latin.SetCharSet(TCharSet::csISO8859);
    latin.Body() = {"caf\xE9"};
    text = latin.SaveToString();
    EXPECT_NE(text.find("charset=\"iso-8859-1\"\r\nContent-Transfer-Encoding: "
                        "quoted-printable\r\n\r\ncaf=E9\r\n"),
              std::string::npos);
}

TEST(Encoder, Utf8TextGoesOutLabelledWithItsHeadersInEncodedWords) {
    TmsMessage message = basicMessage();
    message.SetCharSet(TCharSet::csUTF8);
    const std::string subject =
        "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC";
    message.SetSubject(subject);
    message.Sender().SetName("\xD0\xAE\xD0\xBB\xD0\xB8\xD1\x8F");
    message.Body() = {"caf\xC3\xA9"};
    const std::string text = message.SaveToString();
    EXPECT_NE(text.find("charset=\"utf-8\"\r\nContent-Transfer-Encoding: "
                        "quoted-printable\r\n\r\ncaf=C3=A9\r\n"),
              std::string::npos);
    for (const std::string& line : lines(text))
        for (char c : line)
            ASSERT_LT(static_cast<unsigned char>(c), 0x80) << line;  // 7-bit headers
    TmsMessage read;
    read.LoadFromString(text);
    EXPECT_EQ(read.Subject(), subject);
    EXPECT_EQ(read.Sender().Name(), "\xD0\xAE\xD0\xBB\xD0\xB8\xD1\x8F");
    // A long text is split between characters, never inside one.
    std::string longText;
    for (int i = 0; i < 40; ++i) longText += "\xD0\x96";  // 80 bytes of two-byte characters
    EXPECT_EQ(DecodeHeaderWords(EncodeUtf8HeaderWords(longText)), longText);
    EXPECT_EQ(EncodeUtf8HeaderWords("plain"), "plain");

    // An attachment name beyond ASCII goes out as RFC 2231 and encoded words, and reads back.
    TmsMessage attached = basicMessage();
    attached.SetCharSet(TCharSet::csUTF8);
    addAttachment(attached, "\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBD.txt", "plan");
    const std::string sent = attached.SaveToString();
    EXPECT_NE(sent.find("filename*=utf-8''%D0%9F%D0%BB%D0%B0%D0%BD.txt"), std::string::npos)
        << sent;
    TmsMessage back;
    back.LoadFromString(sent);
    ASSERT_EQ(back.Attachments().Count(), 1);
    EXPECT_EQ(back.Attachments().Items(0).FileName(), "\xD0\x9F\xD0\xBB\xD0\xB0\xD0\xBD.txt");
}

TEST(Encoder, BodyWithAlternativeHtml) {
    TmsMessage message = basicMessage();
    TmsAttItem& html = addAttachment(message, "_alt.0", "<p>hi</p>\r\n");
    html.SetContentType("text/html");
    html.SetTransferEncoding(kEncodingQuotedPrintable);
    const std::string text = message.SaveToString();
    const auto b = boundaries(text);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].size(), 8u);
    EXPECT_EQ(b[0].find('9'), std::string::npos);
    EXPECT_NE(text.find("Content-Type: multipart/alternative; boundary=\"" + b[0] +
                        "\"\r\n\r\n"
                        "This is a multipart message in MIME format\r\n\r\n--" +
                        b[0] +
                        "\r\n"
                        "Content-Type: text/plain; charset=\"us-ascii\""),
              std::string::npos);
    EXPECT_NE(
        text.find(
            "--" + b[0] +
            "\r\nContent-Type: text/html\r\nContent-Transfer-Encoding: Quoted-Printable\r\n\r\n"),
        std::string::npos);
    EXPECT_EQ(text.find("filename="), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 14), "--" + b[0] + "--\r\n");
}

TEST(Encoder, BodyWithFileAndNestedAlternative) {
    TmsMessage message = basicMessage();
    TmsAttItem& html = addAttachment(message, "_alt.0", "<p>hi</p>");
    html.SetContentType("text/html");
    addAttachment(message, "/home/u/report.pdf", std::string(120, '\x01'));
    const std::string text = message.SaveToString();
    const auto b = boundaries(text);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_NE(text.find("Content-Type: multipart/mixed; boundary=\"" + b[0] + "\""),
              std::string::npos);
    EXPECT_NE(text.find("--" + b[0] + "\r\nContent-Type:  multipart/alternative; boundary=\"" +
                        b[1] + "\"\r\nContent-Transfer-Encoding: 7bit\r\n\r\n--" + b[1] + "\r\n"),
              std::string::npos);
    const std::size_t innerClose = text.find("--" + b[1] + "--");
    const std::size_t pdfPart = text.find(
        "Content-Type: application/pdf; name=\"report.pdf\"\r\n"
        "Content-Transfer-Encoding: Base64\r\n"
        "Content-Disposition: attachment; filename=\"report.pdf\"\r\n");
    ASSERT_NE(innerClose, std::string::npos);
    ASSERT_NE(pdfPart, std::string::npos);
    EXPECT_LT(innerClose, pdfPart);
    EXPECT_EQ(text.substr(text.size() - 14), "--" + b[0] + "--\r\n");
}

TEST(Encoder, AttachmentContentForms) {
    TmsMessage message;
    message.Sender().SetAddress("me@example.com");
    message.Body() = {"body"};
    addAttachment(message, "exact.bin", std::string(57, 'z'));
    addAttachment(message, "inner.eml", "Subject: inner\r\n\r\n.\r\nlast");
    addAttachment(message, "dots.txt", ".\r\n");
    const std::string text = message.SaveToString();
    EXPECT_NE(text.find("\r\n" + encodeBase64Line(std::string(57, 'z')) + "\r\n\r\n\r\n\r\n--"),
              std::string::npos);
    EXPECT_NE(text.find("Content-Transfer-Encoding: 7 bit\r\nContent-Disposition: attachment; "
                        "filename=\"inner.eml\"\r\n\r\n"
                        "Subject: inner\r\n\r\n.\r\nlast\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("filename=\"dots.txt\"\r\n\r\n.\r\n"), std::string::npos);
}

// The data are read in blocks of whole base64 lines; sizes at a block's end must still give
// 57-byte lines, and one empty line after data of whole lines.
TEST(Encoder, Base64LinesAcrossReadBlocks) {
    constexpr std::size_t kBlock = 57 * 45 * 64;
    for (const std::size_t size : {kBlock - 1, kBlock, kBlock + 1, 2 * kBlock}) {
        SCOPED_TRACE(size);
        std::string data(size, '\0');
        for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(i * 7 + i / 300);
        TmsMessage message;
        message.Sender().SetAddress("me@example.com");
        addAttachment(message, "data.bin", data);
        std::string expected;
        for (std::size_t at = 0; at < size; at += 57)
            expected += encodeBase64Line(std::string_view(data).substr(at, 57)) + "\r\n";
        if (size % 57 == 0) expected += "\r\n";
        const std::string text = message.SaveToString();
        ASSERT_GE(text.size(), expected.size());
        EXPECT_EQ(text.substr(text.size() - expected.size()), expected);
        EXPECT_EQ(text.substr(text.size() - expected.size() - 4, 4), "\r\n\r\n");
    }
}

TEST(Encoder, SingleAttachmentAndUuencodedBodies) {
    TmsMessage single;
    single.Sender().SetAddress("me@example.com");
    addAttachment(single, "photo.png", "PNG");
    std::string text = single.SaveToString();
    EXPECT_NE(
        text.find(
            "Content-Type: image/png; name=\"photo.png\"\r\nContent-Transfer-Encoding: Base64\r\n"
            "Content-Disposition: attachment; filename=\"photo.png\"\r\n\r\nUE5H\r\n"),
        std::string::npos);

    TmsMessage html;
    html.Sender().SetAddress("me@example.com");
    addAttachment(html, "_htmbody.htm", "<p>x</p>");
    text = html.SaveToString();
    EXPECT_NE(text.find("Content-Type: text/html\r\nContent-Transfer-Encoding: "
                        "Quoted-Printable\r\n\r\n<p>x</p>=\r\n"),
              std::string::npos);

    TmsMessage uu;
    uu.Sender().SetAddress("me@example.com");
    uu.SetEncoding(TMsgEncoding::meUU);
    uu.Body() = {"text"};
    addAttachment(uu, "/path/a.bin", std::string(45, 'q'));
    text = uu.SaveToString();
    EXPECT_EQ(text.find("Mime-Version"), std::string::npos);
    EXPECT_NE(text.find("\r\n\r\ntext\r\n\r\nbegin 600 a.bin\r\nM"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 10), "\r\n`\r\nend\r\n");
}

TEST(Encoder, HeaderTextsCannotInjectLines) {
    TmsMessage message = basicMessage();
    message.SetSubject("hi\r\nBcc: victim@example.com");
    message.Sender().SetName("x\ny");
    addAttachment(message, "a\"b.txt", "t");
    const std::string text = message.SaveToString();
    EXPECT_EQ(text.find("\r\nBcc:"), std::string::npos);
    EXPECT_NE(text.find("Subject: hi  Bcc: victim@example.com\r\n"), std::string::npos);
    EXPECT_NE(text.find("filename=\"a'b.txt\""), std::string::npos);
}

// Everything a message holds, as the decoder gives it back.
void expectSameMessage(TmsMessage& original, TmsMessage& decoded) {
    EXPECT_EQ(decoded.Sender(), original.Sender());
    ASSERT_EQ(decoded.Recipients().Count(), original.Recipients().Count());
    for (int i = 0; i < original.Recipients().Count(); ++i)
        EXPECT_EQ(decoded.Recipients()[i], original.Recipients()[i]);
    EXPECT_EQ(decoded.CC().Count(), original.CC().Count());
    EXPECT_EQ(decoded.Subject(), original.Subject());
    EXPECT_EQ(decoded.Priority(), original.Priority());
    EXPECT_EQ(decoded.Encoding(), original.Encoding());
    EXPECT_EQ(decoded.Body(), original.Body());
    ASSERT_EQ(decoded.Attachments().Count(), original.Attachments().Count());
    for (int i = 0; i < original.Attachments().Count(); ++i) {
        TmsAttItem& want = original.Attachments().Items(i);
        TmsAttItem& got = decoded.Attachments().Items(i);
        EXPECT_EQ(got.FileName(), want.LastPathComponent());
        EXPECT_EQ(got.ContentType(), want.ContentType()) << want.FileName();
        EXPECT_EQ(got.Data().ReadAll(), want.Data().ReadAll()) << want.FileName();
    }
    EXPECT_EQ(decoded.ContentType(), original.ContentType());
}

std::string binary(std::size_t size) {
    std::string bytes(size, '\0');
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + 7) % 256);
    return bytes;
}

TEST(RoundTrip, EveryBodyForm) {
    struct Case {
        const char* label;
        void (*build)(TmsMessage&);
    };
    const Case cases[] = {
        {"plain", [](TmsMessage&) {}},
        {"latin-1 and long lines",
         [](TmsMessage& m) {
             m.SetCharSet(TCharSet::csISO8859);
             m.Body() = {"caf\xE9 = 1", std::string(2000, 'w'), "", "tab\there", "trailing space "};
         }},
        {"html body",
         [](TmsMessage& m) {
             m.Body() = {"<html><body>", "<p>=x</p>", "</body></html>"};
             m.SetContentType("text/html");
         }},
        {"body and attachments",
         [](TmsMessage& m) {
             addAttachment(m, "/tmp/data.bin", binary(5000));
             addAttachment(m, "exact.bin", binary(57 * 3));
             addAttachment(m, "empty.bin", "");
             addAttachment(m, "notes.txt", "line\r\n.\r\nlone\nfeed and no final break");
             addAttachment(m, "mail.eml", "Subject: inner\r\n\r\n.\r\nbody\r\n");
         }},
        {"alternative",
         [](TmsMessage& m) {
             TmsAttItem& html = addAttachment(m, "_alt.0", "<p>hi</p>\r\n");
             html.SetContentType("text/html");
         }},
        {"nested alternative and attachment",
         [](TmsMessage& m) {
             TmsAttItem& html = addAttachment(m, "_alt.0", "<p>hi</p>\r\n.\r\n");
             html.SetContentType("text/html");
             addAttachment(m, "report.pdf", binary(1000));
         }},
        {"uuencoded",
         [](TmsMessage& m) {
             m.SetEncoding(TMsgEncoding::meUU);
             m.Body() = {"see the files", "", "bye"};
             addAttachment(m, "one.bin", binary(45 * 4));
             addAttachment(m, "two.bin", binary(77));
         }},
        {"single attachment",
         [](TmsMessage& m) {
             m.Body().clear();
             addAttachment(m, "photo.png", binary(300));
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TmsMessage original = basicMessage();
        original.SetPriority(TPriority::ptLow);
        c.build(original);
        const std::string text = original.SaveToString();
        TmsMessage decoded;
        decoded.LoadFromString(text);
        expectSameMessage(original, decoded);
        // Written a second time, the same message text comes out (but for the boundaries).
        const std::string again = original.SaveToString();
        EXPECT_EQ(std::regex_replace(again, std::regex("[0-8]{8}"), "B"),
                  std::regex_replace(text, std::regex("[0-8]{8}"), "B"));
    }
}

TEST(RoundTrip, ThroughFiles) {
    testing::TempDir dir;
    TmsMessage original = basicMessage();
    addAttachment(original, "a.bin", binary(10'000));
    original.SaveToFile(dir / "m.eml");
    TmsMessage loaded;
    loaded.SetSubject("stale");
    loaded.LoadFromFile(dir / "m.eml");
    expectSameMessage(original, loaded);
    EXPECT_THROW(loaded.LoadFromFile(dir / "missing.eml"), std::system_error);
    EXPECT_THROW(original.SaveToFile(dir / "m.eml" / "below-a-file"), std::system_error);
}

}  // namespace
}  // namespace velmora::mime
