#include "desktop/search_window_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/identity.h"
#include "core/error_report.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

namespace controls = tools::search_controls;

// The hint as tool tip and accessible description, "\r" shown as a line break.
template <typename W>
W* described(W* widget, const tools::SearchControl& control, const QString& accessible) {
    widget->setObjectName(QString::fromLatin1(control.name));
    widget->setAccessibleName(accessible);
    widget->setToolTip(toQtMessage(control.hint));
    widget->setAccessibleDescription(widget->toolTip());
    return widget;
}

// Captions without their "&" for screen readers.
QString spoken(const char* caption) {
    return QString::fromLatin1(caption).remove(QLatin1Char('&'));
}

QPushButton* button(const tools::SearchControl& control, QWidget* parent) {
    return described(new QPushButton(QString::fromLatin1(control.caption), parent), control,
                     spoken(control.caption));
}

}  // namespace

SearchWindowView::SearchWindowView(tools::TsearchForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TsearchForm"));
    auto* layout = new QHBoxLayout(this);

    auto* fields = new QGridLayout;
    target_ = described(new QComboBox(this), controls::kTarget, spoken(controls::kTarget.caption));
    for (const char* item : controls::kTargetItems) target_->addItem(QString::fromLatin1(item));
    text_ = described(new QLineEdit(this), controls::kText, spoken(controls::kText.caption));
    int row = 0;
    for (auto [control, widget] :
         {std::pair<const tools::SearchControl*, QWidget*>{&controls::kTarget, target_},
          {&controls::kText, text_}}) {
        auto* label = new QLabel(QString::fromLatin1(control->caption), this);
        label->setBuddy(widget);
        fields->addWidget(label, row, 0);
        fields->addWidget(widget, row++, 1);
    }
    caseSensitive_ =
        described(new QCheckBox(QString::fromLatin1(controls::kCaseSensitive.caption), this),
                  controls::kCaseSensitive, spoken(controls::kCaseSensitive.caption));
    wholeWords_ = described(new QCheckBox(QString::fromLatin1(controls::kWholeWords.caption), this),
                            controls::kWholeWords, spoken(controls::kWholeWords.caption));
    fields->addWidget(caseSensitive_, row++, 1);
    fields->addWidget(wholeWords_, row++, 1);
    fields->setRowStretch(row, 1);
    fields->setColumnStretch(1, 1);
    layout->addLayout(fields, 1);

    auto* buttons = new QVBoxLayout;
    QPushButton* search = button(controls::kSearch, this);
    search->setDefault(true);
    nextMessage_ = button(controls::kNextMessage, this);
    nextFolder_ = button(controls::kNextFolder, this);
    QPushButton* reset = button(controls::kReset, this);
    QPushButton* close = button(controls::kClose, this);
    help_ = button(controls::kHelp, this);
    for (QPushButton* b : {search, nextMessage_, nextFolder_, reset, close, help_})
        buttons->addWidget(b);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    connect(target_, &QComboBox::activated, this, [this](int index) {
        run([&] { model_.setTarget(static_cast<tools::SearchTarget>(index)); });
    });
    connect(text_, &QLineEdit::textEdited, this,
            [this](const QString& text) { model_.setSearchText(fromQt(text)); });
    connect(text_, &QLineEdit::returnPressed, this,
            [this] { run([this] { model_.cmdSearchClick(); }); });
    connect(caseSensitive_, &QCheckBox::clicked, this,
            [this](bool on) { run([&] { model_.setCaseSensitive(on); }); });
    connect(wholeWords_, &QCheckBox::clicked, this,
            [this](bool on) { run([&] { model_.setWholeWords(on); }); });
    connect(search, &QPushButton::clicked, this,
            [this] { run([this] { model_.cmdSearchClick(); }); });
    connect(nextMessage_, &QPushButton::clicked, this,
            [this] { run([this] { model_.cmdNextMessageClick(); }); });
    connect(nextFolder_, &QPushButton::clicked, this,
            [this] { run([this] { model_.cmdNextFolderClick(); }); });
    connect(reset, &QPushButton::clicked, this,
            [this] { run([this] { model_.cmdResetClick(); }); });
    connect(close, &QPushButton::clicked, this,
            [this] { run([this] { model_.cmdCloseClick(); }); });
    connect(help_, &QPushButton::clicked, this, [this] { run([this] { model_.cmdHelpClick(); }); });
    setFocusProxy(text_);
    refreshFromModel();
}

void SearchWindowView::run(const std::function<void()>& command) {
    core::runReported(model_.platform().dialogs, kProductName, command);
    refreshFromModel();
}

void SearchWindowView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    target_->setCurrentIndex(static_cast<int>(model_.target()));
    if (fromQt(text_->text()) != model_.searchText()) text_->setText(toQt(model_.searchText()));
    caseSensitive_->setChecked(model_.caseSensitive());
    wholeWords_->setChecked(model_.wholeWords());
    nextMessage_->setEnabled(model_.nextMessageEnabled());
    nextFolder_->setEnabled(model_.nextFolderEnabled());
    if (model_.textFocusRequests() != shownFocusRequests_) {
        shownFocusRequests_ = model_.textFocusRequests();
        text_->setFocus(Qt::OtherFocusReason);
        text_->selectAll();
    }
    filling_ = false;
}

void SearchWindowView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        run([this] { model_.cmdCloseClick(); });
        return;
    }
    ChildView::keyPressEvent(event);
}

void registerSearchWindowView() {
    registerChildView("Search", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* search = dynamic_cast<tools::TsearchForm*>(&window);
        return search ? new SearchWindowView(*search, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
