// Smoke test of the signature window's widget, offscreen: every control is there with its name
// and accessible name, the list and editor show the model, typing reaches the selected block,
// Shift+Down moves a block, the buttons follow the model and "&Close" ends the window. With
// VELMORA_SCREENSHOT set, the window is saved there as a PNG.
#include "desktop/compose/signature_window_view.h"

#include <gtest/gtest.h>

#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

TEST(SignatureWindowView, ShowsTheBlocksAndForwardsEdits) {
    testing::testApplication();
    testing::TempDir home;
    testing::FakePlatform fake;
    compose::SignatureList list;
    list.defaultPosition = 1;
    list.blocks = {{"Short", {"-- Ann"}},
                   {"Office", {"-- \r\nAnn Lee\r\nLee & Co, 4 Mill Lane\r\n+44 20 7946 0000"}},
                   {"Casual", {"cheers, ann"}}};
    ASSERT_FALSE(compose::writeSignatureFile(home / "Work.sig", list));
    compose::TsignatureForm form(fake);
    form.open("Work", home / "Work.sig");

    SignatureWindowDialog dialog(form, nullptr);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Signature Blocks For [Work]"));
    for (const char* name : {"csRankSignatureListBox", "richSignatureBlock", "cmdAdd", "cmdEdit",
                             "cmdDelete", "cmdClose"}) {
        auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
    }
    auto* blocks = dialog.findChild<QListWidget*>(QStringLiteral("csRankSignatureListBox"));
    auto* editor = dialog.findChild<QPlainTextEdit*>(QStringLiteral("richSignatureBlock"));
    EXPECT_EQ(blocks->count(), 3);
    EXPECT_EQ(blocks->currentRow(), 1);
    EXPECT_EQ(editor->toPlainText(),
              QStringLiteral("-- \nAnn Lee\nLee & Co, 4 Mill Lane\n+44 20 7946 0000"));
    EXPECT_EQ(dialog.findChild<QPushButton*>(QStringLiteral("cmdAdd"))->toolTip(),
              QStringLiteral("Add a new signature block"));

    blocks->setCurrentRow(0);
    EXPECT_EQ(form.selected(), 0);
    EXPECT_EQ(editor->toPlainText(), QStringLiteral("-- Ann"));
    editor->setPlainText(QStringLiteral("-- Ann\nWork"));
    EXPECT_EQ(form.list().blocks[0].block.text, "-- Ann\r\nWork");
    blocks->setFocus();
    QTest::keyClick(blocks, Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(form.list().blocks[1].name, "Short");
    EXPECT_EQ(blocks->item(1)->text(), QStringLiteral("Short"));
    EXPECT_EQ(blocks->currentRow(), 1);

    if (const char* shot = std::getenv("VELMORA_SCREENSHOT"))
        dialog.grab().save(QString::fromLocal8Bit(shot));

    // Deleting every block leaves the editor and "&Delete" disabled.
    fake.dialogs.answers = {platform::Answer::Yes, platform::Answer::Yes, platform::Answer::Yes};
    auto* remove = dialog.findChild<QPushButton*>(QStringLiteral("cmdDelete"));
    for (int i = 0; i < 3; ++i) remove->click();
    EXPECT_EQ(blocks->count(), 0);
    EXPECT_FALSE(editor->isEnabled());
    EXPECT_FALSE(remove->isEnabled());

    QTimer::singleShot(
        0, &dialog, [&] { dialog.findChild<QPushButton*>(QStringLiteral("cmdClose"))->click(); });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
}

}  // namespace
}  // namespace velmora::desktop
