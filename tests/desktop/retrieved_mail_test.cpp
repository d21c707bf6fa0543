// From the server to the screen: velmora-cli retrieve fetches a dovecot mailbox on loopback into
// the folders by the rules, as cron would run it, and the desktop program started afterwards on
// the same home folder shows those messages in its folder windows. With VELMORA_SCREENSHOT_DIR
// set it also saves a picture of the window there.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTableView>
#include <array>
#include <cstdio>

#include "desktop/folder_window_view.h"
#include "desktop/main_window.h"
#include "desktop/retrieval/retrieval_views.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "retrieval/rules.h"
#include "store/folders.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/servers/real_servers.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

std::string message(const std::string& from, const std::string& subject) {
    return "From: " + from + "\r\nTo: Alice <alice@example.test>\r\nSubject: " + subject +
           "\r\nDate: Thu, 10 Dec 2026 08:05:17 +0100\r\n\r\nHello.\r\n.\r\n..\r\nBye.\r\n";
}

int runCli(const std::string& arguments, std::string& out) {
    FILE* pipe = ::popen(
        ("VELMORA_PASSWORD=secret " + std::string(VELMORA_CLI_PROGRAM) + " " + arguments + " 2>&1")
            .c_str(),
        "r");
    if (!pipe) return -1;
    std::array<char, 4096> buffer{};
    while (const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), pipe))
        out.append(buffer.data(), got);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

QStringList subjectsShown(MainWindow& window, const std::string& folder) {
    QStringList subjects;
    // The frames of open windows only: a closed one may wait for its deletion.
    for (QMdiSubWindow* frame : window.findChild<QMdiArea*>()->subWindowList()) {
        auto* view = dynamic_cast<FolderWindowView*>(frame->widget());
        if (!view || view->model().logicalPath() != folder) continue;
        QAbstractItemModel* rows = view->list()->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            subjects << rows->index(row, 2).data().toString();
    }
    subjects.sort();
    return subjects;
}

TEST(RetrievedMail, CliRetrieveFillsTheFoldersByTheRulesAndTheDesktopShowsThem) {
    testing::TempDir serverFolder;
    testing::DovecotServer server(serverFolder.path());
    server.addUser("alice", "secret");
    server.addMessage("alice", message("Ann Lee <ann@example.test>", "Quarterly report"));
    server.addMessage("alice", message("Boss <boss@example.test>", "Work: plans for Monday"));
    server.addMessage("alice", message("Cy Marsh <cy@example.test>", "Lunch on Friday?"));
    if (const std::string error = server.start(); !error.empty())
        GTEST_SKIP() << "dovecot: " << error;

    // A home folder as a user leaves it after configuring: one profile, the port, one rule.
    testing::TempDir home;
    testing::writeFile(home / "ENGLISH.DCT", "word\r\n");
    for (const char* name : store::kDefaultFolderNames)
        std::filesystem::create_directories(store::folderDirectory(home.path(), name));
    std::filesystem::create_directories(home / "Work.001");
    profiles::TUsersObjListBox profile;
    profile.profileName = "Home";
    profile.accountName = "alice";
    profile.pop3Server = "127.0.0.1";
    ASSERT_FALSE(profiles::writeMasterUsr(home.path(), {"Home"}));
    ASSERT_FALSE(
        profiles::writeProfileFile(profiles::profileFilePath(home.path(), "Home"), profile));
    profiles::RetrieveSettings retrieve;
    retrieve.pop3Port = std::to_string(server.port());
    ASSERT_FALSE(profiles::saveRetrieveSettings(home.path(), retrieve));
    retrieval::RuleList rules;
    retrieval::TMailFiltersObjectListBox rule;
    rule.description = "work";
    rule.filterOn = static_cast<int>(retrieval::RuleField::Subject);
    rule.filterHow = static_cast<int>(retrieval::RuleComparison::BeginsWith);
    rule.filterText = "work:";
    rule.action = static_cast<int>(retrieval::RuleAction::MoveTo);
    rule.folderPath = (home / "Work.001").string();
    rules.rules.push_back(rule);
    rules.selected = 0;
    ASSERT_FALSE(retrieval::saveRules(rules, home / retrieval::kRulesFile));

    std::string out;
    ASSERT_EQ(runCli("--home " + home.path().string() + " retrieve --mode all", out), 0) << out;
    EXPECT_EQ(server.messageCount("alice"), 0u) << "delete after retrieving is the default";

    testing::testApplication();
    registerFolderWindowView();
    registerRetrievalViews();
    testing::FakePlatform fake;
    core::TmainForm model(fake.platform(), home.path(), {}, {1280, 1024});
    MainWindow window(model);
    model.FormCreate();
    window.showFrame();
    fake.clock.advance(platform::Milliseconds{100});  // start-up opens InBox
    QApplication::processEvents();
    EXPECT_EQ(subjectsShown(window, "InBox"), (QStringList{QStringLiteral("Lunch on Friday?"),
                                                           QStringLiteral("Quarterly report")}));
    model.openFolderWindow("Work", true);
    QApplication::processEvents();
    EXPECT_EQ(subjectsShown(window, "Work"), QStringList{QStringLiteral("Work: plans for Monday")});

    if (const char* dir = std::getenv("VELMORA_SCREENSHOT_DIR")) {
        window.resize(1000, 640);
        model.openFolderWindow("InBox", true);
        QApplication::processEvents();
        window.grab().save(QString::fromLocal8Bit(dir) + QStringLiteral("/retrieved-mail.png"));
    }
    model.FormCloseQuery();
    model.FormClose();
}

}  // namespace
}  // namespace velmora::desktop
