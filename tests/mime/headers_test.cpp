// Header lookups, address and date parsing, and the header value helpers.
#include "mime/headers.h"

#include <gtest/gtest.h>

#include "mime/address.h"
#include "mime/mail_date.h"

namespace velmora::mime {
namespace {

TmsHeaders headers(std::vector<std::string> lines) {
    return TmsHeaders(std::move(lines));
}

TEST(GetFieldValue, MatchingAndUnfolding) {
    const TmsHeaders list = headers({
        "Tokens: not the To field",
        "Subject: Hello",
        "X-Tight:Hello",
        "To: first@example.com,",
        "  second@example.com,",
        "\tthird@example.com",
        "Content-Type: text/plain; name=\"=?utf-8?Q?caf=C3=A9?=\"",
        "X-UIDL: =?keep?=",
        "From: =?iso-8859-1?Q?Andr=E9?= <andre@example.com>",
        "Empty:",
    });
    EXPECT_EQ(list.GetFieldValue("Subject"), "Hello");
    EXPECT_EQ(list.GetFieldValue("subject:"), "Hello");
    EXPECT_EQ(list.GetFieldValue("X-Tight"), "ello");
    EXPECT_EQ(list.GetFieldValue("To"), "first@example.com, second@example.com, third@example.com");
    EXPECT_EQ(list.GetFieldValue("Content-Type"), "text/plain; name=\"=?utf-8?Q?caf=C3=A9?=\"");
    EXPECT_EQ(list.GetFieldValue("X-UIDL"), "=?keep?=");
    EXPECT_EQ(list.GetFieldValue("From"), "Andr\xE9 <andre@example.com>");
    EXPECT_EQ(list.GetFieldValue("Empty"), "");
    EXPECT_EQ(list.GetFieldValue("Missing"), "");
    EXPECT_EQ(TmsHeaders().GetFieldValue("Subject"), "");
    EXPECT_EQ(headers({"Subject: " + std::string(400, 's')}).GetFieldValue("Subject").size(), 255u);
}

TEST(GetFieldList, SplitsAtCommasOutsideQuotes) {
    const TmsHeaders list = headers({
        "To: \"Doe, John\" <john@example.com>, jane@example.com,",
        "  \"Roe, Rick\" <rick@example.com>",
        "Subject: x",
        "Tokens: tok@example.com",
        "TO: =?utf-8?Q?Z=C3=BC?= <z@example.com>",
    });
    EXPECT_EQ(list.GetFieldList("TO"),
              (std::vector<std::string>{"\"Doe, John\" <john@example.com>", "jane@example.com",
                                        "\"Roe, Rick\" <rick@example.com>", "tok@example.com",
                                        "Z\xC3\xBC <z@example.com>"}));
    EXPECT_EQ(list.GetFieldList("TO:").size(), 4u);
    EXPECT_EQ(headers({"To: a@x,,b@x"}).GetFieldList("To:"),
              (std::vector<std::string>{"a@x", "", "b@x"}));
    EXPECT_TRUE(headers({"To no colon"}).GetFieldList("To").empty());
    // As written: a comma inside an encoded name does not split, and the word stays encoded.
    EXPECT_EQ(headers({"Cc: =?utf-8?Q?Doe=2C_Z=C3=BC?= <z@x>, b@x"}).GetRawFieldList("CC:"),
              (std::vector<std::string>{"=?utf-8?Q?Doe=2C_Z=C3=BC?= <z@x>", "b@x"}));
}

TEST(RemoveField, FirstOccurrenceWithItsContinuations) {
    TmsHeaders list = headers({"Received: one", "  folded", "Subject: s", "received: two"});
    list.RemoveField("Received");
    EXPECT_EQ(list.Lines(), (std::vector<std::string>{"Subject: s", "received: two"}));
    list.RemoveField("Missing:");
    EXPECT_EQ(list.Count(), 2);

    TmsHeaders withBody = headers({"A: 1", "", "body", ""});
    withBody.TruncateAtBlankLine();
    EXPECT_EQ(withBody.Lines(), (std::vector<std::string>{"A: 1"}));
}

TEST(ParseMailAddress, Forms) {
    struct Case {
        const char* text;
        const char* name;
        const char* address;
    };
    const Case cases[] = {
        {"\"John Doe\" <john@example.com>", "John Doe", "john@example.com"},
        {"John Doe <john@example.com>", "John Doe", "john@example.com"},
        {"<john@example.com>", "", "john@example.com"},
        {"john@example.com (John Doe)", "John Doe", "john@example.com"},
        {"john@example.com", "", "john@example.com"},
        {"John Doe <john@example.com", "John Doe <john@example.com", ""},
        {"a> John <b@x>", "a> John", "b@x"},
    };
    for (const Case& c : cases) {
        const TmsMailAddress address = ParseMailAddress(c.text);
        EXPECT_EQ(address.Name(), c.name) << c.text;
        EXPECT_EQ(address.Address(), c.address) << c.text;
    }
    EXPECT_EQ(ParseMailAddress(std::string(300, 'n') + " <a@x>").Name().size(), 255u);
}

TEST(HeaderValueHelpers, Parameters) {
    EXPECT_EQ(TrimQuotes("  \"\"quoted\"  "), "quoted");
    EXPECT_EQ(ContentTypeToken("text/plain; charset=us-ascii"), "text/plain");
    EXPECT_EQ(ContentTypeToken("text/html;charset=x"), "text/html");
    EXPECT_EQ(ContentTypeToken("application/pdf"), "application/pdf");

    struct Case {
        const char* name;
        const char* value;
        const char* parameter;
    };
    const Case cases[] = {
        {"boundary", "multipart/mixed; boundary=\"abc def\"", "abc def"},
        {"BOUNDARY", "multipart/mixed; boundary=plain;", "plain"},
        {"charset", "text/plain;charset=us-ascii;format=flowed", "us-ascii"},
        {"name", "attachment; filename=\"report.doc\"", "report.doc"},
        {"name", "application/x-name; name=real.bin", "real.bin"},
        {"name", "text/plain", ""},
        {"filename", "attachment; filename = spaced.txt", "spaced.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetHeaderParam(c.name, c.value), c.parameter) << c.value;
}

TEST(HeaderValueHelpers, FileNameParameters) {
    struct Case {
        const char* name;
        const char* value;
        const char* fileName;
    };
    const Case cases[] = {
        {"name", "text/plain; name=This is a test.txt", "This is a test.txt"},
        {"filename", "attachment;\tfilename=\"a; b.pdf\"", "a; b.pdf"},
        {"name", "application/pdf; name=\"=?utf-8?B?w6kucGRm?=\"", "\xC3\xA9.pdf"},
        {"name", "application/octet-stream; name*=iso-2022-jp'ja'01%20Quien%20Te.mp3",
         "01 Quien Te.mp3"},
        {"filename", "attachment; filename*0*=utf-8''caf%C3%A9; filename*1=\" menu.txt\"",
         "caf\xC3\xA9 menu.txt"},
        {"name", "attachment; filename=\"not-a-name.txt\"", ""},
        {"name", "text/plain", ""},
        {"filename", "attachment; filename=%zz", "%zz"},
        // File names come out in UTF-8 from their own character sets.
        {"name", "application/pdf; name=\"=?ISO-8859-1?Q?R=E9sum=E9.pdf?=\"", "Résumé.pdf"},
        {"filename", "attachment; filename*=iso-8859-1'fr'R%E9sum%E9.pdf", "Résumé.pdf"},
        {"filename", "attachment; filename*0*=koi8-r''%F0%D2%C9; filename*1*=%D7%C5%D4.txt",
         "Привет.txt"},
        {"name", "application/pdf; name=\"=?ISO-2022-JP?B?GyRCJEYkOSRIGyhC?=.txt\"", "てすと.txt"},
        {"filename", "attachment; filename=\"Caf\xE9.txt\"", "Café.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(GetFileNameParam(c.name, c.value), c.fileName) << c.value;
}

TEST(ParseMailDate, Forms) {
    struct Case {
        const char* text;
        TDateTime dateTime;
        const char* rest;
    };
    const Case cases[] = {
        {"Tue, 3 Mar 1998 10:20:30 +0100", {1998, 3, 3, 10, 20, 30}, "+0100"},
        {"03 Mar 98 10:20:30 GMT", {1998, 3, 3, 10, 20, 30}, "GMT"},
        {"\"Sat, 1 Jan 00 00:00:01 -0500\"", {2000, 1, 1, 0, 0, 1}, "-0500"},
        {"1 Dec 2050 7:05 EST", {2050, 12, 1, 7, 5, 0}, "EST"},
        {"29 feb 2024 25:61:00 +0000", {2024, 2, 29, 0, 0, 0}, "+0000"},
        {"Mon, 5 Jun 2023", {2023, 6, 5, 0, 0, 0}, ""},
        {"Mar 3 1998", {}, ""},
        {"29 Feb 2023 10:00:00", {}, ""},
        {"no digits at all", {}, ""},
        {"", {}, ""},
        {"99999999999 Jan 2000", {}, ""},
    };
    for (const Case& c : cases) {
        const ParsedMailDate parsed = ParseMailDate(c.text);
        EXPECT_EQ(parsed.dateTime, c.dateTime) << c.text;
        EXPECT_EQ(parsed.rest, c.rest) << c.text;
    }
}

}  // namespace
}  // namespace velmora::mime
