// Taking message texts apart: single parts, multiparts, alternatives, uuencode and the error
// notice that keeps the original.
#include <gtest/gtest.h>

#include <filesystem>

#include "mime/base64.h"
#include "mime/limits.h"
#include "mime/message.h"
#include "mime/uuencode.h"
#include "support/limited_child.h"

namespace velmora::mime {
namespace {

std::string crlf(std::initializer_list<std::string> lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

TmsMessage decode(const std::string& text) {
    TmsMessage message;
    message.LoadFromString(text);
    return message;
}

std::vector<std::string> names(const TmsMessage& message) {
    std::vector<std::string> result;
    for (const auto& item : message.Attachments()) result.push_back(item->FileName());
    return result;
}

std::string data(TmsMessage& message, int index) {
    return message.Attachments().Items(index).Data().ReadAll();
}

const std::string kNotice = "The following error has been occured while processing the message:";

void expectErrorNotice(TmsMessage& message, const std::string& text, const std::string& original) {
    const auto& body = message.Body();
    ASSERT_GE(body.size(), 3u);
    EXPECT_EQ(body[body.size() - 3], kNotice);
    EXPECT_EQ(body[body.size() - 2], text);
    EXPECT_EQ(body.back(), "The original message will be stored as an attachment");
    const TmsAttItem& last = message.Attachments().Items(message.Attachments().Count() - 1);
    EXPECT_EQ(last.FileName(), "original.eml");
    EXPECT_EQ(last.ContentType(), "message/rfc822");
    EXPECT_EQ(last.TransferEncoding(), kEncoding7Bit);
    EXPECT_EQ(data(message, message.Attachments().Count() - 1), original);
}

TEST(Decoder, HeaderFieldsFillTheMessage) {
    TmsMessage message = decode(crlf({
        "From: \"Doe, John\" <john@example.com>",
        "To: a@example.com, \"B, Bee\" <b@example.com>",
        "Cc: c@example.com",
        "Bcc: d@example.com",
        "Tokens: not-a-recipient@example.com",
        "Subject: =?iso-8859-1?Q?caf=E9?= time",
        "X-Priority: 1",
        "Return-Receipt-To: john@example.com",
        "",
        "Hello",
        ".",
    }));
    EXPECT_EQ(message.Sender().Name(), "Doe, John");
    EXPECT_EQ(message.Sender().Address(), "john@example.com");
    ASSERT_EQ(message.Recipients().Count(), 2);
    EXPECT_EQ(message.Recipients()[1].Name(), "B, Bee");
    EXPECT_EQ(message.CC().Count(), 1);
    EXPECT_EQ(message.BCC().Count(), 1);
    EXPECT_EQ(message.Subject(), "caf\xE9 time");
    EXPECT_EQ(message.Priority(), TPriority::ptHigh);
    EXPECT_TRUE(message.ReturnReceipt());
    EXPECT_EQ(message.Headers().Count(), 8);
    EXPECT_EQ(message.Body(), std::vector<std::string>{"Hello"});  // the POP3 end line goes
    EXPECT_EQ(message.Encoding(), TMsgEncoding::meMIME);
}

TEST(Decoder, PriorityAndReceiptRules) {
    struct Case {
        const char* priority;
        TPriority expected;
    };
    const Case cases[] = {{"X-Priority: 5", TPriority::ptLow},
                          {"X-Priority: 3", TPriority::ptNormal},
                          {"X-Priority: 1 (Highest)", TPriority::ptNormal},
                          {"X-Other: 1", TPriority::ptNormal}};
    for (const Case& c : cases) {
        TmsMessage message;
        message.SetReturnReceipt(true);
        message.SetPriority(TPriority::ptHigh);
        message.LoadFromString(crlf({c.priority, "", "x"}));
        EXPECT_EQ(message.Priority(), c.expected) << c.priority;
        EXPECT_TRUE(message.ReturnReceipt());
    }
}

TEST(Decoder, LineBreaksOfAnyKind) {
    for (const char* text :
         {"Subject: s\r\n\r\na\r\nb\r\n", "Subject: s\n\na\nb", "Subject: s\r\ra\rb\r"}) {
        TmsMessage message = decode(text);
        EXPECT_EQ(message.Subject(), "s");
        EXPECT_EQ(message.Body(), (std::vector<std::string>{"a", "b"})) << text;
    }
}

TEST(Decoder, SinglePartTextBodies) {
    struct Case {
        const char* label;
        std::vector<std::string> headers;
        std::vector<std::string> bodyLines;
        std::vector<std::string> body;
        TCharSet charSet;
        const char* contentType;
    };
    const std::string longLine(1000, 'L');
    const Case cases[] = {
        {"plain",
         {"Content-Type: text/plain"},
         {"one", "", "two"},
         {"one", "", "two"},
         TCharSet::csUSASCII,
         "text/plain"},
        {"quoted-printable",
         {"Content-Type: text/plain; charset=iso-8859-1",
          "Content-Transfer-Encoding: Quoted-Printable"},
         {"caf=E9 =", "cr=C3=A8me"},
         {"caf\xE9 cr\xC3\xA8me"},
         TCharSet::csISO8859,
         "text/plain"},
        {"autoconverted",
         {"X-MIME-Autoconverted: from 8bit to quoted-printable by x"},
         {"a=3Db"},
         {"a=b"},
         TCharSet::csISO8859,
         "text/plain"},
        {"base64",
         {"Content-Type: text/plain", "Content-Transfer-Encoding: base64"},
         {encodeBase64Line("line one\r\nline two\r\n"), "", "."},
         {"line one", "line two"},
         TCharSet::csUSASCII,
         "text/plain"},
        {"html",
         {"Content-Type: text/html; charset=us-ascii"},
         {"<p>hi</p>"},
         {"<p>hi</p>"},
         TCharSet::csUSASCII,
         "text/html"},
        {"jis",
         {"Content-Type: text/plain; charset=ISO-2022-JP"},
         {"\x1B$B$3\x1B(B"},
         {"\x1B$B$3\x1B(B"},
         TCharSet::csISO2022jp,
         "text/plain"},
        {"cc:Mail name",
         {"Content-Type: text/plain; name=cc:Mail"},
         {"text"},
         {"text"},
         TCharSet::csUSASCII,
         "text/plain"},
        {"long line kept whole",
         {"Content-Type: text/plain"},
         {longLine},
         {longLine},
         TCharSet::csUSASCII,
         "text/plain"},
        {"quoted-printable long line",
         {"Content-Transfer-Encoding: quoted-printable"},
         {longLine},
         {longLine},
         TCharSet::csISO8859,
         "text/plain"},
        // UTF-8 text is labelled UTF-8 whatever its transfer encoding.
        {"utf-8 quoted-printable",
         {"Content-Type: text/plain; charset=\"UTF-8\"",
          "Content-Transfer-Encoding: quoted-printable"},
         {"caf=C3=A9"},
         {"caf\xC3\xA9"},
         TCharSet::csUTF8,
         "text/plain"},
    };
    for (const Case& c : cases) {
        std::string text = crlf({"From: a@example.com", "MIME-Version: 1.0"});
        for (const std::string& header : c.headers) text += header + "\r\n";
        text += "\r\n";
        for (const std::string& line : c.bodyLines) text += line + "\r\n";
        TmsMessage message = decode(text);
        EXPECT_EQ(message.Body(), c.body) << c.label;
        EXPECT_EQ(message.CharSet(), c.charSet) << c.label;
        EXPECT_EQ(message.ContentType(), c.contentType) << c.label;
        EXPECT_EQ(message.Attachments().Count(), 0) << c.label;
    }
}

TEST(Decoder, TheBodyKeepsTheNameOfItsCharacterSet) {
    const struct {
        const char* contentLines;
        const char* name;
    } cases[] = {
        {"Content-Type: text/plain; charset=\"Shift_JIS\"\r\n", "Shift_JIS"},
        {"Content-Type: text/plain\r\n", ""},
        {"Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
         "Content-Type: text/plain; charset=koi8-r\r\n",
         "koi8-r"},
        {"Content-Type: multipart/alternative; boundary=b\r\n\r\n--b\r\n"
         "Content-Type: text/plain; charset=big5\r\n",
         "big5"},
    };
    for (const auto& c : cases) {
        TmsMessage message = decode(std::string("From: a@example.com\r\nMIME-Version: 1.0\r\n") +
                                    c.contentLines + "\r\ntext\r\n--b--\r\n");
        EXPECT_EQ(message.BodyCharsetName(), c.name) << c.contentLines;
    }
}

TEST(Decoder, SinglePartAttachments) {
    const std::string pdf = "%PDF-1.4 binary \x01\x02\xFF";
    struct Case {
        const char* label;
        std::vector<std::string> headers;
        std::vector<std::string> bodyLines;
        const char* name;
        const char* type;
        std::uint8_t encoding;
        std::string data;
    };
    const Case cases[] = {
        {"name in content type",
         {"Content-Type: application/pdf; name=\"r.pdf\"", "Content-Transfer-Encoding: base64"},
         {encodeBase64Line(pdf)},
         "r.pdf",
         "application/pdf",
         kEncodingBase64,
         pdf},
        {"name in disposition",
         {"Content-Type: application/pdf", "Content-Disposition: attachment; filename=d.pdf",
          "Content-Transfer-Encoding: base64"},
         {encodeBase64Line(pdf), ".", "ignored"},
         "d.pdf",
         "application/pdf",
         kEncodingBase64,
         pdf},
        {"no name",
         {"Content-Type: application/pdf", "Content-Transfer-Encoding: base64"},
         {encodeBase64Line(pdf)},
         "att.0",
         "application/pdf",
         kEncodingBase64,
         pdf},
        {"named text",
         {"Content-Type: text/plain; name=\"notes.txt\"",
          "Content-Transfer-Encoding: quoted-printable"},
         {"a=3D1", "b"},
         "notes.txt",
         "text/plain",
         kEncodingQuotedPrintable,
         "a=1\r\nb\r\n"},
        {"uuencoded part",
         {"Content-Type: application/octet-stream; name=u.bin",
          "Content-Transfer-Encoding: x-uuencode"},
         {"begin 644 u.bin", encodeUuLine("uu data"), "`", "end"},
         "u.bin",
         "application/octet-stream",
         kEncodingBase64,
         "uu data"},
        {"seven bit",
         {"Content-Type: message/rfc822"},
         {"Subject: inner", "", "inner body", "."},
         "att.0",
         "message/rfc822",
         kEncoding7Bit,
         "Subject: inner\r\n\r\ninner body\r\n"},
        {"encoded name",
         {"Content-Type: application/pdf; name=\"=?utf-8?Q?r=C3=A9sum=C3=A9.pdf?=\"",
          "Content-Transfer-Encoding: base64"},
         {encodeBase64Line(pdf)},
         "r\xC3\xA9sum\xC3\xA9.pdf",
         "application/pdf",
         kEncodingBase64,
         pdf},
    };
    for (const Case& c : cases) {
        std::string text = crlf({"MIME-Version: 1.0"});
        for (const std::string& header : c.headers) text += header + "\r\n";
        text += "\r\n";
        for (const std::string& line : c.bodyLines) text += line + "\r\n";
        TmsMessage message = decode(text);
        ASSERT_EQ(message.Attachments().Count(), 1) << c.label;
        const TmsAttItem& item = message.Attachments().Items(0);
        EXPECT_EQ(item.FileName(), c.name) << c.label;
        EXPECT_EQ(item.ContentType(), c.type) << c.label;
        EXPECT_EQ(item.TransferEncoding(), c.encoding) << c.label;
        EXPECT_EQ(data(message, 0), c.data) << c.label;
        EXPECT_TRUE(message.Body().empty()) << c.label;
    }
}

std::string multipart(const std::string& type, std::initializer_list<std::string> lines) {
    std::string text =
        crlf({"From: a@example.com", "MIME-Version: 1.0", "Content-Type: " + type, ""});
    for (const std::string& line : lines) text += line + "\r\n";
    return text;
}

// Base64 lines of every length, groups of four split over line ends, more data than one chunk
// of the decoder's buffer, and a last group of two characters without padding.
TEST(Decoder, Base64PartOfRaggedLinesKeepsEveryByte) {
    std::string bytes(400'000, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 37 + i / 1000);
    std::string encoded;
    for (std::size_t at = 0; at < bytes.size(); at += 57)
        encoded += encodeBase64Line(std::string_view(bytes).substr(at, 57));
    ASSERT_EQ(encoded.substr(encoded.size() - 2), "==");
    encoded.resize(encoded.size() - 2);
    std::string lines;
    for (std::size_t at = 0, length = 1; at < encoded.size();
         at += length, length = length % 97 + 1)
        lines += encoded.substr(at, length) + "\r\n";
    for (const char* tail : {"--b--\r\n", ""}) {
        SCOPED_TRACE(tail);
        TmsMessage message =
            decode(crlf({"Mime-Version: 1.0", "Content-Type: multipart/mixed; boundary=\"b\"", "",
                         "--b", "Content-Type: text/plain", "", "body", "--b",
                         "Content-Type: application/octet-stream; name=\"d.bin\"",
                         "Content-Transfer-Encoding: base64", ""}) +
                   lines + tail);
        ASSERT_EQ(message.Attachments().Count(), 1);
        EXPECT_EQ(data(message, 0), bytes);
    }
}

TEST(Decoder, MixedWithUnnamedParts) {
    TmsMessage message =
        decode(multipart("multipart/mixed; boundary=\"b1\"",
                         {"preamble", "--b1", "Content-Type: text/plain", "", "body text", "",
                          "--b1", "Content-Type: application/octet-stream",
                          "Content-Transfer-Encoding: base64", "", encodeBase64Line("first"), "",
                          "--b1", "Content-Type: image/png", "", "raw", "", "--b1--", "epilogue"}));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"body text"});
    EXPECT_EQ(names(message), (std::vector<std::string>{"att.0", "att.1"}));
    EXPECT_EQ(message.Attachments().Items(1).ContentType(), "image/png");
    EXPECT_EQ(data(message, 0), "first");
    EXPECT_EQ(data(message, 1), "raw\r\n");
    EXPECT_EQ(message.ContentType(), "multipart/mixed");
}

TEST(Decoder, TopLevelAlternative) {
    TmsMessage message = decode(multipart(
        "multipart/alternative; boundary=alt",
        {"--alt", "Content-Type: text/plain", "", "plain", "", "--alt", "Content-Type: text/html",
         "Content-Transfer-Encoding: quoted-printable", "", "<p>=3D</p>", "", "--alt--"}));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"plain"});
    EXPECT_EQ(names(message), std::vector<std::string>{"_alt.0"});
    EXPECT_EQ(message.Attachments().Items(0).ContentType(), "text/html");
    EXPECT_EQ(data(message, 0), "<p>=</p>\r\n");
    EXPECT_EQ(message.ContentType(), "multipart/alternative");
}

TEST(Decoder, NestedAlternativeThenFile) {
    const std::string pdf = "PDFDATA";
    TmsMessage message =
        decode(multipart("multipart/mixed; boundary=\"outer\"",
                         {"--outer",
                          "Content-Type: multipart/alternative; boundary=\"inner\"",
                          "",
                          "--inner",
                          "Content-Type: text/plain",
                          "",
                          "the text",
                          "",
                          "--inner",
                          "Content-Type: text/html",
                          "",
                          "<b>html</b>",
                          "",
                          "--inner--",
                          "",
                          "--outer",
                          "Content-Type: application/octet-stream; name=\"report.pdf\"",
                          "Content-Transfer-Encoding: base64",
                          "",
                          encodeBase64Line(pdf),
                          "",
                          "--outer--"}));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"the text"});
    EXPECT_EQ(names(message), (std::vector<std::string>{"_alt.0", "report.pdf"}));
    EXPECT_EQ(message.Attachments().Items(1).ContentType(), "application/pdf");
    EXPECT_EQ(data(message, 1), pdf);
}

TEST(Decoder, NestedAlternativeAsLastPartAddsNothing) {
    TmsMessage message =
        decode(multipart("multipart/mixed; boundary=\"outer\"",
                         {"--outer", "Content-Type: multipart/alternative; boundary=\"inner\"", "",
                          "--inner", "Content-Type: text/plain", "", "t", "--inner",
                          "Content-Type: text/html", "", "h", "--inner--", "--outer--"}));
    EXPECT_EQ(names(message), std::vector<std::string>{"_alt.0"});
}

TEST(Decoder, AlternativeWithOneBodyKeepsTheFollowingParts) {
    TmsMessage message = decode(
        multipart("multipart/mixed; boundary=\"outer\"",
                  {"--outer", "Content-Type: multipart/alternative; boundary=\"inner\"", "",
                   "--inner", "Content-Type: text/plain", "", "only text", "--inner--", "--outer",
                   "Content-Type: text/plain; name=\"n.txt\"", "", "file", "--outer--"}));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"only text"});
    EXPECT_EQ(names(message), std::vector<std::string>{"n.txt"});
}

TEST(Decoder, OnlyPartSetsTheContentType) {
    TmsMessage message = decode(multipart("multipart/mixed; boundary=b",
                                          {"--b", "Content-Type: text/html; charset=us-ascii", "",
                                           "<p>x</p>", "--b--", "ignored epilogue"}));
    EXPECT_EQ(message.Attachments().Count(), 0);
    EXPECT_EQ(message.Body(), std::vector<std::string>{"<p>x</p>"});
    EXPECT_EQ(message.ContentType(), "text/html");
}

TEST(Decoder, Base64FirstPartBecomesTheFirstAttachment) {
    TmsMessage message = decode(multipart(
        "multipart/mixed; boundary=b",
        {"--b", "Content-Type: application/pdf; name=a.pdf", "Content-Transfer-Encoding: base64",
         "", encodeBase64Line("AAA"), "--b", "Content-Type: text/plain", "", "second", "--b--"}));
    EXPECT_TRUE(message.Body().empty());
    EXPECT_EQ(names(message), (std::vector<std::string>{"a.pdf", "att.1"}));
    EXPECT_EQ(data(message, 0), "AAA");
}

TEST(Decoder, DeclaredTypeAndNames) {
    TmsMessage message =
        decode(multipart("multipart/mixed; boundary=b",
                         {"--b",
                          "",
                          "text",
                          "--b",
                          "Content-Type: application/octet-stream; name=\"report.doc\"",
                          "",
                          "d",
                          "--b",
                          "Content-Type: image/x-special; name=\"noext\"",
                          "",
                          "n",
                          "--b",
                          "Content-Type: application/octet-stream",
                          "Content-Disposition: attachment; filename=\"photo.png\"",
                          "",
                          "p",
                          "--b",
                          "",
                          "untyped",
                          "--b--"}));
    EXPECT_EQ(names(message),
              (std::vector<std::string>{"report.doc", "noext", "photo.png", "att.3"}));
    EXPECT_EQ(message.Attachments().Items(0).ContentType(), "application/msword");
    EXPECT_EQ(message.Attachments().Items(1).ContentType(), "image/x-special");
    EXPECT_EQ(message.Attachments().Items(2).ContentType(), "image/png");
    EXPECT_EQ(message.Attachments().Items(2).TransferEncoding(), kEncoding7Bit);
    EXPECT_EQ(message.Attachments().Items(3).ContentType(), "text/plain");
}

TEST(Decoder, BoundaryComparisons) {
    // A non-first part ends at a line that starts with the boundary; the text part only at the
    // boundary itself (blanks after it allowed).
    TmsMessage message = decode(
        multipart("multipart/mixed; boundary=b", {"--b", "", "--bx is text", "--b  ", "", "part",
                                                  "--bogus ends the part", "after", "--b--"}));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"--bx is text"});
    ASSERT_EQ(message.Attachments().Count(), 2);
    EXPECT_EQ(data(message, 0), "part\r\n");
}

TEST(Decoder, MissingClosingBoundaryAfterLastPartIsFine) {
    TmsMessage message = decode(multipart(
        "multipart/mixed; boundary=b",
        {"--b", "", "text", "--b", "Content-Type: text/plain; name=a.txt", "", "tail", "."}));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"text"});
    EXPECT_EQ(data(message, 0), "tail\r\n");
}

TEST(Decoder, ParseErrorsBecomeTheNotice) {
    struct Case {
        const char* label;
        std::string text;
        const char* error;
    };
    const Case cases[] = {
        {"no boundary line", multipart("multipart/mixed; boundary=b", {"--c", "", "x"}),
         "Cannot find boundary"},
        {"no boundary parameter", multipart("multipart/mixed", {"--", "", "x"}),
         "Cannot find boundary"},
        {"text part runs to the end", multipart("multipart/mixed; boundary=b", {"--b", "", "text"}),
         "Cannot find boundary"},
        {"nested never closed",
         multipart("multipart/mixed; boundary=o",
                   {"--o", "Content-Type: multipart/alternative; boundary=i", "", "--i", "", "t",
                    "--i", "", "h", "--i--"}),
         "Cannot find closing boundary"},
        {"space in base64",
         multipart(
             "multipart/mixed; boundary=b",
             {"--b", "", "text", "--b", "Content-Transfer-Encoding: base64", "", "QU JD", "--b--"}),
         "Invalid Character"},
        {"bad uuencode", crlf({"Subject: uu", "", "begin 644 x.bin", "M{{{", "`", "end"}),
         "Error decoding the attachment"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TmsMessage message = decode(c.text);
        expectErrorNotice(message, c.error, c.text);
        EXPECT_EQ(message.Sender().Address().empty(), c.text.find("From:") == std::string::npos);
    }
}

TEST(Decoder, NonMimeUuencodedAttachments) {
    const std::string first(100, 'A');
    const std::string second = "second file";
    std::string text = crlf({"Subject: files", "", "see attached", ""});
    text += "begin 644 one.bin\r\n";
    for (std::size_t i = 0; i < first.size(); i += 45)
        text += encodeUuLine(first.substr(i, 45)) + "\r\n";
    text += crlf({"`", "end", "between the files", "", "begin 600 \"two.txt\"",
                  encodeUuLine(second), "`", "end", ""});
    TmsMessage message = decode(text);
    EXPECT_EQ(message.Encoding(), TMsgEncoding::meUU);
    EXPECT_EQ(message.ContentType(), "");
    EXPECT_EQ(names(message), (std::vector<std::string>{"one.bin", "two.txt"}));
    EXPECT_EQ(data(message, 0), first);
    EXPECT_EQ(data(message, 1), second);
    EXPECT_EQ(message.Body(), (std::vector<std::string>{"see attached", "between the files", ""}));
}

TEST(Decoder, UuencodeInsideAMimeTextIsReadAgainAsPlain) {
    TmsMessage message = decode(
        crlf({"MIME-Version: 1.0", "To: a@example.com, b@example.com", "Content-Type: text/plain",
              "", "text", "begin 644 a.bin", encodeUuLine("abc"), "`", "end"}));
    EXPECT_EQ(message.Recipients().Count(), 2);
    EXPECT_EQ(message.Encoding(), TMsgEncoding::meUU);
    EXPECT_EQ(message.Body(), std::vector<std::string>{"text"});
    EXPECT_EQ(names(message), std::vector<std::string>{"a.bin"});
    EXPECT_EQ(data(message, 0), "abc");
}

TEST(Decoder, VMailsystemContentTypeIsIgnored) {
    TmsMessage message =
        decode(crlf({"MIME-Version: 1.0", "X-Mailer: V Mailsystem R #0001",
                     "Content-Type: application/octet-stream", "", "plain text after all"}));
    EXPECT_EQ(message.Attachments().Count(), 0);
    EXPECT_EQ(message.Body(), std::vector<std::string>{"plain text after all"});
}

TEST(Decoder, HostileInputStaysBounded) {
    {
        std::string text = crlf(
            {"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=b", "", "--b", "", "t"});
        for (std::size_t i = 0; i <= kMaxAttachments; ++i) text += "--b\r\n\r\n";
        TmsMessage message = decode(text);
        expectErrorNotice(message, kTextTooManyAttachments, text);
        EXPECT_EQ(message.Attachments().Count(), static_cast<int>(kMaxAttachments) + 1);
    }
    {
        std::string text;
        for (std::size_t i = 0; i <= kMaxHeaderLines; ++i) text += "X-Flood: 1\r\n";
        text += "\r\nbody\r\n";
        TmsMessage message = decode(text);
        expectErrorNotice(message, kTextHeaderTooLarge, text);
    }
    {
        const std::string text =
            "Subject: many lines\r\n\r\n" + std::string(kMaxBodyLines + 5, '\n');
        TmsMessage message = decode(text);
        expectErrorNotice(message, kTextBodyTooLarge, text);
    }
    {
        // One endless line, no line break at all.
        const std::string text = "Subject: long\r\n\r\n" + std::string(8 * 1024 * 1024, 'x');
        TmsMessage message = decode(text);
        ASSERT_EQ(message.Body().size(), 1u);
        EXPECT_EQ(message.Body()[0].size(), 8u * 1024 * 1024);
    }
}

// 100,000 lines of "_" (each claims 63 bytes and carries none) in both places uuencode is read.
// Before, they decoded to 6.3 MB: 31 times the text. No part may exceed what its encoded text
// holds (six bits a character).
TEST(Decoder, UuencodedDataNeverExceedsWhatItsTextHolds) {
    std::string lines;
    for (int i = 0; i < 100'000; ++i) lines += "_\r\n";
    const std::string cases[] = {
        crlf({"Subject: uu", "", "begin 644 big.bin"}) + lines + crlf({"`", "end"}),
        multipart("multipart/mixed; boundary=b",
                  {"--b", "", "text", "--b", "Content-Type: application/octet-stream; name=u.bin",
                   "Content-Transfer-Encoding: x-uuencode", "", "begin 644 u.bin"}) +
            lines + crlf({"`", "end", "--b--"}),
    };
    for (const std::string& text : cases) {
        TmsMessage message = decode(text);
        ASSERT_GE(message.Attachments().Count(), 1);
        for (const auto& item : message.Attachments()) {
            EXPECT_LE(item->Data().Size(), text.size() * 3 / 4) << item->FileName();
            if (item->FileName() != "original.eml") {
                EXPECT_EQ(item->Data().Size(), 0u);
            }
        }
    }
}

std::size_t openDescriptors() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

// 1,100 attachments under the usual limit of 1,024 open files. Before, each attachment held
// its temporary file open, and the message could not be read ("Too many open files"). Now the
// files are opened only while used: decoding, copying and reading them keeps at most a few open.
TEST(Decoder, AThousandAttachmentsNeedNoDescriptorEach) {
    constexpr int kCount = 1100;
    std::vector<std::string> parts{"--b", "", "text"};
    for (int i = 0; i < kCount; ++i) {
        for (const std::string& line :
             {std::string("--b"), "Content-Type: text/plain; name=f" + std::to_string(i) + ".txt",
              std::string("Content-Transfer-Encoding: base64"), std::string(""),
              std::string("QUJD")})
            parts.push_back(line);
    }
    parts.push_back("--b--");
    std::string text = crlf({"MIME-Version: 1.0", "Content-Type: multipart/mixed; boundary=b", ""});
    for (const auto& line : parts) text += line + "\r\n";

    const auto result = velmora::testing::runLimitedChild({.openFiles = 1024}, [&] {
        const std::size_t before = openDescriptors();
        TmsMessage message = decode(text);
        if (message.Attachments().Count() != kCount) return 1;
        if (openDescriptors() > before + 2) return 2;
        TmsMessage copy;
        copy.Assign(message);
        for (int i = 0; i < kCount; ++i)
            if (copy.Attachments().Items(i).Data().ReadAll() != "ABC") return 3;
        if (openDescriptors() > before + 2) return 4;
        return 0;
    });
    ASSERT_TRUE(result.exited);
    EXPECT_EQ(result.status, 0);
}

// A "To:" of 4 million commas: the lists keep kMaxAddressListEntries entries and the message
// gets the error notice, with the original kept. Before, every empty entry became an address
// (580 MB); the child now decodes it within 256 MB of address space.
TEST(Decoder, AddressListsAreBounded) {
    const std::string text =
        "Subject: commas\r\nTo: " + std::string(4'000'000, ',') + "\r\n\r\nbody\r\n";
    {
        TmsMessage message = decode(text);
        EXPECT_EQ(message.Recipients().Count(), static_cast<int>(kMaxAddressListEntries));
        expectErrorNotice(message, kTextTooManyRecipients, text);
        EXPECT_EQ(message.Subject(), "commas");
    }
    if (velmora::testing::kAddressSpaceLimitWorks) {
        const auto result =
            velmora::testing::runLimitedChild({.addressSpaceBytes = 256ull * 1024 * 1024}, [&] {
                return decode(text).Recipients().Count() == static_cast<int>(kMaxAddressListEntries)
                           ? 0
                           : 1;
            });
        ASSERT_TRUE(result.exited);
        EXPECT_EQ(result.status, 0);
    }
    // Exactly at the bound is no error.
    std::string full = "To: a@x";
    for (std::size_t i = 1; i < kMaxAddressListEntries; ++i) full += ", a@x";
    TmsMessage message = decode(full + "\r\n\r\nbody\r\n");
    EXPECT_EQ(message.Recipients().Count(), static_cast<int>(kMaxAddressListEntries));
    EXPECT_EQ(message.Body(), std::vector<std::string>{"body"});
}

}  // namespace
}  // namespace velmora::mime
