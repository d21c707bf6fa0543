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

    // Runs the command in a bounded child; its exit status, -1 when it did not end, 99 when its
    // error output lacks `error`.
    int run(const std::vector<std::string>& command, const std::string& error = {},
            velmora::testing::ChildLimits limits = {.seconds = kSeconds}) {
        std::vector<std::string> args{"--home", dir.path().string()};
        args.insert(args.end(), command.begin(), command.end());
        const auto result = velmora::testing::runLimitedChild(limits, [&] {
            const auto run = runCli(args);
            return run.err.find(error) == std::string::npos ? 99 : run.status;
        });
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
        const std::string error = "Read folder index " + home.index.string() + ": " +
                                  (fifo ? "Not a regular file" : "Is a directory");
        EXPECT_EQ(home.run({"list", "InBox"}, error), 1) << (fifo ? "FIFO" : "directory");
        EXPECT_EQ(home.run({"rebuild", "InBox"}, error), 1) << (fifo ? "FIFO" : "directory");
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
                for (const auto& entry :
                     std::filesystem::recursive_directory_iterator(home.dir.path()))
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
    record +=
        "0\r\ndate\r\n20010731153045\r\nsubject\r\nU O r f a N\r\n0\r\nFALSE\r\nFALSE\r\n"
        "FALSE\r\nnull\r\nFALSE\r\nFALSE\r\nN (Normal)\r\n\r\n\r\n\r\n4.6\r\n";
    std::string index;
    while (index.size() < 30u * 1024 * 1024) index += record;
    velmora::testing::writeFile(home.index, index);
    EXPECT_EQ(home.run({"list", "InBox"}, {},
                       {.addressSpaceBytes = 256ull * 1024 * 1024, .seconds = kSeconds}),
              1);
    EXPECT_EQ(std::filesystem::file_size(home.index), index.size());
}

// A message whose private block names, as its attachment file, something that is not a regular
// file inside its folder. Before, `show` read /dev/zero without end and waited on the FIFO; now
// the path is not used: the preview says the attachment is not found.
TEST(StoreDamage, ShowUsesOnlyAttachmentFilesInsideTheFolder) {
    TempDir scratch;
    ASSERT_EQ(::mkfifo((scratch / "outside-fifo").c_str(), 0600), 0);
    const std::vector<std::string> hostile = {"/dev/zero",   "FIFO",
                                              "LINK",        "OTHER FOLDER",
                                              "/etc/passwd", (scratch / "outside-fifo").string()};
    for (std::string path : hostile) {
        TempDir home;
        const auto inbox = home / "InBox.000";
        velmora::testing::MessageSample sample;
        sample.attachments = {{"notes.txt", "n"}};
        const auto item = velmora::testing::storeMessage(inbox, sample);
        ASSERT_EQ(item.attachList.size(), 1u);
        if (path == "FIFO") {
            path = (inbox / "fifo.att.notes.txt").string();
            ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        } else if (path == "LINK") {
            path = (inbox / "link.att.notes.txt").string();
            std::filesystem::create_symlink("/dev/zero", path);
        } else if (path == "OTHER FOLDER") {
            std::filesystem::create_directory(home / "Sent.000");
            path = (home / "Sent.000" / "other.att.notes.txt").string();
            velmora::testing::writeFile(path, "another message's file");
        }
        const auto file = inbox / (item.fileName + ".vlf");
        std::string text = velmora::testing::readFile(file);
        const auto at = text.find(item.attachList[0]);
        ASSERT_NE(at, std::string::npos) << text;
        text.replace(at, item.attachList[0].size(), path);
        velmora::testing::writeFile(file, text);

        const auto result = velmora::testing::runLimitedChild({.seconds = kSeconds}, [&] {
            const auto run = runCli({"--home", home.path().string(), "show", "InBox", "1"});
            // The preview wraps long lines; the path is looked for in the unwrapped text.
            std::string unwrapped = run.out;
            std::erase(unwrapped, '\n');
            if (unwrapped.find("Attachment Not Found: " + path) == std::string::npos) return 99;
            return run.status;
        });
        EXPECT_TRUE(result.exited) << path << " did not end in time";
        EXPECT_EQ(result.status, 0) << path;
    }
}

}  // namespace
}  // namespace velmora::cli
