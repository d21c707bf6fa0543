// The help file's format, and the help file the program brings: every window's topic is in it.
#include <gtest/gtest.h>

#include "platform/help.h"
#include "support/temp_dir.h"

namespace velmora::platform {
namespace {

TEST(HelpFile, TopicsStartAtTheirNumberedLines) {
    testing::TempDir dir;
    testing::writeFile(dir / "Velmora.hlp",
                       "notes before the first topic\r\n"
                       "#100 Contents\r\nfirst line\r\n\r\nsecond line\r\n\r\n\r\n"
                       "#12x not a topic line\r\n#  also not\r\n# 7 nor this\r\n"
                       "#5150 Finding text\r\n  indented \xC3\xA4\r\n"
                       "a paragraph\r\n  folded\r\n\tagain\r\n- an item\r\n");
    std::string error;
    const auto topics = readHelpFile(dir / "Velmora.hlp", error);
    ASSERT_TRUE(topics) << error;
    ASSERT_EQ(topics->size(), 2u);
    EXPECT_EQ((*topics)[0].number, 100);
    EXPECT_EQ((*topics)[0].title, "Contents");
    EXPECT_EQ((*topics)[0].text,
              "first line\n\nsecond line\n\n\n#12x not a topic line\n#  also not\n# 7 nor this");
    EXPECT_EQ((*topics)[1].number, 5150);
    // Lines that begin with a blank continue the line before; the first line of a topic keeps
    // its blanks.
    EXPECT_EQ((*topics)[1].text, "  indented \xC3\xA4\na paragraph folded again\n- an item");
}

TEST(HelpFile, AMissingOrOversizedFileIsRefusedWithItsReason) {
    testing::TempDir dir;
    std::string error;
    EXPECT_FALSE(readHelpFile(dir / "missing.hlp", error));
    EXPECT_FALSE(error.empty());
    testing::writeFile(dir / "big.hlp", std::string((4u << 20) + 1, 'x'));
    EXPECT_FALSE(readHelpFile(dir / "big.hlp", error));
    EXPECT_EQ(error, "The help file is larger than 4 MB.");
}

TEST(HelpFile, TheProgramsHelpFileHasEveryWindowsTopic) {
    std::string error;
    const auto topics = readHelpFile(VELMORA_HELP_FILE, error);
    ASSERT_TRUE(topics) << error;
    namespace t = help_topic;
    for (const int number : {t::kContents, t::kFolderWindow, t::kReadWindow, t::kComposeWindow,
                             t::kRetrieveHeaders, t::kSearch, t::kScratchPad, t::kPictureViewer,
                             t::kSignatures, t::kImport, t::kQuestions, t::kContact}) {
        const bool found = std::any_of(topics->begin(), topics->end(), [&](const HelpTopic& h) {
            return h.number == number && !h.title.empty() && !h.text.empty();
        });
        EXPECT_TRUE(found) << "topic " << number;
    }
}

}  // namespace
}  // namespace velmora::platform
