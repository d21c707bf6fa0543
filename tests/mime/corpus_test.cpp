// Real-world messages and the inputs the fuzzers found: each one decodes without a crash, keeps
// its content (or the whole original beside the error notice), and survives being written and
// read again.
#include <gtest/gtest.h>

#include <filesystem>

#include "mime/base64.h"
#include "mime/errors.h"
#include "mime/header_words.h"
#include "mime/message.h"
#include "mime/quoted_printable.h"
#include "mime/uuencode.h"
#include "support/temp_dir.h"

namespace velmora::mime {
namespace {

namespace fs = std::filesystem;

const std::string kNotice = "The following error has been occured while processing the message:";

std::vector<fs::path> filesBelow(const fs::path& folder) {
    std::vector<fs::path> files;
    if (!fs::is_directory(folder)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file()) files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

bool hasNotice(const TmsMessage& message) {
    return std::find(message.Body().begin(), message.Body().end(), kNotice) != message.Body().end();
}

// Decodes, checks that nothing is lost, writes the message and reads it back.
void walk(const std::string& text) {
    TmsMessage message;
    message.LoadFromString(text);
    if (hasNotice(message)) {
        TmsAttItem& original = message.Attachments().Items(message.Attachments().Count() - 1);
        EXPECT_EQ(original.FileName(), "original.eml");
        EXPECT_EQ(original.Data().ReadAll(), text);
    }
    std::uint64_t attachmentBytes = 0;
    for (const auto& item : message.Attachments()) attachmentBytes += item->Data().Size();
    std::size_t bodyBytes = 0;
    for (const std::string& line : message.Body()) bodyBytes += line.size();
    // Content is never multiplied: decoded data is at most about the size of its text.
    EXPECT_LE(attachmentBytes + bodyBytes, 2 * text.size() + 1024);

    const std::string written = message.SaveToString();
    TmsMessage again;
    again.LoadFromString(written);
    EXPECT_GE(again.Attachments().Count(), message.Attachments().Count());
}

TEST(Corpus, EveryMessageDecodes) {
    const fs::path corpus = testing::sourceDir() / "tests" / "fixtures" / "mail-corpus";
    const auto files = filesBelow(corpus);
    if (files.empty()) GTEST_SKIP() << "no message corpus at " << corpus;
    int messages = 0;
    for (const fs::path& file : files) {
        if (file.extension() != ".eml" && file.extension() != ".txt") continue;
        if (file.filename() == "README.md") continue;
        SCOPED_TRACE(file.string());
        walk(testing::readFile(file));
        ++messages;
    }
    EXPECT_GT(messages, 50);
}

TEST(Corpus, ContentOfKnownMessages) {
    const fs::path corpus = testing::sourceDir() / "tests" / "fixtures" / "mail-corpus";
    const fs::path pdf = corpus / "attachment_emails" / "attachment_pdf.eml";
    if (!fs::exists(pdf)) GTEST_SKIP() << "no message corpus at " << corpus;
    TmsMessage message;
    message.LoadFromFile(pdf);
    EXPECT_FALSE(hasNotice(message));
    bool foundPdf = false;
    for (const auto& item : message.Attachments()) {
        if (item->ContentType() == "application/pdf") {
            foundPdf = true;
            EXPECT_EQ(item->Data().ReadAll().substr(0, 5), "%PDF-");
        }
    }
    EXPECT_TRUE(foundPdf);
}

// Inputs the fuzzers found, walked the way the fuzzers walk them.
// The inputs the fuzzers keep (their seed corpora, with what they found), walked the way the
// fuzzers walk them.
TEST(GarbageInput, FuzzerCorpora) {
    std::vector<fs::path> inputs;
    for (const char* corpus : {"mime_decoder", "mime_lines"}) {
        const auto files = filesBelow(testing::sourceDir() / "fuzz" / "corpus" / corpus);
        inputs.insert(inputs.end(), files.begin(), files.end());
    }
    ASSERT_GT(inputs.size(), 20u) << "the fuzz corpora are missing";
    for (const fs::path& file : inputs) {
        const bool licence = file.filename().string().rfind("LICENSE", 0) == 0;
        if (file.extension() == ".md" || (file.extension() == ".txt" && licence)) continue;
        SCOPED_TRACE(file.string());
        const std::string bytes = testing::readFile(file);
        walk(bytes);
        EXPECT_LE(DecodeHeaderWords(bytes).size(), 255u);
        std::string out;
        QuotedPrintableDecoder().feedLine(bytes, out);
        try {
            decodeBase64Line(bytes);
        } catch (const EMessageParserError&) {
        }
        try {
            decodeUuLine(bytes);
        } catch (const EMessageParserError&) {
        }
    }
}

}  // namespace
}  // namespace velmora::mime
