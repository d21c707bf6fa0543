// Starts the real desktop program offscreen on a fresh home folder, as a user would, and stops
// it with SIGTERM: it must create the default folders, restore and record its session, write its
// settings and exit with status 0. A second start on the same home folder hands over and ends.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/temp_dir.h"

extern char** environ;

namespace velmora {
namespace {

using namespace std::chrono_literals;
using testing::TempDir;

std::filesystem::path programPath() {
    return std::filesystem::path(VELMORA_DESKTOP_PROGRAM);
}

pid_t start(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    std::string program = programPath().string();
    argv.push_back(program.data());
    std::vector<std::string> copy = args;
    for (auto& a : copy) argv.push_back(a.data());
    argv.push_back(nullptr);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    pid_t pid = 0;
    if (posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0) return -1;
    return pid;
}

// Waits for `done` for at most `limit`, checking every 50 ms.
template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = 10s) {
    for (auto waited = 0ms; waited < limit; waited += 50ms) {
        if (done()) return true;
        std::this_thread::sleep_for(50ms);
    }
    return done();
}

int waitExit(pid_t pid, std::chrono::milliseconds limit = 15s) {
    int status = 0;
    const bool ended = waitUntil([&] { return waitpid(pid, &status, WNOHANG) == pid; }, limit);
    if (!ended) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
        return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
}

// A home folder with one profile and a dictionary, so that start-up shows no modal box.
void prepareHome(const std::filesystem::path& home) {
    testing::writeFile(home / "ENGLISH.DCT", "word\r\n");
    testing::writeFile(home / "master.usr", "46\r\nHome");
    testing::writeFile(home / "Home.usr", "46\r\nHome");
    testing::writeFile(home / "folders.dat",
                       "InBox\r\n0\r\n0\r\n0\r\n-20\r\n-30\r\n500\r\n300\r\n");
}

TEST(DesktopProgram, StartsOnNewHomeAndExitsCleanlyOnSigterm) {
    TempDir parent;
    const auto home = parent / "fresh";  // does not exist yet: the program creates it
    prepareHome(home);
    const pid_t pid = start({"--home", home.string()});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home / "Drafts.000"); }));
    for (const char* d : {"InBox.000", "OutBox.000", "Sent.000", "Trash.000", "Drafts.000"})
        EXPECT_TRUE(std::filesystem::is_directory(home / d)) << d;
    std::this_thread::sleep_for(1500ms);  // let the deferred start-up step run
    kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid), 0);
    EXPECT_TRUE(std::filesystem::exists(home / "vl.cfg"));
    EXPECT_TRUE(std::filesystem::exists(home / "main.cfg"));
    const std::string folders = testing::readFile(home / "folders.dat");
    EXPECT_EQ(folders.rfind("InBox\r\n", 0), 0u) << folders;
    EXPECT_NE(folders.find("\r\n0\r\n0\r\n500\r\n300\r\n"), std::string::npos)
        << "negative left/top restored as 0: " << folders;
}

TEST(DesktopProgram, SecondStartHandsOverAndEnds) {
    TempDir home;
    prepareHome(home.path());
    const pid_t first = start({"--home", home.path().string()});
    ASSERT_GT(first, 0);
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home / "Drafts.000"); }));
    std::this_thread::sleep_for(1000ms);
    const pid_t second = start({"--home", home.path().string()});
    EXPECT_EQ(waitExit(second, 10s), 0) << "the second process ends after handing over";
    kill(first, SIGTERM);
    EXPECT_EQ(waitExit(first), 0);
}

TEST(DesktopProgram, MinusMStartsASecondInstance) {
    TempDir home;
    prepareHome(home.path());
    const pid_t first = start({"--home", home.path().string()});
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home / "Drafts.000"); }));
    std::this_thread::sleep_for(1000ms);
    const pid_t second = start({"--home", home.path().string(), "-m"});
    std::this_thread::sleep_for(1500ms);
    int status = 0;
    EXPECT_EQ(waitpid(second, &status, WNOHANG), 0) << "the second instance keeps running";
    kill(second, SIGTERM);
    EXPECT_EQ(waitExit(second), 0);
    kill(first, SIGTERM);
    EXPECT_EQ(waitExit(first), 0);
}

// The first start on an empty home folder: the configuration window is up, modal, and over it
// the box that asks for the first profile's name. SIGTERM closes both and the program.
TEST(DesktopProgram, FirstStartOnAnEmptyHomeEndsOnSigtermWhileTheProfileNameBoxIsUp) {
    TempDir home;
    const pid_t pid = start({"--home", home.path().string()});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home / "gui.cfg"); }));
    std::this_thread::sleep_for(1000ms);
    kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid, 10s), 0);
    EXPECT_TRUE(std::filesystem::exists(home / "vl.cfg")) << "the settings are written";
    EXPECT_TRUE(std::filesystem::exists(home / "main.cfg"));
    EXPECT_TRUE(std::filesystem::exists(home / "ENGLISH.DCT"))
        << "a new home folder gets the program's dictionary";
}

// A later start without a profile and with the dictionary removed: the information box comes
// first, the configuration window after it. SIGTERM during the first box ends the program too.
TEST(DesktopProgram, StartWithoutProfileEndsOnSigtermWhileTheDictionaryNoticeIsUp) {
    TempDir home;
    testing::writeFile(home / "vl.cfg", "46\r\n");
    const pid_t pid = start({"--home", home.path().string()});
    ASSERT_GT(pid, 0);
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(home / "Drafts.000"); }));
    std::this_thread::sleep_for(1200ms);
    kill(pid, SIGTERM);
    EXPECT_EQ(waitExit(pid, 10s), 0);
    EXPECT_TRUE(std::filesystem::exists(home / "main.cfg"));
    EXPECT_FALSE(std::filesystem::exists(home / "ENGLISH.DCT"))
        << "only a new home folder gets the dictionary";
}

}  // namespace
}  // namespace velmora
