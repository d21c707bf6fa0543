// velmora-cli books and import.
#include <gtest/gtest.h>

#include "cli/cli_run.h"
#include "support/temp_dir.h"

namespace velmora::cli {
namespace {

using testing::CliRun;
using testing::runCli;
using velmora::testing::TempDir;

std::filesystem::path fixture(const std::string& name) {
    return velmora::testing::sourceDir() / "tests" / "fixtures" / "addressbook" / name;
}

TEST(BooksCommand, ListsBooksWithCountsAndMissingOnes) {
    TempDir home;
    velmora::testing::writeFile(home / "master.abk", "46\r\nFriends\r\nGone\r\nBroken");
    velmora::testing::writeFile(home / "Friends.abk",
                                "46\r\nA\r\na\r\n1\r\na@x\r\n\r\n0\r\n\r\nFALSE\r\n\r\n\r\n");
    velmora::testing::writeFile(home / "Broken.abk", "46\r\nA\r\na\r\nmany");
    CliRun run = runCli({"--home", home.path().string(), "books"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Friends\t1\nGone\tmissing\nBroken\t1\tdamaged\n");
}

TEST(ImportCommand, ImportsEachKindIntoTheNamedBook) {
    TempDir home;
    for (const char* source : {"outlook-export.csv", "contacts-with-group.vcf",
                               "thunderbird-export.ldif", "eudora-folder"}) {
        CliRun run = runCli({"--home", home.path().string(), "import", fixture(source).string(),
                             "--book", "Imported"});
        EXPECT_EQ(run.status, 0) << source << ": " << run.err;
    }
    CliRun books = runCli({"--home", home.path().string(), "books"});
    // 2 from the CSV export, 4 from the vCards, 4 from LDIF, 5 + 2 nicknames.
    EXPECT_EQ(books.out, "Imported\t17\n");
    EXPECT_TRUE(std::filesystem::exists(home / "TestLog.txt"));

    CliRun bad = runCli({"--home", home.path().string(), "import", "/nonexistent.csv"});
    EXPECT_EQ(bad.status, 1);
    CliRun unsafe = runCli({"--home", home.path().string(), "import",
                            fixture("outlook-export.csv").string(), "--book", "../x"});
    EXPECT_EQ(unsafe.status, 1);
    EXPECT_EQ(runCli({"--home", home.path().string(), "import"}).status, 2);
}

}  // namespace
}  // namespace velmora::cli
