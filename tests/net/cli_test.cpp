// velmora-cli's network commands run as a user would run them, against real servers on
// loopback.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>

#include "support/servers/real_servers.h"
#include "support/temp_dir.h"

namespace velmora {
namespace {

struct CliRun {
    int status = -1;
    std::string out;  // standard output and error together
};

CliRun runCli(const std::string& arguments) {
    CliRun run;
    const std::string command = std::string(VELMORA_CLI_PROGRAM) + " " + arguments + " 2>&1";
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        run.out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

TEST(CliMx, PrintsTheSortedEntriesAndTellsWhetherAServerAnswered) {
    testing::TempDir folder;
    testing::DnsmasqServer dnsmasq(folder.path());
    dnsmasq.addMx("example.test", "mx1.example.test", 20);
    dnsmasq.addMx("example.test", "mx0.example.test", 5);
    dnsmasq.addHost("nomx.test", "127.0.0.1");
    if (const std::string error = dnsmasq.start(); !error.empty()) GTEST_SKIP() << error;

    CliRun found = runCli("mx example.test --dns " + dnsmasq.address());
    EXPECT_EQ(found.status, 0);
    EXPECT_EQ(found.out, "00005 mx0.example.test\n00020 mx1.example.test\n");

    CliRun empty = runCli("mx nomx.test --dns " + dnsmasq.address());
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "");

    CliRun unknown = runCli("mx nosuch.test --dns " + dnsmasq.address());
    EXPECT_EQ(unknown.status, 1);
    EXPECT_EQ(unknown.out, "velmora-cli: no DNS server answered for nosuch.test\n");

    EXPECT_EQ(runCli("mx example.test").status, 2);
}

}  // namespace
}  // namespace velmora
