// Smoke test of the compose window's widget, offscreen: every control is there with its name and
// accessible name, typing and leaving the To field expands a nickname in the model, the tab
// captions follow the model, an address-book entry dropped on CC lands there, and a closed model
// is never reached again. With VELMORA_SCREENSHOT set, the window is saved there as a PNG.
#include "desktop/compose/compose_window_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDropEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "../compose/fake_compose_host.h"
#include "compose/compose_windows.h"
#include "desktop/child_view.h"
#include "support/fake_platform.h"
#include "support/qt_application.h"
#include "support/temp_dir.h"

namespace velmora::desktop {
namespace {

TEST(ComposeWindowView, ShowsTheModelAndForwardsEdits) {
    testing::testApplication();
    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host(fake, home.path());
    host.addProfile();
    compose::AddressBookEntry bob;
    bob.nickName = "bob";
    bob.fullName = "Bob Stone";
    bob.addresses = {"bob@stone.org"};
    host.book.list = {bob};
    // A new message's Body takes the compose font, the signature text the reply font.
    host.settingsValue.compose.font = {"DejaVu Serif", "13", profiles::kClNavy};
    host.settingsValue.reply.font = {"DejaVu Sans Mono", "9", profiles::kClBlack};
    compose::ComposeWindows windows(fake, home.path(), host);
    compose::TcomposeForm* model = windows.openNew();
    ASSERT_NE(model, nullptr);
    fake.clock.advance(platform::Milliseconds{60});

    ComposeWindowView view(*model, nullptr);
    view.resize(720, 560);
    view.show();
    for (const char* name :
         {"txtFrom", "txtReplyTo", "txtTo", "txtCC", "txtBCC", "txtSubject", "richEditBody",
          "memoTo", "memoCC", "memoBCC", "lvAddressBook", "cboAddressBooks", "cbo_SignatureBlocks",
          "chkSendOneRecipientPer", "cboPriority", "lstAttachments", "cmdSend", "cmdOutBox",
          "cmdAddAttachment"}) {
        auto* widget = view.findChild<QWidget*>(QString::fromLatin1(name));
        ASSERT_NE(widget, nullptr) << name;
        EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
    }
    auto* bodyText = view.findChild<QPlainTextEdit*>(QStringLiteral("richEditBody"));
    EXPECT_EQ(bodyText->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(bodyText->font().pointSize(), 13);
    EXPECT_EQ(bodyText->palette().color(QPalette::Text), QColor(0, 0, 128));
    auto* signature = view.findChild<QPlainTextEdit*>(QStringLiteral("richEdit_Signature"));
    EXPECT_EQ(signature->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(signature->font().pointSize(), 9);
    auto* from = view.findChild<QLineEdit*>(QStringLiteral("txtFrom"));
    EXPECT_EQ(from->text(), QStringLiteral("Ann Lee <ann@example.org>"));
    auto* send = view.findChild<QPushButton*>(QStringLiteral("cmdSend"));
    EXPECT_FALSE(send->isEnabled());

    auto* to = view.findChild<QLineEdit*>(QStringLiteral("txtTo"));
    to->setFocus();
    QTest::keyClicks(to, QStringLiteral("bob, ann@x.com"));
    emit to->editingFinished();
    view.refreshFromModel();
    EXPECT_EQ(model->plain(compose::AddressField::To), "Bob Stone <bob@stone.org>, ann@x.com");
    EXPECT_EQ(to->text(), QStringLiteral("Bob Stone <bob@stone.org>, ann@x.com"));
    auto* tabs = view.findChild<QTabWidget*>(QStringLiteral("pageControlCompose"));
    EXPECT_EQ(tabs->tabText(3), QStringLiteral("To: [2]"));
    EXPECT_TRUE(send->isEnabled());

    // Typing in the address-book list finds "bob"; Enter puts him into To once more.
    auto* book = view.findChild<QWidget*>(QStringLiteral("lvAddressBook"));
    QTest::keyClicks(book, QStringLiteral("bo"));
    EXPECT_EQ(model->addressBookRow(), 0);
    QTest::keyClick(book, Qt::Key_Return);
    EXPECT_EQ(model->lines(compose::AddressField::To).size(), 3u);

    // Dragging the entry onto the CC field adds it there.
    auto* table = view.findChild<QTableWidget*>(QStringLiteral("lvAddressBook"));
    std::unique_ptr<QMimeData> dragged(table->model()->mimeData({table->model()->index(0, 1)}));
    auto* cc = view.findChild<QLineEdit*>(QStringLiteral("txtCC"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, dragged.get(), Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(cc, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, dragged.get(), Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(cc, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(model->plain(compose::AddressField::CC), "Bob Stone <bob@stone.org>");
    EXPECT_EQ(cc->text(), QStringLiteral("Bob Stone <bob@stone.org>"));

    auto* body = view.findChild<QPlainTextEdit*>(QStringLiteral("richEditBody"));
    body->setPlainText(QStringLiteral("Hello Bob"));
    EXPECT_EQ(model->body(), "Hello Bob");

    if (const char* shot = std::getenv("VELMORA_SCREENSHOT"))
        view.grab().save(QString::fromLocal8Bit(shot));

    // The model goes first (the frame is deleted later): the view forwards nothing after.
    host.closeComposeWindow(*model);
    auto* subject = view.findChild<QLineEdit*>(QStringLiteral("txtSubject"));
    subject->setText(QStringLiteral("typed late"));
    emit subject->textEdited(subject->text());
    emit subject->editingFinished();
    view.refreshFromModel();
}

TEST(ComposeWindowView, ASmallFrameGrowsRatherThanSqueezingTheSignatureAndTheAddressBook) {
    testing::testApplication();
    testing::TempDir home;
    testing::FakePlatform fake;
    testing::FakeComposeHost host(fake, home.path());
    host.addProfile();
    compose::ComposeWindows windows(fake, home.path(), host);
    compose::TcomposeForm* model = windows.openNew();
    ASSERT_NE(model, nullptr);
    QMdiArea area;
    area.resize(1000, 900);
    auto* frame = new QMdiSubWindow;
    frame->setWidget(new ComposeWindowView(*model, frame));
    area.addSubWindow(frame);
    area.show();
    frame->show();
    setFrameBounds(*frame, {0, 0, 574, 380});
    QApplication::processEvents();
    auto* signature = frame->findChild<QPlainTextEdit*>(QStringLiteral("richEdit_Signature"));
    EXPECT_GE(signature->height(), 3 * signature->fontMetrics().lineSpacing());
    auto* book = frame->findChild<QTableWidget*>(QStringLiteral("lvAddressBook"));
    EXPECT_GE(book->viewport()->height(), 4 * book->verticalHeader()->defaultSectionSize());
}

}  // namespace
}  // namespace velmora::desktop
