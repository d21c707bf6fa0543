#include "desktop/read_window_view.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QStyle>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/identity.h"
#include "core/error_report.h"
#include "desktop/editor_text.h"
#include "desktop/font_setting.h"
#include "desktop/menu_builder.h"
#include "desktop/text_convert.h"
#include "reading/folder_window.h"

namespace velmora::desktop {

using reading::ReadPage;

ReadWindowView::ReadWindowView(reading::TreadForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TreadForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("tabsRead"));
    tabs_->setAccessibleName(QStringLiteral("Message pages"));
    static const char* const kTextNames[] = {"richEditFullHeaders", "richEditNormalHeaders",
                                             "richEditBodyOnly"};
    QFont font;
    if (reading::TinboxForm* owner = model_.owner()) {
        font = toQFont(owner->settings().read.font);
    }
    for (int tab = 0; tab < 3; ++tab) {
        auto* text = new QPlainTextEdit(tabs_);
        text->setObjectName(QString::fromLatin1(kTextNames[tab]));
        text->setAccessibleName(QStringLiteral("Message text, ") +
                                QString::fromLatin1(reading::kReadTabCaptions[tab]));
        text->setReadOnly(true);
        text->setFont(font);
        text->setContextMenuPolicy(Qt::CustomContextMenu);
        text->installEventFilter(this);
        connect(text, &QWidget::customContextMenuRequested, this,
                [this, text](const QPoint& at) { showMenu(at, text->viewport()); });
        texts_[tab] = text;
        // Only the page shown has a selection: the others are emptied when it changes.
        connect(text, &QPlainTextEdit::selectionChanged, this, [this, text] {
            if (tabs_->currentWidget() == text) model_.setSelectedText(selectedEditorText(text));
        });
        tabs_->addTab(text, QString::fromLatin1(reading::kReadTabCaptions[tab]));
    }
    attachments_ = new QListWidget(tabs_);
    attachments_->setObjectName(QStringLiteral("lvAttachments"));
    attachments_->setAccessibleName(QStringLiteral("File(s) Attachment List"));
    attachments_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    attachments_->setContextMenuPolicy(Qt::CustomContextMenu);
    attachments_->installEventFilter(this);
    tabs_->addTab(attachments_, QString());
    layout->addWidget(tabs_);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int tab) {
        if (filling_) return;
        run([&] { model_.choosePage(reading::pageOfTab(tab)); });
    });
    connect(attachments_, &QListWidget::itemSelectionChanged, this,
            [this] { syncAttachmentSelection(); });
    connect(attachments_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_) model_.setCurrentAttachment(row);
    });
    connect(attachments_, &QListWidget::itemDoubleClicked, this,
            [this] { run([this] { model_.openAttachment(); }); });
    connect(attachments_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showMenu(at, attachments_->viewport()); });
    refreshFromModel();
}

void ReadWindowView::run(const std::function<void()>& command) {
    reading::TinboxForm* owner = model_.owner();
    if (!owner) {
        command();
        return;
    }
    core::runReported(owner->platform().dialogs, kProductName, command);
}

void ReadWindowView::showMenu(const QPoint& at, QWidget* over) {
    QMenu popup(this);
    popup.setObjectName(QStringLiteral("popRead"));
    popup.setAccessibleName(QStringLiteral("Read window menu"));
    const int tab = tabs_->currentIndex();
    const ViewCommands own = {{"popRead_CopyText", [this, tab] {
                                   if (tab < 3 && texts_[tab]->textCursor().hasSelection()) {
                                       texts_[tab]->copy();
                                   } else {
                                       QApplication::clipboard()->setText(
                                           toQtReadable(model_.text()));
                                   }
                               }}};
    fillMenu(
        &popup, model_.popupMenu(), [this](const std::function<void()>& c) { run(c); }, own);
    popup.exec(over->mapToGlobal(at));
}

void ReadWindowView::syncAttachmentSelection() {
    if (filling_) return;
    for (int row = 0; row < attachments_->count(); ++row)
        model_.setAttachmentSelected(static_cast<std::size_t>(row),
                                     attachments_->item(row)->isSelected());
}

void ReadWindowView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    const int tab = reading::tabOfPage(model_.page());
    if (tabs_->currentIndex() != tab) tabs_->setCurrentIndex(tab);
    if (tab < 3 && model_.text() != shownText_) {
        shownText_ = model_.text();
        texts_[tab]->setPlainText(toQtReadable(shownText_));
        texts_[tab]->moveCursor(QTextCursor::Start);
    }
    QStringList paths;
    for (const auto& path : model_.attachments()) paths << toQt(path);
    QStringList shown;
    for (int row = 0; row < attachments_->count(); ++row) shown << attachments_->item(row)->text();
    if (paths != shown) {
        attachments_->clear();
        attachments_->addItems(paths);
    }
    for (int row = 0; row < attachments_->count(); ++row)
        attachments_->item(row)->setSelected(
            model_.isAttachmentSelected(static_cast<std::size_t>(row)));
    if (model_.currentAttachment() >= 0)
        attachments_->setCurrentRow(model_.currentAttachment(), QItemSelectionModel::NoUpdate);
    tabs_->setTabText(3, toQt(model_.attachmentsTabCaption()));
    tabs_->setTabIcon(3, model_.attachments().empty()
                             ? QIcon()
                             : QApplication::style()->standardIcon(QStyle::SP_FileLinkIcon));
    filling_ = false;
}

bool ReadWindowView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return ChildView::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() == Qt::Key_Escape) {
        run([this] { model_.escapePressed(); });
        return true;
    }
    if (watched == attachments_) {
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            run([this] { model_.openAttachment(); });
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            run([this] { model_.deleteSelectedAttachments(); });
            return true;
        }
        if (key->matches(QKeySequence::SelectAll)) {
            model_.selectAllAttachments();
            refreshFromModel();
            return true;
        }
        return false;
    }
    if (key->key() == Qt::Key_Delete) {
        run([this] { model_.deleteMessage(); });
        return true;
    }
    return ChildView::eventFilter(watched, event);
}

void registerReadWindowView() {
    registerChildView("Read", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* read = dynamic_cast<reading::TreadForm*>(&window);
        return read ? new ReadWindowView(*read, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
