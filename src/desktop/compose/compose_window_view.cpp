#include "desktop/compose/compose_window_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "base/text_file.h"
#include "compose/outgoing.h"
#include "desktop/editor_text.h"
#include "desktop/font_setting.h"
#include "desktop/menu_builder.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

using compose::AddressField;
using compose::ComposePage;

constexpr const char* kPlainNames[3] = {"txtTo", "txtCC", "txtBCC"};
constexpr const char* kPlainLabels[3] = {"To:", "CC:", "BCC:"};
constexpr const char* kListNames[3] = {"memoTo", "memoCC", "memoBCC"};
// Entries dragged from an address-book list: the owning view's id, then the rows, one a line.
constexpr const char* kEntriesMime = "application/x-velmora-address-entries";

// The address-book list, whose drags carry the rows of the selected entries.
class AddressBookTable final : public QTableWidget {
  public:
    AddressBookTable(QString owner, QWidget* parent)
        : QTableWidget(0, 3, parent), owner_(std::move(owner)) {}

  protected:
    QMimeData* mimeData(const QList<QTableWidgetItem*>& items) const override {
        QList<int> rows;
        for (const QTableWidgetItem* item : items)
            if (!rows.contains(item->row())) rows.push_back(item->row());
        std::sort(rows.begin(), rows.end());
        QStringList lines{owner_};
        for (const int row : rows) lines.push_back(QString::number(row));
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(kEntriesMime), lines.join(QLatin1Char('\n')).toUtf8());
        return data;
    }

  private:
    QString owner_;
};

void setLineText(QLineEdit* edit, const std::string& text) {
    if (fromQt(edit->text()) != text) edit->setText(toQt(text));
}

void runCommand(const std::function<void()>& command) {
    if (command) command();
}

}  // namespace

ComposeWindowView::ComposeWindowView(compose::TcomposeForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TcomposeForm"));
    setAccessibleName(QStringLiteral("Compose window"));
    auto* layout = new QVBoxLayout(this);
    tabs_ = new QTabWidget(this);
    tabs_->setObjectName(QStringLiteral("pageControlCompose"));
    tabs_->setAccessibleName(QStringLiteral("Compose pages"));
    tabs_->addTab(composePage(), QStringLiteral("Compose"));
    body_ = new QPlainTextEdit(tabs_);
    body_->setObjectName(QStringLiteral("richEditBody"));
    body_->setAccessibleName(QStringLiteral("Body"));
    applyFontSetting(*body_, model_.bodyFont(), QPalette::Text);
    tabs_->addTab(body_, QStringLiteral("Body"));
    reportSelection(body_, model_);
    tabs_->addTab(optionsPage(), QStringLiteral("Options"));
    for (AddressField f : {AddressField::To, AddressField::CC, AddressField::BCC})
        tabs_->addTab(listPage(f), QString());
    tabs_->addTab(attachmentsPage(), QStringLiteral("Attachment"));
    tabs_->tabBar()->setAcceptDrops(true);
    tabs_->tabBar()->setChangeCurrentOnDrag(true);
    layout->addWidget(tabs_);

    auto* buttons = new QHBoxLayout;
    send_ = new QPushButton(QStringLiteral("&Send Message"), this);
    send_->setObjectName(QStringLiteral("cmdSend"));
    send_->setAccessibleName(QStringLiteral("Send Message"));
    outBox_ = new QPushButton(QStringLiteral("OutBox"), this);
    outBox_->setObjectName(QStringLiteral("cmdOutBox"));
    outBox_->setAccessibleName(QStringLiteral("Move Message To OutBox"));
    buttons->addStretch();
    buttons->addWidget(outBox_);
    buttons->addWidget(send_);
    layout->addLayout(buttons);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (!filling_) model_.tabClicked(static_cast<ComposePage>(index));
    });
    connect(body_, &QPlainTextEdit::textChanged, this, [this] {
        if (!filling_) model_.setBody(editorText(body_));
    });
    connect(body_, &QPlainTextEdit::cursorPositionChanged, this, [this] {
        if (!filling_) model_.setCaretLine(body_->textCursor().blockNumber());
    });
    connect(send_, &QPushButton::clicked, this, [this] { model_.sendMessageClick(); });
    connect(outBox_, &QPushButton::clicked, this, [this] { model_.moveTo("OutBox"); });
    // Once the model is gone nothing may reach it: a field losing focus as the frame hides
    // would otherwise run its leave step on a closed window.
    model_.onClosed = [view = QPointer<ComposeWindowView>(this)] {
        if (!view) return;
        for (QObject* child : view->findChildren<QObject*>())
            QObject::disconnect(child, nullptr, view, nullptr);
        view->closed_ = true;
    };
    refreshFromModel();
}

bool ComposeWindowView::eventFilter(QObject* watched, QEvent* event) {
    // Typing in the address-book list searches it; Enter inserts the entry found.
    if (watched == addressBook_ && event->type() == QEvent::KeyPress && !closed_) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            const auto& book = model_.addressBook();
            const int row = model_.addressBookRow();
            if (row >= 0 && row < static_cast<int>(book.size())) {
                AddressField field = AddressField::To;
                if (model_.page() == ComposePage::Compose &&
                    (key->modifiers() & Qt::ControlModifier))
                    field = AddressField::CC;
                else if (model_.page() == ComposePage::CC)
                    field = AddressField::CC;
                else if (model_.page() == ComposePage::BCC)
                    field = AddressField::BCC;
                model_.insertEntry(book[static_cast<std::size_t>(row)], field);
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace) {
            model_.typeAheadBackspace();
            refreshFromModel();
            return true;
        }
        if (key->key() == Qt::Key_Escape) {
            model_.resetTypeAhead();
            refreshFromModel();
            return true;
        }
        if (text.size() == 1 && text[0] >= QLatin1Char('0') && text[0] <= QLatin1Char('~')) {
            model_.typeAhead(text[0].toLatin1());
            refreshFromModel();
            return true;
        }
    }
    // Address-book entries dropped on a plain field or a list page.
    if (!closed_ && (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
                     event->type() == QEvent::Drop)) {
        const auto field = dropField(watched);
        auto* drag = static_cast<QDropEvent*>(event);
        const QStringList lines =
            QString::fromUtf8(drag->mimeData()->data(QString::fromLatin1(kEntriesMime)))
                .split(QLatin1Char('\n'));
        // Only this window's own entries: another window's rows are of its own book.
        if (field && lines.first() == QString::number(reinterpret_cast<quintptr>(this), 16)) {
            if (event->type() == QEvent::Drop) {
                std::vector<int> rows;
                for (qsizetype i = 1; i < lines.size(); ++i) rows.push_back(lines[i].toInt());
                model_.dropEntries(rows, *field);
                refreshFromModel();
            }
            drag->acceptProposedAction();
            return true;
        }
    }
    // Files dropped on the attachment list are attached.
    if (attachments_ && watched == attachments_->viewport() && !closed_) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (drag->mimeData()->hasUrls()) {
                drag->acceptProposedAction();
                return true;
            }
        } else if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            std::vector<std::filesystem::path> paths;
            for (const QUrl& url : drop->mimeData()->urls())
                if (url.isLocalFile()) paths.push_back(pathFromQt(url.toLocalFile()));
            model_.addAttachments(paths);
            drop->acceptProposedAction();
            refreshFromModel();
            return true;
        }
    }
    return ChildView::eventFilter(watched, event);
}

std::optional<AddressField> ComposeWindowView::dropField(QObject* watched) const {
    for (int i = 0; i < 3; ++i)
        if (watched == plain_[i] || (lists_[i] && watched == lists_[i]->viewport()))
            return static_cast<AddressField>(i);
    return std::nullopt;
}

QLineEdit* ComposeWindowView::lineEdit(const char* name, const char* accessible, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setAccessibleName(QString::fromLatin1(accessible));
    return edit;
}

QWidget* ComposeWindowView::composePage() {
    auto* page = new QWidget;
    auto* form = new QFormLayout(page);
    from_ = lineEdit("txtFrom", "From", page);
    replyTo_ = lineEdit("txtReplyTo", "Reply To", page);
    subject_ = lineEdit("txtSubject", "Subject", page);
    form->addRow(QStringLiteral("From:"), from_);
    form->addRow(QStringLiteral("Reply To:"), replyTo_);
    for (int i = 0; i < 3; ++i) {
        plain_[i] = lineEdit(kPlainNames[i], kPlainLabels[i], page);
        plain_[i]->installEventFilter(this);
        form->addRow(QString::fromLatin1(kPlainLabels[i]), plain_[i]);
        const auto field = static_cast<AddressField>(i);
        connect(plain_[i], &QLineEdit::textEdited, this,
                [this, i, field] { model_.setPlain(field, fromQt(plain_[i]->text())); });
        connect(plain_[i], &QLineEdit::editingFinished, this, [this, field] {
            if (!filling_) model_.leavePlain(field);
        });
    }
    form->addRow(QStringLiteral("Subject:"), subject_);
    signatures_ = new QComboBox(page);
    signatures_->setObjectName(QStringLiteral("cbo_SignatureBlocks"));
    signatures_->setAccessibleName(QStringLiteral("Signature block"));
    form->addRow(QStringLiteral("Signature:"), signatures_);
    signatureText_ = new QPlainTextEdit(page);
    signatureText_->setObjectName(QStringLiteral("richEdit_Signature"));
    signatureText_->setAccessibleName(QStringLiteral("Signature text"));
    applyFontSetting(*signatureText_, model_.signatureFont(), QPalette::Text);
    // At least three lines of the signature and four address book rows stay visible: the frame
    // grows to them rather than squeezing them to a strip.
    const int signatureLines = signatureText_->fontMetrics().lineSpacing() * 3;
    signatureText_->setMinimumHeight(
        std::min(80, signatureLines + 2 * signatureText_->frameWidth() + 8));
    signatureText_->setMaximumHeight(80);
    form->addRow(QString(), signatureText_);
    books_ = new QComboBox(page);
    books_->setObjectName(QStringLiteral("cboAddressBooks"));
    books_->setAccessibleName(QStringLiteral("Address book shown"));
    form->addRow(QStringLiteral("Address book:"), books_);
    connect(books_, &QComboBox::activated, this, [this](int index) {
        // The choice lists the entries of the model's "Address Boo&ks" sub-menu.
        const platform::Menu menu = model_.addressBookMenu();
        if (index >= 0 && index < static_cast<int>(menu.size()))
            runCommand(menu[static_cast<std::size_t>(index)].command);
    });
    addressBook_ =
        new AddressBookTable(QString::number(reinterpret_cast<quintptr>(this), 16), page);
    addressBook_->setObjectName(QStringLiteral("lvAddressBook"));
    addressBook_->setAccessibleName(QStringLiteral("Address book"));
    addressBook_->setHorizontalHeaderLabels(
        {QStringLiteral("NickName"), QStringLiteral("Full Name"), QStringLiteral("Email Address")});
    addressBook_->setSelectionBehavior(QAbstractItemView::SelectRows);
    addressBook_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    addressBook_->verticalHeader()->hide();
    addressBook_->horizontalHeader()->setStretchLastSection(true);
    addressBook_->installEventFilter(this);
    // Selected entries are dragged onto an address field or a list page (the tabs open under
    // the drag).
    addressBook_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    addressBook_->setDragEnabled(true);
    addressBook_->setDragDropMode(QAbstractItemView::DragOnly);
    addressBook_->setMinimumHeight(addressBook_->horizontalHeader()->sizeHint().height() +
                                   4 * addressBook_->verticalHeader()->defaultSectionSize() +
                                   2 * addressBook_->frameWidth());
    form->addRow(QString(), addressBook_);
    typeAhead_ = new QLabel(page);
    typeAhead_->setObjectName(QStringLiteral("lblTypeAhead"));
    typeAhead_->setAccessibleName(QStringLiteral("Type-ahead search"));
    form->addRow(QString(), typeAhead_);

    connect(from_, &QLineEdit::textEdited, this, [this] { model_.setFrom(fromQt(from_->text())); });
    connect(replyTo_, &QLineEdit::textEdited, this,
            [this] { model_.setReplyTo(fromQt(replyTo_->text())); });
    connect(subject_, &QLineEdit::textEdited, this,
            [this] { model_.setSubject(fromQt(subject_->text())); });
    connect(subject_, &QLineEdit::editingFinished, this, [this] {
        if (!filling_) model_.leaveSubject();
    });
    connect(signatures_, &QComboBox::activated, this,
            [this](int index) { model_.chooseSignature(index); });
    connect(signatureText_, &QPlainTextEdit::textChanged, this, [this] {
        if (!filling_) model_.editSignatureText(editorText(signatureText_));
    });
    connect(addressBook_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        const auto& book = model_.addressBook();
        if (row >= 0 && row < static_cast<int>(book.size()))
            model_.insertEntry(book[static_cast<std::size_t>(row)], AddressField::To);
    });
    return page;
}

QWidget* ComposeWindowView::optionsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    static constexpr const char* kNames[5] = {"chkCloseAfterSending", "chkDeliverlyAck",
                                              "chkReadAck", "chkSaveToSentFolder",
                                              "chkSendOneRecipientPer"};
    static constexpr const char* kCaptions[5] = {
        "Close window after sending message", "Request delivery acknowledgement",
        "Request read acknowledgement", "Save message to 'Sent' folder",
        "Send with one To: recipient per message"};
    for (int i = 0; i < 5; ++i) {
        options_[i] = new QCheckBox(QString::fromLatin1(kCaptions[i]), page);
        options_[i]->setObjectName(QString::fromLatin1(kNames[i]));
        options_[i]->setAccessibleName(QString::fromLatin1(kCaptions[i]));
        layout->addWidget(options_[i]);
        connect(options_[i], &QCheckBox::toggled, this, [this, i](bool on) {
            if (filling_) return;
            auto& o = model_.options();
            switch (i) {
                case 0:
                    o.closeAfterSending = on;
                    break;
                case 1:
                    o.deliveryAck = on;
                    break;
                case 2:
                    o.readAck = on;
                    break;
                case 3:
                    o.saveToSent = on;
                    break;
                default:
                    model_.setSendOnePer(on);
                    break;
            }
        });
    }
    priority_ = new QComboBox(page);
    priority_->setObjectName(QStringLiteral("cboPriority"));
    priority_->setAccessibleName(QStringLiteral("Priority"));
    priority_->addItems({QStringLiteral("High"), QStringLiteral("Normal"), QStringLiteral("Low")});
    layout->addWidget(priority_);
    layout->addStretch();
    connect(priority_, &QComboBox::activated, this,
            [this](int index) { model_.setPriority(static_cast<compose::Priority>(index)); });
    return page;
}

QWidget* ComposeWindowView::listPage(AddressField field) {
    auto* edit = new QPlainTextEdit;
    const int i = static_cast<int>(field);
    edit->setObjectName(QString::fromLatin1(kListNames[i]));
    edit->setAccessibleName(QString::fromLatin1(kPlainLabels[i]) +
                            QStringLiteral(" one address per line"));
    lists_[i] = edit;
    edit->viewport()->installEventFilter(this);
    connect(edit, &QPlainTextEdit::textChanged, this, [this, i, field] {
        if (filling_) return;
        model_.setLines(field, splitLines(fromQt(lists_[i]->toPlainText())));
    });
    return edit;
}

QWidget* ComposeWindowView::attachmentsPage() {
    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    attachments_ = new QListWidget(page);
    attachments_->setObjectName(QStringLiteral("lstAttachments"));
    attachments_->setAccessibleName(QStringLiteral("Attachments"));
    attachments_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    attachments_->setAcceptDrops(true);
    attachments_->viewport()->setAcceptDrops(true);
    attachments_->viewport()->installEventFilter(this);
    auto* row = new QHBoxLayout;
    auto* add = new QPushButton(QStringLiteral("Add --->"), page);
    add->setObjectName(QStringLiteral("cmdAddAttachment"));
    add->setAccessibleName(QStringLiteral("Add attachments"));
    auto* remove = new QPushButton(QStringLiteral("Remove"), page);
    remove->setObjectName(QStringLiteral("cmdRemoveAttachment"));
    remove->setAccessibleName(QStringLiteral("Remove attachments"));
    row->addWidget(add);
    row->addWidget(remove);
    recent_ = new QListWidget(page);
    recent_->setObjectName(QStringLiteral("lstRecentAttachments"));
    recent_->setAccessibleName(QStringLiteral("Recently used attachments"));
    auto* addRecent = new QPushButton(QStringLiteral("<--- Add"), page);
    addRecent->setObjectName(QStringLiteral("cmdAddRecent"));
    addRecent->setAccessibleName(QStringLiteral("Attach the recently used file"));
    capture_ = new QCheckBox(QStringLiteral("Capture"), page);
    capture_->setObjectName(QStringLiteral("chkCapture"));
    capture_->setAccessibleName(QStringLiteral("Capture attached files in the recently used list"));
    layout->addWidget(attachments_);
    layout->addLayout(row);
    layout->addWidget(new QLabel(QStringLiteral("Recently used attachments"), page));
    layout->addWidget(recent_);
    layout->addWidget(addRecent);
    layout->addWidget(capture_);
    connect(add, &QPushButton::clicked, this, [this] { model_.addAttachmentsClick(); });
    connect(remove, &QPushButton::clicked, this, [this] {
        std::vector<int> rows;
        for (const QListWidgetItem* item : attachments_->selectedItems())
            rows.push_back(attachments_->row(item));
        model_.removeAttachments(rows);
    });
    connect(addRecent, &QPushButton::clicked, this,
            [this] { model_.attachRecent(recent_->currentRow()); });
    connect(capture_, &QCheckBox::toggled, this, [this](bool on) {
        if (!filling_) model_.setCapture(on);
    });
    return page;
}

void ComposeWindowView::refreshFromModel() {
    if (filling_ || closed_) return;
    filling_ = true;
    setWindowTitle(toQt(model_.caption()));
    setLineText(from_, model_.from());
    setLineText(replyTo_, model_.replyTo());
    for (int i = 0; i < 3; ++i) {
        const auto field = static_cast<AddressField>(i);
        setLineText(plain_[i], model_.plain(field));
        setEditorText(lists_[i], joinLines(model_.lines(field), false));
    }
    setLineText(subject_, model_.subject());
    const bool bodyReplaced = editorText(body_) != joinLines(splitLines(model_.body()), false);
    setEditorText(body_, model_.body());
    // A body the model put there (a reply's layout) starts with the caret on its line.
    if (bodyReplaced)
        body_->setTextCursor(QTextCursor(body_->document()->findBlockByNumber(model_.caretLine())));
    setEditorText(signatureText_, model_.signatureText());
    signatures_->clear();
    for (const auto& block : model_.signatureChoice().blocks)
        signatures_->addItem(toQt(block.name));
    signatures_->setCurrentIndex(model_.chosenSignature());

    books_->clear();
    for (const auto& entry : model_.addressBookMenu()) {
        books_->addItem(toQt(entry.caption));
        if (entry.checked) books_->setCurrentIndex(books_->count() - 1);
    }
    books_->setEnabled(books_->count() > 0);
    const auto& book = model_.addressBook();
    addressBook_->setRowCount(static_cast<int>(book.size()));
    for (int row = 0; row < static_cast<int>(book.size()); ++row) {
        const auto& entry = book[static_cast<std::size_t>(row)];
        const std::string texts[3] = {
            entry.nickName, entry.fullName,
            entry.addresses.empty() ? std::string() : entry.addresses.front()};
        for (int column = 0; column < 3; ++column) {
            QTableWidgetItem* item = addressBook_->item(row, column);
            if (!item) addressBook_->setItem(row, column, item = new QTableWidgetItem);
            item->setText(toQt(texts[column]));
        }
    }
    if (model_.addressBookRow() >= 0) addressBook_->selectRow(model_.addressBookRow());
    typeAhead_->setText(toQt(model_.typeAheadText()));

    const auto& o = model_.options();
    const bool values[5] = {o.closeAfterSending, o.deliveryAck, o.readAck, o.saveToSent,
                            o.sendOnePer};
    for (int i = 0; i < 5; ++i) options_[i]->setChecked(values[i]);
    priority_->setCurrentIndex(static_cast<int>(model_.priority()));

    attachments_->clear();
    for (const auto& path : model_.attachments()) {
        // A stored (forwarded or reopened) attachment by the name it had in its message.
        auto* item = new QListWidgetItem(toQt(compose::attachmentNameOf(path)), attachments_);
        item->setToolTip(toQt(path));
    }
    recent_->clear();
    for (const auto& path : model_.recent().paths) recent_->addItem(toQt(path));
    capture_->setChecked(model_.recent().capture);

    for (int page = 0; page < compose::kComposePageCount; ++page) {
        const auto p = static_cast<ComposePage>(page);
        tabs_->setTabText(
            page, toQt(model_.tabCaption(p)).replace(QLatin1Char('&'), QStringLiteral("&&")));
        tabs_->tabBar()->setTabTextColor(page,
                                         model_.tabMarked(p) ? QColor(Qt::darkRed) : QColor());
    }
    tabs_->setCurrentIndex(static_cast<int>(model_.page()));
    send_->setEnabled(model_.sendEnabled());
    outBox_->setEnabled(model_.sendEnabled());
    filling_ = false;
}

void ComposeWindowView::contextMenuEvent(QContextMenuEvent* event) {
    if (closed_) return;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("popComposeMenu"));
    fillMenu(&menu, model_.popupMenu(), runCommand);
    menu.exec(event->globalPos());
}

void ComposeWindowView::keyPressEvent(QKeyEvent* event) {
    if (closed_) return;
    if (event->key() == Qt::Key_Escape) {
        model_.pressEscape(event->modifiers() & Qt::ShiftModifier);
        return;
    }
    if (event->key() == Qt::Key_F5) {
        model_.sendMessageClick();
        return;
    }
    ChildView::keyPressEvent(event);
}

void registerComposeWindowView() {
    registerChildView("Compose", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* compose = dynamic_cast<compose::TcomposeForm*>(&window);
        return compose ? new ComposeWindowView(*compose, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
