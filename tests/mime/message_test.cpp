// The message model: computed content type, required fields, copying, attachment files and the
// safe names attachments are saved under.
#include "mime/message.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "mime/content_types.h"
#include "mime/errors.h"
#include "mime/safe_file_name.h"
#include "support/limited_child.h"
#include "support/temp_dir.h"

namespace velmora::mime {
namespace {

using testing::TempDir;

TmsAttItem& addAttachment(TmsMessage& message, const std::string& name,
                          const std::string& data = "") {
    auto item = std::make_unique<TmsAttItem>();
    item->SetFileName(name);
    item->Data().Write(data);
    return message.Attachments().Add(std::move(item));
}

TEST(NumberedTexts, LookUpByNumber) {
    EXPECT_EQ(numberedText(10061), "[10061] Connection refused");
    EXPECT_EQ(numberedText(10013), "[10013] Permission denied.");
    EXPECT_EQ(numberedText(0), "[0] No Error");
    EXPECT_EQ(numberedText(57008), "You have to connect to the server first");
    EXPECT_EQ(numberedText(57110), "Cannot find boundary");
    EXPECT_EQ(numberedText(12345), "Error #12345");
    EXPECT_FALSE(findNumberedText(57006).has_value());
}

TEST(ContentType, ComputedFromBodyAndAttachments) {
    struct Case {
        const char* label;
        bool body;
        std::vector<std::string> names;
        const char* expected;
    };
    const Case cases[] = {
        {"nothing", false, {}, "text/plain"},
        {"body alone", true, {}, "text/plain"},
        {"body and alternative", true, {"_alt.0"}, "multipart/alternative"},
        {"body and file", true, {"report.pdf"}, "multipart/mixed"},
        {"alternative and file", true, {"_alt.0", "report.pdf"}, "multipart/mixed"},
        {"html body file", false, {"/tmp/x/_HTMBODY.htm"}, "text/html"},
        {"rtf body file", false, {"_rtfbody.rtf"}, "text/rtf"},
        {"one file alone", false, {"report.pdf"}, "application/pdf"},
        {"two files", false, {"a.pdf", "b.pdf"}, "multipart/mixed"},
    };
    for (const Case& c : cases) {
        TmsMessage message;
        if (c.body) message.Body().push_back("text");
        for (const std::string& name : c.names) addAttachment(message, name);
        EXPECT_EQ(message.ContentType(), c.expected) << c.label;
    }

    TmsMessage html;
    html.Body().push_back("<p>x</p>");
    html.SetContentType("TEXT/HTML");
    EXPECT_EQ(html.ContentType(), "text/html");
    html.SetEncoding(TMsgEncoding::meUU);
    EXPECT_EQ(html.ContentType(), "");
}

TEST(Message, RequiredFields) {
    TmsMessage message;
    try {
        message.CheckRequiredFields();
        FAIL();
    } catch (const EMessageError& error) {
        EXPECT_STREQ(error.what(), "The address of sender is required");
    }
    message.Sender().SetAddress("me@example.com");
    message.BCC().AddAddress("", "Nobody");
    try {
        message.CheckRequiredFields();
        FAIL();
    } catch (const EMessageError& error) {
        EXPECT_STREQ(error.what(), "At least one Recipient, CC or BCC must be entered");
    }
    message.BCC().AddAddress("hidden@example.com", "");
    EXPECT_NO_THROW(message.CheckRequiredFields());
}

TEST(Message, ClearKeepsPriorityAndReceipt) {
    TmsMessage message;
    message.SetSubject("s");
    message.Recipients().AddAddress("a@x", "A");
    message.SetPriority(TPriority::ptHigh);
    message.SetReturnReceipt(true);
    message.SetCharSet(TCharSet::csISO8859);
    const std::filesystem::path file = addAttachment(message, "a.txt", "data").Data().Path();
    message.Clear();
    EXPECT_TRUE(message.Subject().empty());
    EXPECT_EQ(message.Recipients().Count(), 0);
    EXPECT_EQ(message.Attachments().Count(), 0);
    EXPECT_FALSE(std::filesystem::exists(file));
    EXPECT_EQ(message.CharSet(), TCharSet::csUSASCII);
    EXPECT_EQ(message.Priority(), TPriority::ptHigh);
    EXPECT_TRUE(message.ReturnReceipt());
}

TEST(Message, AssignCopiesDeeply) {
    TmsMessage source;
    source.Sender().SetAddress("me@example.com");
    source.Recipients().AddAddress("a@x", "A");
    source.BCC().AddAddress("b@x", "");
    source.SetPriority(TPriority::ptLow);
    source.Body() = {"hello"};
    source.Headers().Add("X-Custom: 1");
    source.SetTag(7);
    addAttachment(source, "a.bin", "payload");

    TmsMessage copy;
    copy.Assign(source);
    source.Attachments().Items(0).Data().Write("changed");
    EXPECT_EQ(copy.Recipients()[0].Address(), "a@x");
    EXPECT_EQ(copy.BCC().Count(), 1);
    EXPECT_EQ(copy.Priority(), TPriority::ptLow);
    EXPECT_EQ(copy.Body(), std::vector<std::string>{"hello"});
    EXPECT_EQ(copy.Headers().Lines(), std::vector<std::string>{"X-Custom: 1"});
    EXPECT_EQ(copy.Tag(), 7);
    EXPECT_EQ(copy.StoredContentType(), "multipart/mixed");
    EXPECT_EQ(copy.Attachments().Items(0).Data().ReadAll(), "payload");
    EXPECT_NE(copy.Attachments().Items(0).Data().Path(),
              source.Attachments().Items(0).Data().Path());
}

TEST(MessageList, OwnsItsMessages) {
    TmsMessageList list;
    TmsListMessage& first = list.Add();
    first.SetSubject("one");
    list.Add().SetSubject("two");
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(&first.Owner(), &list);
    list.Delete(0);
    EXPECT_EQ(list.Items(0).Subject(), "two");
    list.Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(TempFileStream, FileLivesWithTheObject) {
    std::filesystem::path path;
    {
        TTempFileStream stream;
        path = stream.Path();
        EXPECT_EQ(path.filename().string().rfind("ms", 0), 0u);
        EXPECT_TRUE(std::filesystem::exists(path));
        stream.Write("hello ");
        stream.Write("world");
        EXPECT_EQ(stream.Size(), 11u);
        stream.Seek(6);
        char buffer[16] = {};
        EXPECT_EQ(stream.Read(buffer, sizeof buffer), 5u);
        EXPECT_EQ(std::string(buffer, 5), "world");
        stream.Seek(0);
        stream.Write("J");
        EXPECT_EQ(stream.ReadAll(), "Jello world");

        TTempFileStream copy;
        copy.Write("old content that is longer");
        copy.CopyFrom(stream);
        EXPECT_EQ(copy.ReadAll(), "Jello world");
        TTempFileStream moved(std::move(copy));
        EXPECT_EQ(moved.ReadAll(), "Jello world");
    }
    EXPECT_FALSE(std::filesystem::exists(path));
}

// The file is open only while the stream uses it; reopening it never follows a link put in its
// place, and an emptied stream is empty whatever was written before.
TEST(TempFileStream, ReopeningNeverFollowsALinkAndClearEmpties) {
    TempDir dir;
    TTempFileStream stream;
    for (int i = 0; i < 300; ++i) stream.Write(std::string(1000, 'a'));  // past one write buffer
    EXPECT_EQ(stream.Size(), 300'000u);
    stream.Clear();
    EXPECT_EQ(stream.Size(), 0u);  // the offset of an earlier buffer once came back as the size
    stream.Write("kept");
    EXPECT_EQ(stream.ReadAll(), "kept");

    testing::writeFile(dir / "victim", "untouched");
    std::filesystem::remove(stream.Path());
    std::filesystem::create_symlink(dir / "victim", stream.Path());
    stream.Write("more");
    EXPECT_THROW(stream.Size(), std::system_error);
    EXPECT_THROW(stream.ReadAll(), std::system_error);
    EXPECT_EQ(testing::readFile(dir / "victim"), "untouched");
}

// The many small attachments of a mailbox cost no file: one is made only for data past the
// memory limit, a write elsewhere than at the end, or a caller asking for the path.
TEST(TempFileStream, SmallDataStayInMemoryUntilAFileIsNeeded) {
    TempDir dir;
    const char* before = std::getenv("TMPDIR");
    const std::string saved = before ? before : "";
    ::setenv("TMPDIR", dir.path().c_str(), 1);
    const auto files = [&] {
        return std::distance(std::filesystem::directory_iterator(dir.path()),
                             std::filesystem::directory_iterator());
    };
    {
        TTempFileStream small;
        small.Write("abc");
        small.Seek(1);
        char buffer[8] = {};
        EXPECT_EQ(small.Read(buffer, sizeof buffer), 2u);
        EXPECT_EQ(std::string(buffer, 2), "bc");
        EXPECT_EQ(small.Size(), 3u);
        EXPECT_EQ(files(), 0);
        small.Seek(5);
        small.Write("X");  // past the end: the gap is zeros, in the file now made
        EXPECT_EQ(files(), 1);
        EXPECT_EQ(small.ReadAll(), std::string("abc\0\0X", 6));

        TTempFileStream large;
        large.Write(std::string(TTempFileStream::kMemoryLimit, 'a'));
        EXPECT_EQ(files(), 1);
        large.Write("b");
        EXPECT_EQ(files(), 2);
        EXPECT_EQ(large.Size(), TTempFileStream::kMemoryLimit + 1);
        EXPECT_EQ(large.ReadAll().back(), 'b');

        TTempFileStream asked;
        asked.Write("data");
        EXPECT_EQ(testing::readFile(asked.Path()), "data");
        asked.Write("more");
        EXPECT_EQ(asked.ReadAll(), "datamore");
    }
    EXPECT_EQ(files(), 0);
    if (before) {
        ::setenv("TMPDIR", saved.c_str(), 1);
    } else {
        ::unsetenv("TMPDIR");
    }
}

TEST(Attachments, FileNameChoosesTypeAndEncoding) {
    struct Case {
        const char* name;
        const char* type;
        std::uint8_t encoding;
    };
    const Case cases[] = {
        {"notes.TXT", "text/plain", kEncodingQuotedPrintable},
        {"page.html", "text/html", kEncodingQuotedPrintable},
        {"mail.eml", "message/rfc822", kEncoding7Bit},
        {"report.pdf", "application/pdf", kEncodingBase64},
        {"report.doc", "application/msword", kEncodingBase64},
        {"no-extension", "application/octet-stream", kEncodingBase64},
        {"trailing.", "application/octet-stream", kEncodingBase64},
    };
    for (const Case& c : cases) {
        TmsAttItem item;
        item.SetFileName(c.name);
        EXPECT_EQ(item.ContentType(), c.type) << c.name;
        EXPECT_EQ(item.TransferEncoding(), c.encoding) << c.name;
    }
    TmsAttItem unnamed;
    unnamed.SetContentType("image/png");
    unnamed.SetFileName("");
    EXPECT_EQ(unnamed.ContentType(), "image/png");
}

TEST(Attachments, AddFileReadsTheBytes) {
    TempDir dir;
    testing::writeFile(dir / "data.bin", std::string("\0\1\2binary", 9));
    TmsAttList list;
    EXPECT_EQ(list.AddFile(dir / "data.bin"), 0);
    EXPECT_EQ(list.Items(0).FileName(), (dir / "data.bin").string());
    EXPECT_EQ(list.Items(0).LastPathComponent(), "data.bin");
    EXPECT_EQ(list.Items(0).Data().ReadAll(), std::string("\0\1\2binary", 9));
    EXPECT_THROW(list.AddFile(dir / "missing"), std::system_error);
    EXPECT_EQ(list.Count(), 1);
}

// Before, attaching a FIFO waited for a writer and /dev/zero was read until the disk was full;
// only a regular file is read now. Bounded to 10 s in a child.
TEST(Attachments, AddFileReadsOnlyRegularFiles) {
    TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    for (const std::filesystem::path& file :
         {dir / "fifo", std::filesystem::path("/dev/zero"), dir.path()}) {
        const auto result = testing::runLimitedChild({.seconds = 10}, [&] {
            TmsAttList list;
            try {
                list.AddFile(file);
            } catch (const std::system_error&) {
                return list.Count() == 0 ? 0 : 1;
            }
            return 2;
        });
        EXPECT_TRUE(result.exited) << file;
        EXPECT_EQ(result.status, 0) << file;
    }
}

TEST(SafeFileName, HostileNamesBecomeOneHarmlessComponent) {
    struct Case {
        std::string name;
        std::string safe;
    };
    const Case cases[] = {
        {"report.pdf", "report.pdf"},
        {"../x", "x"},
        {"..\\x", "x"},
        {"/etc/passwd", "passwd"},
        {"C:\\x", "x"},
        {"C:x.txt", "x.txt"},
        {"..", "attachment"},
        {".", "attachment"},
        {"", "attachment"},
        {"dir/", "attachment"},
        {".bashrc", "bashrc"},
        {"...hidden", "hidden"},
        {std::string("evil\0.txt", 9), "evil.txt"},
        {"line\r\nbreak\x7F.txt", "linebreak.txt"},
        {"invoice\xE2\x80\xAEtxt.exe", "invoicetxt.exe"},
        {"name. . ", "name"},
        {"caf\xC3\xA9.txt", "caf\xC3\xA9.txt"},
    };
    for (const Case& c : cases) EXPECT_EQ(safeFileName(c.name), c.safe) << c.name;

    const std::string longName = std::string(300, 'a') + ".pdf";
    const std::string shortened = safeFileName(longName);
    EXPECT_EQ(shortened.size(), 255u);
    EXPECT_EQ(shortened.substr(shortened.size() - 4), ".pdf");
    std::string wide;
    for (int i = 0; i < 200; ++i) wide += "\xC3\xA9";  // 400 bytes of two-byte characters
    EXPECT_EQ(safeFileName(wide).size(), 254u);
    EXPECT_EQ(safeFileName("../..", "att.0"), "att.0");
}

TEST(SaveAttachment, StaysInsideTheFolder) {
    TempDir dir;
    std::filesystem::create_directory(dir / "attach");
    TmsMessage message;
    const char* hostile[] = {"../outside.txt", "/etc/passwd", "..\\..\\win.ini", "=?utf-8?Q?..?="};
    for (const char* name : hostile) {
        TmsAttItem& item = addAttachment(message, "x", "data");
        item.StoreFileName(name);
    }
    for (int i = 0; i < message.Attachments().Count(); ++i) {
        const std::filesystem::path written = message.SaveAttachment(i, dir / "attach");
        EXPECT_EQ(written.parent_path(), dir / "attach");
        EXPECT_EQ(testing::readFile(written), "data");
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "outside.txt"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(SaveAttachment, NeverWritesThroughALink) {
    TempDir dir;
    std::filesystem::create_directory(dir / "attach");
    testing::writeFile(dir / "precious", "keep");
    std::filesystem::create_symlink(dir / "precious", dir / "attach" / "link.txt");
    TmsMessage message;
    addAttachment(message, "link.txt", "overwritten");
    EXPECT_THROW(message.SaveAttachment(0, dir / "attach"), std::system_error);
    EXPECT_EQ(testing::readFile(dir / "precious"), "keep");
    EXPECT_THROW(message.SaveAttachment(0, dir / "missing"), std::system_error);
    EXPECT_THROW(message.SaveAttachment(1, dir / "attach"), std::out_of_range);

    addAttachment(message, "same.txt", "new");
    testing::writeFile(dir / "attach" / "same.txt", "old");
    message.SaveAttachment(1, dir / "attach");
    EXPECT_EQ(testing::readFile(dir / "attach" / "same.txt"), "new");
}

// A file is read straight into a string of its size, up to its last byte.
TEST(LoadFromFile, ReadsTheWholeFile) {
    TempDir dir;
    const std::string text = "Subject: big\r\n\r\n" + std::string(600'000, 'x') + "\r\nend\r\n";
    testing::writeFile(dir / "m.eml", text);
    TmsMessage fromFile;
    fromFile.LoadFromFile(dir / "m.eml");
    EXPECT_EQ(fromFile.Subject(), "big");
    ASSERT_EQ(fromFile.Body().size(), 2u);
    EXPECT_EQ(fromFile.Body()[0], std::string(600'000, 'x'));
    EXPECT_EQ(fromFile.Body()[1], "end");
}

}  // namespace
}  // namespace velmora::mime
