#include "desktop/config_users_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/config_option_page.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

using profiles::UsersFocus;

namespace {

constexpr int kFieldCount = 13;

}  // namespace

ConfigUsersPage::ConfigUsersPage(profiles::UsersPage& page, profiles::ProfileLists& lists,
                                 std::function<bool(std::function<void()>)> run, QWidget* parent)
    : QWidget(parent), page_(page), lists_(lists), run_(std::move(run)) {
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("User Profiles"), this));
    rankList_ = new QListWidget(this);
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
        b->installEventFilter(this);
        buttons->addWidget(b);
    }
    left->addLayout(buttons);
    layout->addLayout(left, 2);

    auto* form = new QFormLayout;
    for (int i = 0; i < kFieldCount; ++i) {
        const auto field = static_cast<UsersFocus>(i);
        QWidget* control = nullptr;
        if (field == UsersFocus::RememberPassword || field == UsersFocus::RetrieveWhenNotActive) {
            auto* box = new QCheckBox(toQt(std::string(profiles::usersFieldLabel(field))), this);
            connect(box, &QCheckBox::clicked, this, [this, field](bool on) {
                act([this, field, on] { page_.setChecked(field, on); });
            });
            (field == UsersFocus::RememberPassword ? rememberPassword_ : retrieveWhenNotActive_) = box;
            box->installEventFilter(this);
            form->addRow(box);
            continue;
        }
        if (field == UsersFocus::HeadersDefaultAction) {
            auto* group = new QGroupBox(QStringLiteral("When Retrieving Headers Only"), this);
            auto* row = new QFormLayout(group);
            headersAction_ = new QComboBox(group);
            for (const char* choice : profiles::kHeadersActionChoices) headersAction_->addItem(toQt(std::string(choice)));
            connect(headersAction_, QOverload<int>::of(&QComboBox::activated), this,
                    [this](int index) { act([this, index] { page_.setHeadersAction(index); }); });
            headersAction_->installEventFilter(this);
            row->addRow(toQt(std::string(profiles::usersFieldLabel(field))), headersAction_);
            form->addRow(group);
            continue;
        }
        auto* edit = new QLineEdit(this);
        if (field == UsersFocus::ProfileName)
            edit->setMaxLength(static_cast<int>(profiles::kMaxProfileNameLength));
        if (field == UsersFocus::Password) edit->setEchoMode(QLineEdit::Password);
        connect(edit, &QLineEdit::textEdited, this, [this, field](const QString& text) {
            const std::string value = fromQt(text);
            if (!refreshing_) run_([this, field, value] { page_.setText(field, value); });
        });
        connect(edit, &QLineEdit::returnPressed, this,
                [this] { act([this] { page_.pressEnter(); }); });
        edit->installEventFilter(this);
        edits_[static_cast<std::size_t>(i)] = edit;
        control = edit;
        form->addRow(toQt(std::string(profiles::usersFieldLabel(field))), control);
    }
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

QLineEdit* ConfigUsersPage::field(UsersFocus field) const {
    const auto i = static_cast<std::size_t>(field);
    return i < edits_.size() ? edits_[i] : nullptr;
}

QWidget* ConfigUsersPage::widgetFor(UsersFocus focus) const {
    switch (focus) {
        case UsersFocus::RememberPassword: return rememberPassword_;
        case UsersFocus::RetrieveWhenNotActive: return retrieveWhenNotActive_;
        case UsersFocus::HeadersDefaultAction: return headersAction_;
        case UsersFocus::RankList: return rankList_;
        case UsersFocus::AddButton: return add_;
        case UsersFocus::DeleteButton: return delete_;
        case UsersFocus::SignatureButton: return signature_;
        case UsersFocus::FontButton: return font_;
        case UsersFocus::None: return nullptr;
        default: return field(focus);
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
        std::optional<profiles::RankKey> rankKey;
        switch (key->key()) {
            case Qt::Key_Up: rankKey = profiles::RankKey::Up; break;
            case Qt::Key_Down: rankKey = profiles::RankKey::Down; break;
            case Qt::Key_Home: rankKey = profiles::RankKey::Home; break;
            case Qt::Key_End: rankKey = profiles::RankKey::End; break;
            case Qt::Key_Delete: rankKey = profiles::RankKey::Delete; break;
            default: break;
        }
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
    if (chosen == addUser) act([this] { page_.addClick(); });
    else if (chosen == deleteUser) act([this] { page_.deleteClick(); });
    else if (chosen == signatureBlock) act([this] { page_.signatureClick(); });
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
    const std::array<const std::string*, kFieldCount> values = {
        &f.profileName, &f.connectName, &f.fromName,   &f.fromAddress, &f.replyToAddress,
        &f.organization, &f.accountName, &f.password,  nullptr,        &f.pop3Server,
        &f.smtpServer,  nullptr,         nullptr};
    QFont font(toQt(page_.font().name));
    bool ok = false;
    const int size = toQt(page_.font().size).toInt(&ok);
    if (ok && size > 0) font.setPointSize(size);
    for (std::size_t i = 0; i < edits_.size(); ++i) {
        if (!edits_[i]) continue;
        const QString text = toQt(*values[i]);
        if (edits_[i]->text() != text) edits_[i]->setText(text);
        edits_[i]->setFont(font);
        QPalette colours = edits_[i]->palette();
        colours.setColor(QPalette::Text, toQColor(page_.font().colour, palette()));
        edits_[i]->setPalette(colours);
    }
    rememberPassword_->setChecked(f.rememberPassword);
    retrieveWhenNotActive_->setChecked(f.retrieveWhenNotActive);
    headersAction_->setCurrentIndex(f.headersDefaultAction);
    headersAction_->setEnabled(page_.headersActionEnabled());
    signature_->setEnabled(page_.signatureEnabled());
    delete_->setEnabled(page_.deleteEnabled());

    // The model may have moved the focus (to "Profile Name" after adding, to "&Add" after the
    // last delete).
    if (QWidget* wanted = widgetFor(page_.focus()); wanted && !wanted->hasFocus() && isVisible())
        wanted->setFocus(Qt::OtherFocusReason);
    refreshing_ = false;
}

}  // namespace velmora::desktop
