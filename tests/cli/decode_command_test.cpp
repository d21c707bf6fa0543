// velmora-cli decode and encode, called as the command table calls them.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/command.h"
#include "cli/json.h"
#include "mime/base64.h"
#include "support/temp_dir.h"

namespace velmora::cli {
int runDecodeCommand(Context& context, const std::vector<std::string>& args);
int runEncodeCommand(Context& context, const std::vector<std::string>& args);

// The command table's helper (commands.cpp holds every subsystem's commands, not linked here).
int usageError(Context& context, const std::string& message) {
    context.err << "velmora-cli: " << message << "\n";
    return 2;
}

namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun run(int (*command)(Context&, const std::vector<std::string>&), const std::vector<std::string>& args) {
    platform::HeadlessPlatform headless;
    std::ostringstream out;
    std::ostringstream err;
    Context context{std::filesystem::current_path(), headless, out, err};
    const int status = command(context, args);
    return {status, out.str(), err.str()};
}

TEST(JsonText, EveryByteMapsToTheCharacterOfItsCode) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    const std::string json = jsonString(bytes);
    for (const char c : json) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
    EXPECT_EQ(parseJson(json).text, bytes);
    EXPECT_EQ(parseJson("\"caf\xC3\xA9 \\u00e9 \\u20ac\"").text, "caf\xE9 \xE9 \xE2\x82\xAC");
    EXPECT_THROW(parseJson("{\"a\": }"), JsonError);
    EXPECT_THROW(parseJson(std::string(1000, '[')), JsonError);
}

TEST(DecodeCommand, PrintsTheMessageAndSavesAttachments) {
    testing::TempDir dir;
    const std::string pdf = "%PDF-1.4 \x01\x02\xFF";
    testing::writeFile(dir / "m.eml",
                       "From: \"Doe, J\" <j@example.com>\r\nTo: a@example.com\r\nSubject: caf\xE9\r\n"
                       "Date: Tue, 3 Mar 1998 10:20:30 +0100\r\nX-Priority: 5\r\nMIME-Version: 1.0\r\n"
                       "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nline 1\r\nline 2\r\n--b\r\n"
                       "Content-Type: application/pdf; name=\"../../r.pdf\"\r\nContent-Transfer-Encoding: base64\r\n\r\n" +
                           mime::encodeBase64Line(pdf) + "\r\n--b--\r\n");
    const CommandRun decoded = run(runDecodeCommand, {(dir / "m.eml").string(), "--save-attachments", (dir / "out").string()});
    ASSERT_EQ(decoded.status, 0) << decoded.err;
    const JsonValue json = parseJson(decoded.out);
    EXPECT_EQ(json.find("from")->find("name")->text, "Doe, J");
    EXPECT_EQ(json.find("to")->items.at(0).find("address")->text, "a@example.com");
    EXPECT_EQ(json.find("subject")->text, "caf\xE9");
    EXPECT_EQ(json.find("date")->text, "Tue, 3 Mar 1998 10:20:30 +0100");
    EXPECT_EQ(json.find("contentType")->text, "multipart/mixed");
    EXPECT_EQ(json.find("encoding")->text, "mime");
    EXPECT_EQ(json.find("charset")->text, "us-ascii");
    EXPECT_EQ(json.find("priority")->text, "low");
    EXPECT_FALSE(json.find("returnReceipt")->boolean);
    EXPECT_EQ(json.find("headers")->items.size(), 7u);
    EXPECT_EQ(json.find("body")->text, "line 1\r\nline 2");
    const JsonValue& attachment = json.find("attachments")->items.at(0);
    EXPECT_EQ(attachment.find("fileName")->text, "../../r.pdf");
    EXPECT_EQ(attachment.find("size")->number, static_cast<double>(pdf.size()));
    EXPECT_EQ(attachment.find("transferEncoding")->number, 1);
    EXPECT_EQ(attachment.find("sha256")->text.size(), 64u);
    EXPECT_EQ(testing::readFile(dir / "out" / "r.pdf"), pdf);
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "r.pdf"));

    EXPECT_EQ(run(runDecodeCommand, {(dir / "missing.eml").string()}).status, 1);
    EXPECT_EQ(run(runDecodeCommand, {}).status, 2);
}

TEST(DecodeCommand, KnownDigest) {
    testing::TempDir dir;
    testing::writeFile(dir / "m.eml", "MIME-Version: 1.0\r\nContent-Type: application/octet-stream\r\n"
                                      "Content-Transfer-Encoding: base64\r\n\r\nYWJj\r\n");
    const CommandRun decoded = run(runDecodeCommand, {(dir / "m.eml").string()});
    EXPECT_EQ(parseJson(decoded.out).find("attachments")->items.at(0).find("sha256")->text,
              "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");  // "abc"
}

TEST(EncodeCommand, BuildsAMessageThatDecodesBack) {
    testing::TempDir dir;
    testing::writeFile(dir / "data.bin", std::string("\0\1binary\r\n.\r\n", 13));
    const std::string json =
        "{\"from\": {\"name\": \"Jane Q. Public\", \"address\": \"jane@example.com\"},"
        " \"to\": [\"Bob <bob@example.com>\"], \"bcc\": [{\"name\": \"\", \"address\": \"hidden@example.com\"}],"
        " \"subject\": \"Caf\\u00e9\", \"date\": \"Tue, 3 Mar 1998 10:20:30 +0100\", \"priority\": \"high\","
        " \"returnReceipt\": true, \"headers\": [\"X-Custom: yes\"], \"body\": \"Hello\\r\\n.\\r\\nbye\","
        " \"attachments\": [{\"path\": \"" + (dir / "data.bin").string() + "\", \"fileName\": \"renamed.bin\"}]}";
    testing::writeFile(dir / "m.json", json);
    const CommandRun encoded = run(runEncodeCommand, {(dir / "m.json").string(), (dir / "m.eml").string()});
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    const std::string text = testing::readFile(dir / "m.eml");
    EXPECT_EQ(text.find("hidden@example.com"), std::string::npos);
    EXPECT_NE(text.find("\r\nX-Custom: yes\r\n"), std::string::npos);

    const JsonValue back = parseJson(run(runDecodeCommand, {(dir / "m.eml").string()}).out);
    EXPECT_EQ(back.find("from")->find("name")->text, "Jane Q. Public");
    EXPECT_EQ(back.find("subject")->text, "Caf\xE9");
    EXPECT_EQ(back.find("priority")->text, "high");
    EXPECT_TRUE(back.find("returnReceipt")->boolean);
    EXPECT_EQ(back.find("body")->text, "Hello\r\n.\r\nbye");
    EXPECT_EQ(back.find("attachments")->items.at(0).find("fileName")->text, "renamed.bin");
    EXPECT_EQ(back.find("attachments")->items.at(0).find("size")->number, 13);

    testing::writeFile(dir / "bad.json", "{\"priority\": \"urgent\"}");
    EXPECT_EQ(run(runEncodeCommand, {(dir / "bad.json").string(), (dir / "x.eml").string()}).status, 2);
    testing::writeFile(dir / "nofile.json", "{\"attachments\": [{\"path\": \"" + (dir / "none").string() + "\"}]}");
    EXPECT_EQ(run(runEncodeCommand, {(dir / "nofile.json").string(), (dir / "x.eml").string()}).status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.eml"));
}

}  // namespace
}  // namespace velmora::cli
