#include "desktop/compose/signature_window_view.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "desktop/editor_text.h"
#include "desktop/menu_builder.h"
#include "desktop/rank_keys.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

using compose::SignatureFocus;
using compose::TsignatureForm;

QString tip(const char* hint) {
    return QString::fromLatin1(hint).section(QLatin1Char('|'), 0, 0);
}

// The byte position in the model's text (CR LF line ends) of the editor's caret.
std::size_t caretBytes(const QPlainTextEdit* edit) {
    const QString before = edit->toPlainText().left(edit->textCursor().position());
    return fromQt(before).size() + static_cast<std::size_t>(before.count(QLatin1Char('\n')));
}

}  // namespace

SignatureWindowDialog::SignatureWindowDialog(TsignatureForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("TsignatureForm"));
    setAccessibleName(QStringLiteral("Signature blocks"));
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    left->addWidget(new QLabel(QStringLiteral("Signature Blocks"), this));
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("csRankSignatureListBox"));
    list_->setAccessibleName(tip(TsignatureForm::kListHint));
    list_->setToolTip(tip(TsignatureForm::kListHint));
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    list_->setContextMenuPolicy(Qt::NoContextMenu);
    list_->installEventFilter(this);
    left->addWidget(list_, 1);
    auto* buttons = new QHBoxLayout;
    auto button = [this, buttons](const char* name, const char* caption, const char* hint) {
        auto* b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAccessibleName(plainCaption(caption));
        b->setToolTip(tip(hint));
        b->setAutoDefault(false);
        buttons->addWidget(b);
        return b;
    };
    add_ = button("cmdAdd", TsignatureForm::kAddCaption, TsignatureForm::kAddHint);
    edit_ = button("cmdEdit", TsignatureForm::kEditCaption, TsignatureForm::kEditHint);
    delete_ = button("cmdDelete", TsignatureForm::kDeleteCaption, TsignatureForm::kDeleteHint);
    close_ = button("cmdClose", TsignatureForm::kCloseCaption, TsignatureForm::kCloseHint);
    left->addLayout(buttons);
    layout->addLayout(left, 2);

    editor_ = new QPlainTextEdit(this);
    editor_->setObjectName(QStringLiteral("richSignatureBlock"));
    editor_->setAccessibleName(tip(TsignatureForm::kEditorHint));
    editor_->setToolTip(tip(TsignatureForm::kEditorHint));
    editor_->setContextMenuPolicy(Qt::NoContextMenu);
    editor_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    layout->addWidget(editor_, 3);

    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!refreshing_ && row != form_.selected()) act([this, row] { form_.select(row); }, false);
    });
    connect(list_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
                if (refreshing_) return;
                const int to = row > start ? row - 1 : row;
                // Rendered again after the drop has finished with its rows.
                QMetaObject::invokeMethod(
                    this,
                    [this, start, to] {
                        act([this, start, to] { form_.dragBlock(start, to); }, false);
                    },
                    Qt::QueuedConnection);
            });
    connect(editor_, &QPlainTextEdit::textChanged, this, [this] {
        if (!refreshing_) form_.setEditorText(editorText(editor_));
    });
    connect(add_, &QPushButton::clicked, this, [this] { act([this] { form_.addClick(); }); });
    connect(edit_, &QPushButton::clicked, this, [this] { act([this] { form_.editClick(); }); });
    connect(delete_, &QPushButton::clicked, this, [this] { act([this] { form_.deleteClick(); }); });
    connect(close_, &QPushButton::clicked, this, &QDialog::accept);
    form_.closeRequested = [this] { accept(); };
    refreshFromModel();
    applyFocus();
    resize(620, 320);
}

SignatureWindowDialog::~SignatureWindowDialog() {
    form_.closeRequested = nullptr;
}

void SignatureWindowDialog::act(const std::function<void()>& action, bool moveFocus) {
    action();
    refreshFromModel();
    if (moveFocus) applyFocus();
}

void SignatureWindowDialog::applyFocus() {
    QWidget* focus = form_.focus() == SignatureFocus::AddButton ? static_cast<QWidget*>(add_)
                     : form_.focus() == SignatureFocus::List    ? static_cast<QWidget*>(list_)
                                                                : editor_;
    if (focus->isEnabled()) focus->setFocus(Qt::OtherFocusReason);
}

void SignatureWindowDialog::refreshFromModel() {
    refreshing_ = true;
    setWindowTitle(toQt(form_.caption()));
    const auto& blocks = form_.list().blocks;
    bool same = list_->count() == static_cast<int>(blocks.size());
    for (int i = 0; same && i < list_->count(); ++i)
        same = list_->item(i)->text() == toQt(blocks[static_cast<std::size_t>(i)].name);
    if (!same) {
        list_->clear();
        for (const auto& block : blocks) list_->addItem(toQt(block.name));
    }
    list_->setCurrentRow(form_.selected());
    setEditorText(editor_, form_.editorText());
    const bool blocksThere = form_.hasBlocks();
    editor_->setEnabled(blocksThere);
    edit_->setEnabled(blocksThere);
    delete_->setEnabled(blocksThere);
    refreshing_ = false;
}

bool SignatureWindowDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool shift = key->modifiers() & Qt::ShiftModifier;
        const std::optional<profiles::RankKey> rankKey = rankKeyOf(*key);
        if (rankKey) {
            act([this, rankKey, shift] { form_.rankKey(*rankKey, shift); }, false);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SignatureWindowDialog::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("popSignatureMenu"));
    const std::size_t caret = caretBytes(editor_);
    // Pasting goes to the caret, which only the widget knows.
    ViewCommands own{{"popPasteSignature", [this, caret] { form_.pasteAt(caret); }}};
    fillMenu(
        &menu, form_.popupMenu(), [this](const std::function<void()>& command) { act(command); },
        own);
    menu.exec(event->globalPos());
}

void registerSignatureWindowView() {
    compose::setSignatureWindowView([](TsignatureForm& form) {
        SignatureWindowDialog dialog(form, QApplication::activeWindow());
        dialog.exec();
    });
}

}  // namespace velmora::desktop
