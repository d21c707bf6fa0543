#include "base/file_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "base/text_file.h"
#include "support/limited_child.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

using testing::TempDir;

// Each case is read in a child bounded to 10 s: before, a FIFO waited for a writer forever and
// /dev/zero was read without end.
TEST(FileAccess, OnlyRegularFilesAreRead) {
    TempDir dir;
    testing::writeFile(dir / "plain.txt", "content");
    std::filesystem::create_symlink(dir / "plain.txt", dir / "link.txt");
    ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
    std::filesystem::create_directory(dir / "folder");
    struct Case {
        std::filesystem::path file;
        std::errc expected;  // {} for success
    };
    const Case cases[] = {
        {dir / "plain.txt", {}},
        {dir / "link.txt", {}},  // a link to a regular file is followed
        {dir / "fifo", std::errc::invalid_argument},
        {dir / "folder", std::errc::is_a_directory},
        {"/dev/zero", std::errc::invalid_argument},
        {dir / "missing", std::errc::no_such_file_or_directory},
    };
    for (const Case& c : cases) {
        const auto result = testing::runLimitedChild({.seconds = 10}, [&] {
            std::error_code error;
            const auto bytes = readRegularFile(c.file, error);
            if (c.expected == std::errc{})
                return bytes == std::optional<std::string>("content") ? 0 : 1;
            if (bytes || error != c.expected) return 2;
            if (readWholeFile(c.file)) return 3;
            return isRegularFile(c.file) ? 4 : 0;
        });
        EXPECT_TRUE(result.exited) << c.file << " did not end in time";
        EXPECT_EQ(result.status, 0) << c.file;
    }
}

TEST(FileAccess, ReadingStopsAtTheBound) {
    TempDir dir;
    testing::writeFile(dir / "big", std::string(100'000, 'x'));
    std::error_code error;
    EXPECT_FALSE(readRegularFile(dir / "big", error, 99'999));
    EXPECT_EQ(error, std::errc::file_too_large);
    EXPECT_EQ(readRegularFile(dir / "big", error, 100'000)->size(), 100'000u);
    EXPECT_FALSE(error);
    testing::writeFile(dir / "empty", "");
    EXPECT_EQ(readRegularFile(dir / "empty", error), std::optional<std::string>(""));
}

}  // namespace
}  // namespace velmora
