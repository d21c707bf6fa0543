// velmora-cli decode and encode, and the JSON text between them.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <set>
#include <utility>

#include "cli/attachment_saving.h"
#include "cli/json.h"
#include "cli_run.h"
#include "mime/base64.h"
#include "support/temp_dir.h"

namespace velmora::cli {
namespace {

using testing::runCli;
using velmora::testing::readFile;
using velmora::testing::TempDir;
using velmora::testing::writeFile;

// A multipart message with one base64 part per (file name, data).
std::string messageWithAttachments(const std::vector<std::pair<std::string, std::string>>& parts) {
    std::string text =
        "From: a@example.com\r\nMIME-Version: 1.0\r\nContent-Type: multipart/mixed; boundary=b\r\n"
        "\r\n--b\r\n\r\nbody\r\n";
    for (const auto& [name, data] : parts) {
        text += "--b\r\nContent-Type: text/plain; name=\"" + name +
                "\"\r\nContent-Transfer-Encoding: base64\r\n\r\n";
        for (std::size_t i = 0; i < data.size(); i += 57) {
            text += mime::encodeBase64Line(std::string_view(data).substr(i, 57)) + "\r\n";
        }
    }
    return text + "--b--\r\n";
}

Json decodeJson(const std::vector<std::string>& args) {
    const auto run = runCli(args);
    EXPECT_EQ(run.status, 0) << run.err;
    return parseJson(run.out);
}

std::set<std::string> namesIn(const std::filesystem::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

TEST(JsonText, EveryByteMapsToTheCharacterOfItsCode) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) bytes += static_cast<char>(i);
    const std::string printed = printJson(Json(jsonText(bytes)));
    for (const char c : printed) EXPECT_LT(static_cast<unsigned char>(c), 0x80u);
    EXPECT_EQ(bytesOf(parseJson(printed)), bytes);
    EXPECT_EQ(printJson(Json(jsonText("caf\xE9"))), "\"caf\\u00e9\"");
    // UTF-8 and escapes up to U+00FF are bytes; above it, UTF-8 stays.
    EXPECT_EQ(bytesOf(parseJson("\"caf\xC3\xA9 \\u00e9 \\u20ac\"")), "caf\xE9 \xE9 \xE2\x82\xAC");
    // A byte that is not UTF-8 (a Latin-1 file) is the character of its code.
    EXPECT_EQ(bytesOf(parseJson("\"caf\xE9 \xC3\"")), "caf\xE9 \xC3");
    EXPECT_EQ(bytesOf(parseJson("\"\xED\xA0\x80\"")), "\xED\xA0\x80");  // a lone surrogate's bytes
    EXPECT_THROW(parseJson("{\"a\": }"), JsonError);
    EXPECT_THROW(parseJson(std::string(1000, '[')), JsonError);
    EXPECT_THROW(parseJson("{} x"), JsonError);
}

TEST(DecodeCommand, PrintsTheMessageAndSavesAttachments) {
    TempDir dir;
    const std::string pdf = "%PDF-1.4 \x01\x02\xFF";
    writeFile(
        dir / "m.eml",
        "From: \"Doe, J\" <j@example.com>\r\nTo: a@example.com\r\nSubject: caf\xE9\r\n"
        "Date: Tue, 3 Mar 1998 10:20:30 +0100\r\nX-Priority: 5\r\nMIME-Version: 1.0\r\n"
        "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nline 1\r\nline 2\r\n--b\r\n"
        "Content-Type: application/pdf; name=\"../../r.pdf\"\r\nContent-Transfer-Encoding: "
        "base64\r\n\r\n" +
            mime::encodeBase64Line(pdf) + "\r\n--b--\r\n");
    const auto out = dir / "out";
    const Json json =
        decodeJson({"decode", (dir / "m.eml").string(), "--save-attachments", out.string()});
    EXPECT_EQ(bytesOf(json["from"]["name"]), "Doe, J");
    EXPECT_EQ(bytesOf(json["to"].at(0)["address"]), "a@example.com");
    EXPECT_EQ(bytesOf(json["subject"]), "caf\xE9");
    EXPECT_EQ(bytesOf(json["date"]), "Tue, 3 Mar 1998 10:20:30 +0100");
    EXPECT_EQ(json["contentType"], "multipart/mixed");
    EXPECT_EQ(json["encoding"], "mime");
    EXPECT_EQ(json["charset"], "us-ascii");
    EXPECT_EQ(json["priority"], "low");
    EXPECT_EQ(json["returnReceipt"], false);
    EXPECT_EQ(json["headers"].size(), 7u);
    EXPECT_EQ(bytesOf(json["body"]), "line 1\r\nline 2");
    const Json& attachment = json["attachments"].at(0);
    EXPECT_EQ(bytesOf(attachment["fileName"]), "../../r.pdf");
    EXPECT_EQ(attachment["size"], pdf.size());
    EXPECT_EQ(attachment["transferEncoding"], 1);
    EXPECT_EQ(attachment["sha256"].get<std::string>().size(), 64u);
    EXPECT_EQ(bytesOf(attachment["savedAs"]), (out / "r.pdf").string());
    EXPECT_EQ(readFile(out / "r.pdf"), pdf);
    EXPECT_FALSE(std::filesystem::exists(dir.path().parent_path() / "r.pdf"));
    // The members in the order they are documented.
    const auto run = runCli({"decode", (dir / "m.eml").string()});
    EXPECT_EQ(
        run.out.rfind("{\"from\":{\"name\":\"Doe, J\",\"address\":\"j@example.com\"},\"to\":", 0),
        0u);

    EXPECT_EQ(runCli({"decode", (dir / "missing.eml").string()}).status, 1);
    EXPECT_EQ(runCli({"decode"}).status, 2);
}

TEST(DecodeCommand, KnownDigests) {
    const struct {
        const char* name;
        std::string data;
        const char* sha256;
    } cases[] = {
        {"empty", "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        // Many blocks of the attachment data, fed one after another.
        {"a million a", std::string(1'000'000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    TempDir dir;
    for (const auto& c : cases) {
        writeFile(dir / "m.eml", messageWithAttachments({{"data.bin", c.data}}));
        const Json json = decodeJson({"decode", (dir / "m.eml").string()});
        EXPECT_EQ(json["attachments"].at(0)["sha256"], c.sha256) << c.name;
        EXPECT_EQ(json["attachments"].at(0)["size"], c.data.size()) << c.name;
    }
}

TEST(SaveAttachments, NeverReplacesAFileAndGivesEveryAttachmentItsOwnName) {
    TempDir dir;
    const auto out = dir / "out";
    std::filesystem::create_directories(out);
    writeFile(out / "existing.txt", "the user's file");
    writeFile(dir / "m.eml", messageWithAttachments({{"existing.txt", "first"},
                                                     {"notes.txt", "second"},
                                                     {"dir/notes.txt", "third"},
                                                     {"..", "fourth"},
                                                     {".", "fifth"},
                                                     {"~1~notes.txt", "sixth"}}));
    const Json json =
        decodeJson({"decode", (dir / "m.eml").string(), "--save-attachments", out.string()});
    const std::pair<const char*, const char*> expected[] = {
        {"~1~existing.txt", "first"}, {"notes.txt", "second"},    {"~1~notes.txt", "third"},
        {"attachment", "fourth"},     {"~1~attachment", "fifth"}, {"~2~notes.txt", "sixth"}};
    ASSERT_EQ(json["attachments"].size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(bytesOf(json["attachments"][i]["savedAs"]), (out / expected[i].first).string());
        EXPECT_EQ(readFile(out / expected[i].first), expected[i].second) << expected[i].first;
    }
    EXPECT_EQ(readFile(out / "existing.txt"), "the user's file");
    EXPECT_EQ(namesIn(out).size(), std::size(expected) + 1);

    // A second run over the same folder takes the next numbers.
    const Json again =
        decodeJson({"decode", (dir / "m.eml").string(), "--save-attachments", out.string()});
    EXPECT_EQ(bytesOf(again["attachments"][1]["savedAs"]), (out / "~3~notes.txt").string());
    EXPECT_EQ(readFile(out / "notes.txt"), "second");
}

TEST(SaveAttachments, ASymbolicLinkInTheWayStopsBeforeAnythingIsWritten) {
    TempDir dir;
    writeFile(dir / "outside.txt", "not to be touched");
    writeFile(dir / "m.eml", messageWithAttachments({{"first.txt", "1"}, {"notes.txt", "2"}}));
    for (const char* linkName : {"notes.txt", "~1~notes.txt"}) {
        const auto out = dir / ("out-" + std::string(linkName));
        std::filesystem::create_directories(out);
        if (std::string(linkName) != "notes.txt") writeFile(out / "notes.txt", "taken");
        std::filesystem::create_symlink(dir / "outside.txt", out / linkName);
        const std::set<std::string> before = namesIn(out);

        const auto run =
            runCli({"decode", (dir / "m.eml").string(), "--save-attachments", out.string()});
        EXPECT_EQ(run.status, 1) << linkName;
        EXPECT_NE(run.err.find("symbolic link"), std::string::npos) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(namesIn(out), before) << linkName;
        EXPECT_EQ(readFile(dir / "outside.txt"), "not to be touched");
    }
}

TEST(SaveAttachments, AFailedWriteLeavesTheFolderAsItWas) {
    TempDir dir;
    mime::TmsMessage message;
    message.LoadFromString(
        messageWithAttachments({{"small.txt", "1"}, {"large.bin", std::string(100'000, 'x')}}));
    const auto out = dir / "out";
    std::filesystem::create_directories(out);
    // Files may grow to 64 KB only: the second attachment's write fails half-way.
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    ::getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(saveAttachments(message, out), std::system_error);
    ::setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_TRUE(namesIn(out).empty());
}

TEST(EncodeCommand, BuildsAMessageThatDecodesBack) {
    TempDir dir;
    writeFile(dir / "data.bin", std::string("\0\1binary\r\n.\r\n", 13));
    const std::string json =
        "{\"from\": {\"name\": \"Jane Q. Public\", \"address\": \"jane@example.com\"},"
        " \"to\": [\"Bob <bob@example.com>\"], \"bcc\": [{\"name\": \"\", \"address\": "
        "\"hidden@example.com\"}],"
        " \"subject\": \"Caf\\u00e9\", \"date\": \"Tue, 3 Mar 1998 10:20:30 +0100\", \"priority\": "
        "\"high\","
        " \"returnReceipt\": true, \"headers\": [\"X-Custom: yes\"], \"body\": "
        "\"Hello\\r\\n.\\r\\nbye\","
        " \"attachments\": [{\"path\": \"" +
        (dir / "data.bin").string() + "\", \"fileName\": \"renamed.bin\"}]}";
    writeFile(dir / "m.json", json);
    const auto encoded = runCli({"encode", (dir / "m.json").string(), (dir / "m.eml").string()});
    ASSERT_EQ(encoded.status, 0) << encoded.err;
    const std::string text = readFile(dir / "m.eml");
    EXPECT_EQ(text.find("hidden@example.com"), std::string::npos);
    EXPECT_NE(text.find("\r\nX-Custom: yes\r\n"), std::string::npos);

    const Json back = decodeJson({"decode", (dir / "m.eml").string()});
    EXPECT_EQ(bytesOf(back["from"]["name"]), "Jane Q. Public");
    EXPECT_EQ(bytesOf(back["subject"]), "Caf\xE9");
    EXPECT_EQ(back["priority"], "high");
    EXPECT_EQ(back["returnReceipt"], true);
    EXPECT_EQ(bytesOf(back["body"]), "Hello\r\n.\r\nbye");
    EXPECT_EQ(bytesOf(back["attachments"].at(0)["fileName"]), "renamed.bin");
    EXPECT_EQ(back["attachments"].at(0)["size"], 13);
}

TEST(EncodeCommand, RefusesWhatItCannotBuild) {
    TempDir dir;
    const struct {
        const char* json;
        int status;
    } cases[] = {
        {"{\"priority\": \"urgent\"}", 2},
        {"{\"subject\": 7}", 2},
        {"{\"to\": \"bob@example.com\"}", 2},
        {"{\"subject\": ", 2},
        {"[1, 2]", 2},
    };
    for (const auto& c : cases) {
        writeFile(dir / "bad.json", c.json);
        const auto run = runCli({"encode", (dir / "bad.json").string(), (dir / "x.eml").string()});
        EXPECT_EQ(run.status, c.status) << c.json;
        EXPECT_EQ(run.err.rfind("velmora-cli: ", 0), 0u) << run.err;
    }
    writeFile(dir / "data.bin", "data");
    writeFile(dir / "bad.json", "{\"attachments\": [{\"path\": \"" + (dir / "data.bin").string() +
                                    "\", \"transferEncoding\": 3}]}");
    EXPECT_EQ(runCli({"encode", (dir / "bad.json").string(), (dir / "x.eml").string()}).status, 2);
    writeFile(dir / "nofile.json",
              "{\"attachments\": [{\"path\": \"" + (dir / "none").string() + "\"}]}");
    EXPECT_EQ(runCli({"encode", (dir / "nofile.json").string(), (dir / "x.eml").string()}).status,
              1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.eml"));
}

}  // namespace
}  // namespace velmora::cli
