#include "base/text_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "support/temp_dir.h"

namespace velmora {
namespace {

using testing::TempDir;

TEST(TextFile, SplitLinesTakesEveryLineEndKind) {
    EXPECT_EQ(splitLines("a\r\nb\nc\rd"), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(splitLines("a\r\n"), (std::vector<std::string>{"a"}));
    EXPECT_EQ(splitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_TRUE(splitLines("").empty());
}

TEST(TextFile, JoinLinesUsesCrLf) {
    EXPECT_EQ(joinLines({"a", "b"}), "a\r\nb\r\n");
    EXPECT_EQ(joinLines({"a", "b"}, false), "a\r\nb");
}

TEST(TextFile, AtomicWriteReplacesWholeFileAndLeavesNoTemporary) {
    TempDir dir;
    const auto file = dir / "x.cfg";
    ASSERT_FALSE(writeFileAtomically(file, "first version, longer"));
    ASSERT_FALSE(writeFileAtomically(file, "second"));
    EXPECT_EQ(readWholeFile(file), "second");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(TextFile, FailedAtomicWriteKeepsThePreviousFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root ignores folder permissions";
    TempDir dir;
    const auto file = dir / "x.cfg";
    ASSERT_FALSE(writeFileAtomically(file, "kept"));
    chmod(dir.path().c_str(), 0500);
    EXPECT_TRUE(writeFileAtomically(file, "lost"));
    chmod(dir.path().c_str(), 0700);
    EXPECT_EQ(readWholeFile(file), "kept");
}

// A write that fails half-way (here at the file size limit, which binds root too) leaves the
// previous file and no temporary behind.
TEST(TextFile, WriteFailingMidwayKeepsThePreviousFile) {
    TempDir dir;
    const auto file = dir / "x.cfg";
    ASSERT_FALSE(writeFileAtomically(file, "kept"));
    rlimit before{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = before;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const std::error_code error = writeFileAtomically(file, std::string(100'000, 'x'));
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_TRUE(error);
    EXPECT_EQ(readWholeFile(file), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                            std::filesystem::directory_iterator()),
              1);
}

TEST(TextFile, AtomicWriteIntoMissingFolderFails) {
    TempDir dir;
    EXPECT_TRUE(writeFileAtomically(dir / "missing" / "x", "data"));
}

}  // namespace
}  // namespace velmora
