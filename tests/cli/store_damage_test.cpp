// velmora-cli list, rebuild and show on damaged store files: an index that is a FIFO or a
// directory, a folder that can be entered but not listed, an index too large for the memory
// the program may use. Each runs in a child with a time bound, so a hang fails the test instead
// of stopping it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cli_run.h"
#include "store/folder_index.h"
#include "support/limited_child.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace velmora::cli {
namespace {

using testing::runCli;
using velmora::testing::TempDir;

constexpr unsigned kSeconds = 20;

// A home folder whose InBox holds one stored message and its index.
struct Home {
    TempDir dir;
    std::filesystem::path inbox = dir / "InBox.000";
    std::filesystem::path index = inbox / "InBox.dat";

    Home() {
        velmora::testing::storeMessage(inbox, {});
        EXPECT_EQ(runCli({"--home", dir.path().string(), "rebuild", "InBox"}).status, 0);
        EXPECT_TRUE(std::filesystem::is_regular_file(index));
    }

    // Runs the command in a bounded child; its exit status, or -1 when it did not end.
    int run(const std::vector<std::string>& command, velmora::testing::ChildLimits limits = {}) {
        std::vector<std::string> args{"--home", dir.path().string()};
        args.insert(args.end(), command.begin(), command.end());
        if (limits.seconds == 30) limits.seconds = kSeconds;
        const auto result =
            velmora::testing::runLimitedChild(limits, [&] { return runCli(args).status; });
        return result.exited ? result.status : -1;
    }
};

TEST(StoreDamage, AnIndexThatIsAFifoOrADirectoryIsAnError) {
    for (const bool fifo : {true, false}) {
        Home home;
        std::filesystem::remove(home.index);
        if (fifo) {
            ASSERT_EQ(::mkfifo(home.index.c_str(), 0600), 0);
        } else {
            std::filesystem::create_directory(home.index);
        }
        // Before, the FIFO hung `list` and the directory gave std::bad_alloc.
        EXPECT_EQ(home.run({"list", "InBox"}), 1) << (fifo ? "FIFO" : "directory");
        EXPECT_EQ(home.run({"rebuild", "InBox"}), 1) << (fifo ? "FIFO" : "directory");
        const auto run = runCli({"--home", home.dir.path().string(), "list", "InBox"});
        if (!fifo) EXPECT_NE(run.err.find("Read folder index"), std::string::npos) << run.err;
        // Nothing replaced or removed it.
        EXPECT_EQ(std::filesystem::is_fifo(home.index), fifo);
        EXPECT_EQ(std::filesystem::is_directory(home.index), !fifo);
    }
}

// The folder's mode is 0300: it can be entered (and written) but not listed. Root ignores
// modes, so the child drops to the unprivileged user "nobody" first.
TEST(StoreDamage, AFolderThatCannotBeListedIsAnErrorAndKeepsItsIndex) {
    Home home;
    const std::string before = velmora::testing::readFile(home.index);
    for (const char* command : {"list", "rebuild"}) {
        const auto result = velmora::testing::runLimitedChild({.seconds = kSeconds}, [&] {
            if (::geteuid() == 0) {
                for (const auto& entry : std::filesystem::recursive_directory_iterator(home.dir.path()))
                    if (::chown(entry.path().c_str(), 65534, 65534) != 0) return 100;
                if (::chown(home.dir.path().c_str(), 65534, 65534) != 0) return 100;
                if (::setgid(65534) != 0 || ::setuid(65534) != 0) return 101;
            }
            if (::chmod(home.inbox.c_str(), 0300) != 0) return 102;
            const auto run = runCli({"--home", home.dir.path().string(), command, "InBox"});
            ::chmod(home.inbox.c_str(), 0700);
            if (run.err.find("List folder") == std::string::npos) return 103;
            return run.status;
        });
        ASSERT_TRUE(result.exited) << command;
        // Before, `list` printed nothing and `rebuild` said "0 messages", both with 0.
        EXPECT_EQ(result.status, 1) << command;
        EXPECT_EQ(velmora::testing::readFile(home.index), before) << command;
    }
}

// 30 MB of index whose list entries are 2-byte lines: each becomes a string object of its own,
// so reading it needs far more than the 256 MB the child may use. The load fails (exit 1); the
// index must stay as it was. Before, closing the folder deleted it as an empty list.
TEST(StoreDamage, AnIndexTooLargeForMemoryIsNeitherWrittenNorDeleted) {
    if (!velmora::testing::kAddressSpaceLimitWorks)
        GTEST_SKIP() << "an address-space limit cannot be set under AddressSanitizer";
    Home home;
    std::string record = "U O r f a N\t1.0\ts\tf\tt\td\r\nname\r\nsender\r\naddress\r\n100000\r\n";
    for (int i = 0; i < 100'000; ++i) record += "x\r\n";
    record += "0\r\ndate\r\n20010731153045\r\nsubject\r\nU O r f a N\r\n0\r\nFALSE\r\nFALSE\r\n"
              "FALSE\r\nnull\r\nFALSE\r\nFALSE\r\nN (Normal)\r\n\r\n\r\n\r\n4.6\r\n";
    std::string index;
    while (index.size() < 30u * 1024 * 1024) index += record;
    velmora::testing::writeFile(home.index, index);
    EXPECT_EQ(home.run({"list", "InBox"}, {.addressSpaceBytes = 256ull * 1024 * 1024}), 1);
    EXPECT_EQ(std::filesystem::file_size(home.index), index.size());
}

}  // namespace
}  // namespace velmora::cli
