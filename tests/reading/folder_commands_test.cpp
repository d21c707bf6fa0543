// velmora-cli list, show and rebuild, run as a program on a home folder made by the test.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>

#include "base/text_file.h"
#include "store/folder_index.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
};

CliRun run(const std::string& arguments) {
    CliRun result;
    const std::string command = std::string(VELMORA_CLI_PROGRAM) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        result.out.append(buffer, n);
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

TEST(FolderCommands, ListShowAndRebuild) {
    testing::TempDir home;
    const auto work = home / "Work.001" / "Sub.001";
    for (int n = 1; n <= 3; ++n) {
        testing::MessageSample sample;
        sample.fileName = "2001.01.01.00.00.00.00" + std::to_string(n);
        sample.subject = "subject " + std::to_string(n);
        sample.date = "Tue, 0" + std::to_string(n) + " Jul 2001 10:00:00 +0000";
        sample.body = {"line one of " + std::to_string(n), std::string(70, 'x')};
        testing::storeMessage(work, sample);
    }
    const std::string homeArg = "--home '" + home.path().string() + "' ";

    const CliRun list = run(homeArg + "list Work/Sub");
    ASSERT_EQ(list.status, 0);
    const auto lines = splitLines(list.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "U O r f a N\t1.0\tsubject 1\tAnn Lee <ann@example.org>\tbob@example.org\t"
              "Sun, Jul 01 2001 10:00:00");
    // The rebuilt index was written back.
    const auto index = store::readFolderIndex(work / "Sub.dat");
    ASSERT_TRUE(index);
    EXPECT_EQ(index->rows.size(), 3u);

    const CliRun show = run(homeArg + "show 'Work\\Sub' 2 --headers 0");
    ASSERT_EQ(show.status, 0);
    EXPECT_EQ(show.out,
              "line one of 2\n" + std::string(65, 'x') + "\n" + std::string(5, 'x') + "\n");
    const CliRun normal = run(homeArg + "show Work/Sub 2");
    EXPECT_EQ(normal.out.rfind("From: Ann Lee <ann@example.org>\nTo: Bob <bob@example.org>\n", 0),
              0u)
        << normal.out;

    EXPECT_EQ(run(homeArg + "show Work/Sub 4").status, 1);
    EXPECT_EQ(run(homeArg + "show Work/Sub 0").status, 2);
    EXPECT_EQ(run(homeArg + "show Work/Sub 1 --headers 3").status, 2);
    EXPECT_EQ(run(homeArg + "list Nowhere").status, 1);

    std::filesystem::remove(work / "2001.01.01.00.00.00.003.vlf");
    const CliRun rebuild = run(homeArg + "rebuild Work/Sub");
    EXPECT_EQ(rebuild.status, 0);
    EXPECT_EQ(store::readFolderIndex(work / "Sub.dat")->rows.size(), 2u);
}

}  // namespace
}  // namespace velmora
