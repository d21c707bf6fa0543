#include "desktop/config_users_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QVBoxLayout>

#include "desktop/config_option_page.h"
#include "desktop/font_setting.h"
#include "desktop/rank_keys.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

using profiles::UsersFocus;

namespace {

// The groups the fields after the profile's own lines are shown in.
bool inConnectionGroup(UsersFocus field) {
    return field >= UsersFocus::Pop3Security && field <= UsersFocus::DeleteWithTrash;
}

QString labelOf(UsersFocus field) {
    return toQt(std::string(profiles::usersFieldLabel(field)));
}

}  // namespace

ConfigUsersPage::ConfigUsersPage(profiles::UsersPage& page, profiles::ProfileLists& lists,
                                 std::function<bool(std::function<void()>)> run, QWidget* parent)
    : QWidget(parent), page_(page), lists_(lists), run_(std::move(run)) {
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("User Profiles"), this));
    rankList_ = new QListWidget(this);
    rankList_->setAccessibleName(QStringLiteral("User Profiles"));
    rankList_->setDragDropMode(QAbstractItemView::InternalMove);
    rankList_->setToolTip(QStringLiteral("Shift+Up/Down/Home/End or drag to change the order"));
    rankList_->installEventFilter(this);
    left->addWidget(rankList_, 1);
    auto* buttons = new QHBoxLayout;
    add_ = new QPushButton(QStringLiteral("&Add"), this);
    delete_ = new QPushButton(QStringLiteral("&Delete"), this);
    signature_ = new QPushButton(QStringLiteral("&Signature"), this);
    font_ = new QPushButton(QStringLiteral("&Font..."), this);
    for (QPushButton* b : {add_, delete_, signature_, font_}) {
        b->setAccessibleName(b->text().remove(QLatin1Char('&')));
        b->installEventFilter(this);
        buttons->addWidget(b);
    }
    left->addLayout(buttons);
    layout->addLayout(left, 2);

    auto* form = new QFormLayout;
    auto* connection = new QGroupBox(QStringLiteral("Server Connections"), this);
    auto* connectionRows = new QFormLayout(connection);
    for (int i = 0; i < profiles::kUsersFieldCount; ++i) {
        const auto field = static_cast<UsersFocus>(i);
        QWidget* control = makeControl(field);
        control->setAccessibleName(labelOf(field));
        control->installEventFilter(this);
        QFormLayout* rows = inConnectionGroup(field) ? connectionRows : form;
        if (field == UsersFocus::HeadersDefaultAction) {
            auto* group = new QGroupBox(QStringLiteral("When Retrieving Headers Only"), this);
            auto* row = new QFormLayout(group);
            row->addRow(labelOf(field), control);
            form->addRow(group);
        } else if (checks_[static_cast<std::size_t>(i)]) {
            rows->addRow(control);
        } else {
            rows->addRow(labelOf(field), control);
        }
    }
    form->addRow(connection);
    layout->addLayout(form, 3);

    connect(rankList_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
        const int row = rankList_->row(item);
        act([this, row] { page_.clickRankList(row); });
    });
    connect(rankList_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
                if (refreshing_) return;
                const int to = row > start ? row - 1 : row;
                act([this, start, to] { page_.dragRankEntry(start, to); });
            });
    connect(add_, &QPushButton::clicked, this, [this] { act([this] { page_.addClick(); }); });
    connect(delete_, &QPushButton::clicked, this, [this] { act([this] { page_.deleteClick(); }); });
    connect(signature_, &QPushButton::clicked, this,
            [this] { act([this] { page_.signatureClick(); }); });
    connect(font_, &QPushButton::clicked, this, [this] { act([this] { page_.fontClick(); }); });
    refresh();
}

QWidget* ConfigUsersPage::makeControl(UsersFocus field) {
    const auto i = static_cast<std::size_t>(field);
    if (profiles::isCheckField(field)) {
        auto* box = new QCheckBox(labelOf(field), this);
        connect(box, &QCheckBox::clicked, this, [this, field](bool on) {
            act([this, field, on] { page_.setChecked(field, on); });
        });
        return checks_[i] = box;
    }
    if (const auto& captions = profiles::choicesOf(field); !captions.empty()) {
        auto* choice = new QComboBox(this);
        for (const auto& caption : captions) choice->addItem(toQt(caption));
        connect(choice, QOverload<int>::of(&QComboBox::activated), this, [this, field](int index) {
            act([this, field, index] { page_.setChoice(field, index); });
        });
        return choices_[i] = choice;
    }
    if (profiles::isNumberField(field)) {
        auto* number = new QSpinBox(this);
        number->setRange(0, profiles::numberFieldMax(field));
        // 0 takes the port of the chosen security, or never deletes.
        number->setSpecialValueText(field == UsersFocus::DeleteAfterDays
                                        ? QStringLiteral("Never")
                                        : QStringLiteral("Default"));
        connect(number, QOverload<int>::of(&QSpinBox::valueChanged), this,
                [this, field](int value) {
                    if (!refreshing_) run_([this, field, value] { page_.setNumber(field, value); });
                });
        return numbers_[i] = number;
    }
    auto* edit = new QLineEdit(this);
    if (field == UsersFocus::ProfileName)
        edit->setMaxLength(static_cast<int>(profiles::kMaxProfileNameLength));
    if (field == UsersFocus::Password) edit->setEchoMode(QLineEdit::Password);
    connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
        const std::string value = fromQt(text);
        if (!refreshing_) run_([this, field, value] { page_.setText(field, value); });
    });
    connect(edit, &QLineEdit::returnPressed, this, [this] { act([this] { page_.pressEnter(); }); });
    return edits_[i] = edit;
}

QLineEdit* ConfigUsersPage::field(UsersFocus field) const {
    const auto i = static_cast<std::size_t>(field);
    return i < edits_.size() ? edits_[i] : nullptr;
}

QWidget* ConfigUsersPage::widgetFor(UsersFocus focus) const {
    if (focus < UsersFocus::RankList) {
        const auto i = static_cast<std::size_t>(focus);
        if (edits_[i]) return edits_[i];
        if (checks_[i]) return checks_[i];
        if (choices_[i]) return choices_[i];
        return numbers_[i];
    }
    switch (focus) {
        case UsersFocus::RankList:
            return rankList_;
        case UsersFocus::AddButton:
            return add_;
        case UsersFocus::DeleteButton:
            return delete_;
        case UsersFocus::SignatureButton:
            return signature_;
        case UsersFocus::FontButton:
            return font_;
        default:
            return nullptr;
    }
}

UsersFocus ConfigUsersPage::focusOf(QObject* widget) const {
    for (int i = 0; i <= static_cast<int>(UsersFocus::FontButton); ++i) {
        const auto focus = static_cast<UsersFocus>(i);
        if (widgetFor(focus) == widget) return focus;
    }
    return UsersFocus::None;
}

void ConfigUsersPage::act(const std::function<void()>& action) {
    if (refreshing_) return;
    run_(action);
    refresh();
}

bool ConfigUsersPage::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !refreshing_) {
        const UsersFocus focus = focusOf(watched);
        if (focus != UsersFocus::None && focus != page_.focus())
            act([this, focus] { page_.setFocus(focus); });
    }
    if (watched == rankList_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        const std::optional<profiles::RankKey> rankKey = rankKeyOf(*key);
        if (rankKey) {
            act([this, rankKey, shift] { page_.rankKey(*rankKey, shift); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ConfigUsersPage::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* addUser = menu.addAction(QStringLiteral("&Add User"));
    QAction* deleteUser = menu.addAction(QStringLiteral("&Delete User"));
    QAction* signatureBlock = menu.addAction(QStringLiteral("&Signature Block"));
    addUser->setEnabled(page_.addUserMenuEnabled() || lists_.empty());
    deleteUser->setEnabled(page_.deleteEnabled());
    signatureBlock->setEnabled(page_.signatureBlockEnabled());
    QAction* chosen = menu.exec(event->globalPos());
    if (chosen == addUser)
        act([this] { page_.addClick(); });
    else if (chosen == deleteUser)
        act([this] { page_.deleteClick(); });
    else if (chosen == signatureBlock)
        act([this] { page_.signatureClick(); });
}

void ConfigUsersPage::refresh() {
    refreshing_ = true;
    const auto& texts = lists_.rankListTexts();
    bool sameList = rankList_->count() == static_cast<int>(texts.size());
    for (int i = 0; sameList && i < rankList_->count(); ++i)
        sameList = rankList_->item(i)->text() == toQt(texts[static_cast<std::size_t>(i)]);
    if (!sameList) {
        rankList_->clear();
        for (const auto& text : texts) rankList_->addItem(toQt(text));
    }
    rankList_->setCurrentRow(lists_.rankIndex());

    const profiles::TUsersObjListBox& f = page_.fields();
    for (int i = 0; i < profiles::kUsersFieldCount; ++i) {
        const auto field = static_cast<UsersFocus>(i);
        const auto k = static_cast<std::size_t>(i);
        const int value = profiles::fieldValue(f, field);
        if (checks_[k]) checks_[k]->setChecked(value != 0);
        if (choices_[k]) {
            choices_[k]->setCurrentIndex(value);
            choices_[k]->setEnabled(page_.headersActionEnabled());
        }
        if (numbers_[k] && numbers_[k]->value() != value) numbers_[k]->setValue(value);
        if (QLineEdit* edit = edits_[k]) {
            const QString text = toQt(*profiles::fieldText(f, field));
            if (edit->text() != text) edit->setText(text);
            applyFontSetting(*edit, page_.font(), QPalette::Text);
        }
    }
    signature_->setEnabled(page_.signatureEnabled());
    // The marker: this profile has signature blocks.
    signature_->setIcon(page_.signatureMarked()
                            ? QIcon::fromTheme(QStringLiteral("document-edit"),
                                               style()->standardIcon(QStyle::SP_DialogApplyButton))
                            : QIcon());
    delete_->setEnabled(page_.deleteEnabled());

    // The model may have moved the focus (to "Profile Name" after adding, to "&Add" after the
    // last delete).
    if (QWidget* wanted = widgetFor(page_.focus()); wanted && !wanted->hasFocus() && isVisible())
        wanted->setFocus(Qt::OtherFocusReason);
    refreshing_ = false;
}

}  // namespace velmora::desktop
