// velmora-cli send over the compose module's sending: stored files and the whole OutBox.
#include <gtest/gtest.h>

#include "../cli/cli_run.h"
#include "../reading/fake_host.h"
#include "compose/filing.h"
#include "net/scripted_server.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "reading/standalone_folders.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/temp_dir.h"

namespace velmora::compose {
namespace {

namespace fs = std::filesystem;
using cli::testing::runCli;

std::vector<std::string> session(const std::string& to, const std::string& rcptReply = "250 ok") {
    return {"S: 220 hi",       "C~ HELO ",
            "S: 250 hello",    "C: MAIL FROM:<ann@example.org>",
            "S: 250 ok",       "C: RCPT TO:<" + to + ">",
            "S: " + rcptReply, "C: DATA",
            "S: 354 go",       "DATA",
            "S: 250 queued",   "C: QUIT",
            "S: 221 bye"};
}

class CliSend : public ::testing::Test {
  protected:
    CliSend() {
        for (const char* name : store::kDefaultFolderNames)
            fs::create_directories(home.path() / (std::string(name) + ".000"));
        me.profileName = "Work";
        me.fromName = "Ann Lee";
        me.fromAddress = "ann@example.org";
        me.smtpServer = "127.0.0.1";
        EXPECT_FALSE(profiles::writeMasterUsr(home.path(), {"Work"}));
        EXPECT_FALSE(
            profiles::writeProfileFile(profiles::profileFilePath(home.path(), "Work"), me));
    }
    void useServer(std::uint16_t port) {
        profiles::SendSettings send;
        send.smtpPort = std::to_string(port);
        EXPECT_FALSE(profiles::saveSendSettings(home.path(), send));
    }
    std::string fileInto(const std::string& folder, const std::string& to) {
        testing::FakePlatform fake;
        profiles::Settings settings;
        testing::FakeFolderHost folders(fake, home.path(), settings);
        FilingContext context{fake, home.path(), settings, folders};
        ComposeFields f;
        f.to = {to};
        f.subject = "To " + to;
        const auto outcome = fileComposeFields(f, me, folder, std::nullopt, context);
        folders.close(folder);
        return outcome.message.fileName;
    }
    std::size_t rows(const std::string& folder) {
        testing::FakePlatform fake;
        const profiles::Settings settings;  // the folders keep a reference
        reading::StandaloneFolders folders(fake, home.path(), settings);
        auto& window = folders.openFolderWindow(folder, false);
        window.setCountCheckPause(platform::Milliseconds{0});
        return window.rowCount();
    }

    testing::TempDir home;
    profiles::TUsersObjListBox me;
};

TEST_F(CliSend, OutBoxIsSentAndFiledIntoSent) {
    fileInto("OutBox", "bob@x.org");
    testing::ScriptedServer server(session("bob@x.org"));
    useServer(server.port());
    const auto run = runCli({"--home", home.path().string(), "send", "--outbox"});
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1 of 1 OutBox messages sent\n");
    EXPECT_EQ(rows("OutBox"), 0u);
    EXPECT_EQ(rows("Sent"), 1u);
}

TEST_F(CliSend, FilesAndAFailureGiveStatusOne) {
    const std::string a = fileInto("Drafts", "a@x.org");
    const std::string b = fileInto("Drafts", "b@x.org");
    auto script = session("a@x.org");
    script.push_back("ACCEPT");
    for (const auto& line :
         {"S: 220 hi", "C~ HELO ", "S: 250 hello", "C: MAIL FROM:<ann@example.org>", "S: 250 ok",
          "C: RCPT TO:<b@x.org>", "S: 550 no such user", "C: QUIT", "S: 221 bye"})
        script.push_back(line);
    testing::ScriptedServer server(script);
    useServer(server.port());
    const fs::path drafts = store::folderDirectory(home.path(), "Drafts");
    const auto run =
        runCli({"--home", home.path().string(), "send", store::messageFilePath(drafts, a).string(),
                store::messageFilePath(drafts, b).string()});
    EXPECT_EQ(server.finish(), "");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "1 of 2 messages sent\n");
}

TEST_F(CliSend, BadUsage) {
    EXPECT_EQ(runCli({"--home", home.path().string(), "send"}).status, 2);
    EXPECT_EQ(runCli({"--home", home.path().string(), "send", "--outbox", "x.vlf"}).status, 2);
}

}  // namespace
}  // namespace velmora::compose
