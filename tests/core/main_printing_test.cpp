// The print commands through the main window: what File "&Print" and the Mail menu's entry are
// called and print for the window in front (a folder window's message or its selected preview
// text, a scratch pad's note), the job's header and footer, a failure, and "Pri&nter Setup".
#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/main_form.h"
#include "reading/folder_window.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"
#include "tools/scratch_pad_form.h"

namespace velmora::core {
namespace {

class MainPrintingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::writeFile(home / "ENGLISH.DCT", "word\r\n");
        form = std::make_unique<TmainForm>(fake.platform(), home.path(), parseCommandLine({}),
                                           ScreenSize{1024, 768});
        form->FormCreate();
        fake.clock.advance(platform::Milliseconds{100});
        fake.clock.setLocalTime({2026, 12, 11, 9, 5, 0, 0, 5, 60});
        fake.dialogs.clear();
    }
    void TearDown() override {
        form->FormCloseQuery();
        form->FormClose();
        form.reset();
    }

    std::string caption(const char* entry) {
        const platform::Menu bar = form->menuBar();
        return platform::findMenuEntry(bar, entry)->caption;
    }
    bool enabled(const char* entry) {
        const platform::Menu bar = form->menuBar();
        return platform::findMenuEntry(bar, entry)->enabled;
    }
    bool print() { return form->commands().run(platform::kPrintCommand); }

    testing::TempDir home;
    testing::FakePlatform fake;
    std::unique_ptr<TmainForm> form;
};

TEST_F(MainPrintingTest, TheFolderWindowPrintsItsMessageOrTheSelectedPreviewText) {
    EXPECT_EQ(caption("mnuFile_Print"), "&Print");
    EXPECT_FALSE(enabled("mnuFile_Print"));

    testing::MessageSample sample;
    sample.subject = "Quarterly report";
    testing::storeMessage(home / "InBox.000", sample);
    reading::TinboxForm& inbox = form->openFolderWindow("InBox", true);
    inbox.rowClicked(0);
    fake.clock.advance(platform::Milliseconds{400});  // the preview follows
    ASSERT_FALSE(inbox.previewText().empty());
    EXPECT_EQ(caption("mnuFile_Print"), "&Print Message");
    EXPECT_EQ(caption("mnuMail_PrintMessage"), "&Print Message");
    ASSERT_TRUE(print());
    ASSERT_EQ(fake.printer.jobs.size(), 1u);
    const platform::PrintJob job = fake.printer.jobs[0];  // a copy: more jobs follow
    EXPECT_EQ(job.title, "Quarterly report");
    EXPECT_EQ(job.rightHeader, "12/11/2026 09:05 AM");
    EXPECT_EQ(job.footer, "Velmora Pro Version 4.6");
    EXPECT_NE(std::find(job.lines.begin(), job.lines.end(), "the figures are in."),
              job.lines.end());
    EXPECT_NE(std::find(job.lines.begin(), job.lines.end(), "Subject: Quarterly report"),
              job.lines.end());

    inbox.setSelectedText("figures");
    EXPECT_EQ(caption("mnuFile_Print"), "&Print Selected Text");
    EXPECT_EQ(caption("mnuMail_PrintMessage"), "&Print Selected Text");
    EXPECT_EQ(platform::findMenuEntry(inbox.listMenu(), "popListView_Print")->caption,
              "&Print Selected Text");
    // A failed print says why; the text is not lost.
    fake.printer.result = {platform::PrintOutcome::Failed, "The printer is out of paper."};
    ASSERT_TRUE(print());
    EXPECT_EQ(fake.printer.jobs.back().lines, std::vector<std::string>{"figures"});
    EXPECT_EQ(fake.dialogs.texts("error"),
              std::vector<std::string>{"Printing failed:\rThe printer is out of paper."});
    EXPECT_EQ(fake.system.beeps, 1);

    // With the preview hidden the message is still printed as the preview would show it.
    inbox.setSelectedText({});
    form->settings().vl.previewShown = false;
    inbox.previewShownChanged();
    ASSERT_TRUE(inbox.previewText().empty());
    fake.printer.result = {platform::PrintOutcome::Cancelled, {}};
    ASSERT_TRUE(print());
    EXPECT_EQ(fake.printer.jobs.back().lines, job.lines);
    EXPECT_EQ(fake.dialogs.texts("error").size(), 1u);  // a cancelled preview says nothing
}

TEST_F(MainPrintingTest, SelectedMessagesArePrintedEachOnPagesOfItsOwn) {
    for (int n = 1; n <= 2; ++n) {
        testing::MessageSample sample;
        sample.fileName = "2001.07.31.15.30.45.00" + std::to_string(n);
        sample.subject = "subject " + std::to_string(n);
        sample.body = {"body " + std::to_string(n)};
        testing::storeMessage(home / "InBox.000", sample);
    }
    reading::TinboxForm& inbox = form->openFolderWindow("InBox", true);
    inbox.rowClicked(0);
    inbox.setSelection({0, 1});
    EXPECT_EQ(caption("mnuFile_Print"), "&Print Messages");
    ASSERT_TRUE(print());
    ASSERT_EQ(fake.printer.jobs.size(), 1u);
    const platform::PrintJob& job = fake.printer.jobs[0];
    EXPECT_EQ(job.title, "InBox - 2 Messages");
    const auto at = [&](const std::string& line) {
        return std::find(job.lines.begin(), job.lines.end(), line) - job.lines.begin();
    };
    const auto pageBreak = at(platform::kPageBreak);
    ASSERT_LT(pageBreak, static_cast<std::ptrdiff_t>(job.lines.size()));
    EXPECT_EQ(std::count(job.lines.begin(), job.lines.end(), platform::kPageBreak), 1);
    // One message before the break, the other after it.
    const auto end = static_cast<std::ptrdiff_t>(job.lines.size());
    ASSERT_LT(at("body 1"), end);
    ASSERT_LT(at("body 2"), end);
    EXPECT_LT(std::min(at("body 1"), at("body 2")), pageBreak);
    EXPECT_GT(std::max(at("body 1"), at("body 2")), pageBreak);
}

TEST_F(MainPrintingTest, AScratchPadInFrontPrintsItsNoteUnderItsName) {
    testing::storeMessage(home / "InBox.000", testing::MessageSample{});
    form->openFolderWindow("InBox", true);
    fake.dialogs.inputAnswers.push_back(platform::InputBoxResult{"notes", ""});
    ASSERT_TRUE(form->commands().run("scratch.new"));
    auto* pad = dynamic_cast<tools::TscratchPadForm*>(form->findChild("ScratchPad.notes.txt"));
    ASSERT_NE(pad, nullptr);
    pad->textEdited("first line\r\nsecond line");
    EXPECT_EQ(caption("mnuFile_Print"), "&Print Document");
    ASSERT_TRUE(print());
    ASSERT_EQ(fake.printer.jobs.size(), 1u);
    EXPECT_EQ(fake.printer.jobs[0].title, "notes.txt");
    EXPECT_EQ(fake.printer.jobs[0].lines, (std::vector<std::string>{"first line", "second line"}));
    pad->setSelectedText("second");
    EXPECT_EQ(caption("mnuFile_Print"), "&Print Selected Text");
    ASSERT_TRUE(print());
    EXPECT_EQ(fake.printer.jobs.back().lines, std::vector<std::string>{"second"});

    const platform::Menu bar = form->menuBar();
    platform::findMenuEntry(bar, "mnuFile_PrinterSetup")->command();
    EXPECT_EQ(fake.printer.setUps, 1);
}

}  // namespace
}  // namespace velmora::core
