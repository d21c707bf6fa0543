#include "desktop/spell_check_dialog.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "desktop/menu_builder.h"
#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

using tools::TspellCheckForm;

// The line with the unknown word in bold; the byte offsets of the model cut it in three.
QString markedLine(const TspellCheckForm& form) {
    const std::string line = form.lineText();
    const std::string word = form.word();
    const std::size_t at = std::min(form.wordOffsetInLine(), line.size());
    const QString before = toQt(line.substr(0, at)).toHtmlEscaped();
    const QString after =
        toQt(line.substr(std::min(at + word.size(), line.size()))).toHtmlEscaped();
    return QStringLiteral("<p style=\"white-space:pre-wrap\">%1<b><u>%2</u></b>%3</p>")
        .arg(before, toQt(word).toHtmlEscaped(), after);
}

}  // namespace

SpellCheckDialog::SpellCheckDialog(TspellCheckForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("TspellCheckForm"));
    setAccessibleName(QStringLiteral("Spell check"));
    auto* layout = new QGridLayout(this);

    auto* wordLabel = new QLabel(QString::fromLatin1(TspellCheckForm::kWordLabel), this);
    layout->addWidget(wordLabel, 0, 0);
    word_ = named(new QLabel(this), "lblWord", QStringLiteral("Word not in the dictionary"));
    word_->setTextFormat(Qt::PlainText);
    layout->addWidget(word_, 0, 1);
    line_ = named(new QTextBrowser(this), "txtLine", QStringLiteral("Line of the word"));
    line_->setMaximumHeight(70);
    layout->addWidget(line_, 1, 0, 1, 2);

    auto* changeLabel = new QLabel(QString::fromLatin1(TspellCheckForm::kChangeToLabel), this);
    layout->addWidget(changeLabel, 2, 0);
    changeTo_ = named(new QLineEdit(this), "edtChangeTo", QStringLiteral("Change to"));
    changeLabel->setBuddy(changeTo_);
    layout->addWidget(changeTo_, 2, 1);
    auto* suggestionsLabel =
        new QLabel(QString::fromLatin1(TspellCheckForm::kSuggestionsLabel), this);
    layout->addWidget(suggestionsLabel, 3, 0, Qt::AlignTop);
    suggestions_ = named(new QListWidget(this), "lstSuggestions", QStringLiteral("Suggestions"));
    suggestionsLabel->setBuddy(suggestions_);
    layout->addWidget(suggestions_, 3, 1);

    auto* buttons = new QVBoxLayout;
    auto button = [this, buttons](const char* name, const char* caption) {
        auto* b =
            named(new QPushButton(QString::fromLatin1(caption), this), name, plainCaption(caption));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    change_ = button("cmdChange", TspellCheckForm::kChangeCaption);
    changeAll_ = button("cmdChangeAll", TspellCheckForm::kChangeAllCaption);
    ignore_ = button("cmdIgnore", TspellCheckForm::kIgnoreCaption);
    ignoreAll_ = button("cmdIgnoreAll", TspellCheckForm::kIgnoreAllCaption);
    add_ = button("cmdAdd", TspellCheckForm::kAddCaption);
    cancel_ = button("cmdCancel", TspellCheckForm::kCancelCaption);
    buttons->addStretch(1);
    layout->addLayout(buttons, 0, 2, 4, 1);

    connect(changeTo_, &QLineEdit::textEdited, this, [this](const QString& text) {
        form_.setChangeTo(fromQt(text));
        change_->setEnabled(form_.changeEnabled());
        changeAll_->setEnabled(form_.changeEnabled());
    });
    connect(suggestions_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_ && row != form_.selectedSuggestion()) form_.selectSuggestion(row);
    });
    connect(suggestions_, &QListWidget::itemDoubleClicked, this, [this] { form_.changeClick(); });
    connect(change_, &QPushButton::clicked, this, [this] { form_.changeClick(); });
    connect(changeAll_, &QPushButton::clicked, this, [this] { form_.changeAllClick(); });
    connect(ignore_, &QPushButton::clicked, this, [this] { form_.ignoreClick(); });
    connect(ignoreAll_, &QPushButton::clicked, this, [this] { form_.ignoreAllClick(); });
    connect(add_, &QPushButton::clicked, this, [this] { form_.addClick(); });
    connect(cancel_, &QPushButton::clicked, this, [this] { form_.cancelClick(); });
    form_.onChanged = [this] { refreshFromModel(); };
    form_.closeRequested = [this] { accept(); };
    refreshFromModel();
    changeTo_->setFocus(Qt::OtherFocusReason);
    resize(520, 300);
}

SpellCheckDialog::~SpellCheckDialog() {
    form_.onChanged = nullptr;
    form_.closeRequested = nullptr;
}

void SpellCheckDialog::reject() {
    // Esc and the frame's close button answer as the "&Cancel" / "&Done" button does.
    if (!form_.finished()) form_.cancelClick();
    QDialog::reject();
}

void SpellCheckDialog::refreshFromModel() {
    refreshing_ = true;
    setWindowTitle(toQt(form_.caption()));
    word_->setText(toQt(form_.word()));
    line_->setHtml(markedLine(form_));
    line_->setAccessibleDescription(QStringLiteral("Line %1").arg(form_.lineNumber()));
    if (changeTo_->text() != toQt(form_.changeTo())) changeTo_->setText(toQt(form_.changeTo()));
    suggestions_->clear();
    for (const auto& suggestion : form_.suggestions()) suggestions_->addItem(toQt(suggestion));
    suggestions_->setCurrentRow(form_.selectedSuggestion());
    const bool active = !form_.finished();
    change_->setEnabled(form_.changeEnabled());
    changeAll_->setEnabled(form_.changeEnabled());
    ignore_->setEnabled(active);
    ignoreAll_->setEnabled(active);
    add_->setEnabled(active);
    cancel_->setText(QString::fromLatin1(form_.cancelCaption()));
    cancel_->setAccessibleName(plainCaption(form_.cancelCaption()));
    refreshing_ = false;
}

void registerSpellCheckWindowView() {
    tools::setSpellCheckWindowView([](TspellCheckForm& form) {
        SpellCheckDialog dialog(form, QApplication::activeWindow());
        if (!form.finished()) dialog.exec();
    });
}

}  // namespace velmora::desktop
