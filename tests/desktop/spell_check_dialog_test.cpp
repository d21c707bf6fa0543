// Smoke test of the spell check window's widget, offscreen: every control is there with its
// accessible name, it shows the model's word, line and suggestions, the buttons reach the model
// (Change turns Cancel into Done) and the last step closes the window with the text corrected.
#include "desktop/spell_check_dialog.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>

#include "support/fake_platform.h"
#include "support/qt_application.h"

namespace velmora::desktop {
namespace {

TEST(SpellCheckDialog, ShowsTheWordAndForwardsTheButtons) {
    testing::testApplication();
    testing::FakePlatform fake;
    tools::SpellingDictionary dictionary({"the", "word", "words", "café"});
    tools::TspellCheckForm form(fake, dictionary);
    std::optional<std::string> result;
    form.setView([&](tools::TspellCheckForm& f) {
        SpellCheckDialog dialog(f, nullptr);
        dialog.show();
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Spell Check"));
        for (const char* name :
             {"lblWord", "txtLine", "edtChangeTo", "lstSuggestions", "cmdChange", "cmdChangeAll",
              "cmdIgnore", "cmdIgnoreAll", "cmdAdd", "cmdCancel"}) {
            auto* widget = dialog.findChild<QWidget*>(QString::fromLatin1(name));
            ASSERT_NE(widget, nullptr) << name;
            EXPECT_FALSE(widget->accessibleName().isEmpty()) << name;
        }
        auto* word = dialog.findChild<QLabel*>(QStringLiteral("lblWord"));
        auto* line = dialog.findChild<QTextBrowser*>(QStringLiteral("txtLine"));
        auto* changeTo = dialog.findChild<QLineEdit*>(QStringLiteral("edtChangeTo"));
        auto* suggestions = dialog.findChild<QListWidget*>(QStringLiteral("lstSuggestions"));
        auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
        EXPECT_EQ(word->text(), QStringLiteral("wrod"));
        EXPECT_TRUE(line->toPlainText().contains(QStringLiteral("the wrod <b> cafe")));
        EXPECT_EQ(suggestions->item(0)->text(), QStringLiteral("word"));
        EXPECT_EQ(changeTo->text(), QStringLiteral("word"));
        EXPECT_EQ(cancel->text(), QStringLiteral("&Cancel"));

        dialog.findChild<QPushButton*>(QStringLiteral("cmdChange"))->click();
        EXPECT_EQ(cancel->text(), QStringLiteral("&Done"));
        EXPECT_EQ(word->text(), QStringLiteral("b")) << "a tag in the text is shown, not obeyed";
        dialog.findChild<QPushButton*>(QStringLiteral("cmdIgnore"))->click();
        EXPECT_EQ(word->text(), QStringLiteral("cafe"));
        EXPECT_EQ(suggestions->item(0)->text(), QStringLiteral("café"));
        changeTo->setText(QStringLiteral("café"));
        dialog.findChild<QPushButton*>(QStringLiteral("cmdChange"))->click();
        EXPECT_TRUE(f.finished());
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
    });
    result = form.check("the wrod <b> cafe");
    EXPECT_EQ(result, "the word <b> café");
}

}  // namespace
}  // namespace velmora::desktop
