// velmora-cli's global options and the command table.
#include <gtest/gtest.h>

#include "cli/command.h"
#include "cli_run.h"

namespace velmora::cli {
namespace {

using testing::runCli;

TEST(Program, VersionHelpAndUnknownCommands) {
    EXPECT_EQ(runCli({"--version"}).out, "Velmora Pro 4.6\n");

    const auto help = runCli({"--help"});
    EXPECT_EQ(help.status, 0);
    for (const Command& command : commands()) {
        EXPECT_NE(help.out.find("\n  " + std::string(command.name) + " "), std::string::npos)
            << command.name;
    }

    const auto unknown = runCli({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err, "velmora-cli: unknown command 'frobnicate' (see --help)\n");
    EXPECT_EQ(runCli({}).status, 2);
    EXPECT_EQ(runCli({"--home"}).status, 2);
}

TEST(Program, CommandsAreFoundByName) {
    ASSERT_NE(findCommand("decode"), nullptr);
    EXPECT_STREQ(findCommand("decode")->name, "decode");
    EXPECT_EQ(findCommand("decod"), nullptr);
    EXPECT_EQ(findCommand(""), nullptr);
}

}  // namespace
}  // namespace velmora::cli
