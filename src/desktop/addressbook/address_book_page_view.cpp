#include "desktop/addressbook/address_book_page_view.h"

#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "addressbook/import_form.h"
#include "addressbook/order_form.h"
#include "core/address_book_hooks.h"
#include "desktop/addressbook/address_book_dialogs.h"
#include "desktop/addressbook/entry_list_model.h"
#include "desktop/menu_builder.h"
#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

std::vector<std::string> linesOf(const QPlainTextEdit* edit) {
    std::vector<std::string> lines;
    const QString text = edit->toPlainText();
    if (text.isEmpty()) return lines;
    for (const QString& line : text.split(QLatin1Char('\n'))) lines.push_back(fromQt(line));
    return lines;
}

QString joined(const std::vector<std::string>& lines) {
    QStringList out;
    for (const std::string& line : lines) out << toQt(line);
    return out.join(QLatin1Char('\n'));
}

}  // namespace

AddressBookPageView::AddressBookPageView(addressbook::AddressBooksPage& page,
                                         core::AddressBookHooks* hooks, Runner run, QWidget* parent)
    : QWidget(parent), page_(page), hooks_(hooks), run_(std::move(run)) {
    setObjectName(QStringLiteral("AddressBooksPage"));
    auto* layout = new QVBoxLayout(this);

    bookControls_ = new QWidget(this);
    auto* bookRow = new QHBoxLayout(bookControls_);
    bookRow->setContentsMargins(0, 0, 0, 0);
    books_ = named(new QComboBox(this), "cboAddressBooks", QStringLiteral("Address Book"));
    bookLabel_ = named(new QLabel(this), "lblAddressBook", QStringLiteral("Address Book position"));
    newBook_ = named(new QPushButton(QStringLiteral("New"), this), "cmdNewAddressBook",
                     QStringLiteral("New"));
    editBook_ = named(new QPushButton(QStringLiteral("Edit Name"), this), "cmdEditAddressBook",
                      QStringLiteral("Edit Name"));
    removeBook_ = named(new QPushButton(QStringLiteral("Remove"), this), "cmdRemoveAddressBook",
                        QStringLiteral("Remove"));
    backup_ = named(new QPushButton(QStringLiteral("Backup"), this), "cmdBackupAddressBook",
                    QStringLiteral("Backup"));
    bookRow->addWidget(books_, 1);
    for (QWidget* w :
         std::initializer_list<QWidget*>{bookLabel_, newBook_, editBook_, removeBook_, backup_})
        bookRow->addWidget(w);
    layout->addWidget(bookControls_);

    auto* body = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    list_ = named(new QTreeView(this), "lvAddressBook", QStringLiteral("Address Book Entries"));
    model_ = new EntryListModel(page_, list_);
    list_->setModel(model_);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->header()->setSectionsClickable(true);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->installEventFilter(this);
    left->addWidget(list_, 1);
    entriesLabel_ = named(new QLabel(this), "lblEntries", QStringLiteral("Entries"));
    typeAhead_ = named(new QLabel(this), "lblTypeAhead", QStringLiteral("Type Ahead"));
    left->addWidget(entriesLabel_);
    left->addWidget(typeAhead_);
    auto* entryButtons = new QHBoxLayout;
    add_ = named(new QPushButton(QStringLiteral("&Add"), this), "cmdAdd",
                 QStringLiteral("Add Email Entry"));
    delete_ = named(new QPushButton(QStringLiteral("&Delete"), this), "cmdDelete",
                    QStringLiteral("Delete Email Entry"));
    save_ = named(new QPushButton(QStringLiteral("&Save"), this), "cmdSave",
                  QStringLiteral("Save Address Book"));
    for (QPushButton* b : {add_, delete_, save_}) entryButtons->addWidget(b);
    left->addLayout(entryButtons);
    body->addLayout(left, 2);

    auto* right = new QVBoxLayout;
    auto* form = new QFormLayout;
    fullName_ = named(new QLineEdit(this), "txtFullName", QStringLiteral("Full Name:"));
    nickname_ = named(new QLineEdit(this), "txtNickname", QStringLiteral("Nickname:"));
    fullName_->installEventFilter(this);
    nickname_->installEventFilter(this);
    form->addRow(QStringLiteral("Full Name:"), fullName_);
    form->addRow(QStringLiteral("Nickname:"), nickname_);
    right->addLayout(form);
    auto* tabs = new QTabWidget(this);
    auto* addressPage = new QWidget(tabs);
    auto* addressLayout = new QVBoxLayout(addressPage);
    addressesLabel_ = new QLabel(addressPage);
    addresses_ = named(new QPlainTextEdit(addressPage), "richEditAddresses",
                       QStringLiteral("Email Addresses"));
    addresses_->installEventFilter(this);
    // In build mode entries dragged from the list onto the pane give it their addresses.
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    addresses_->viewport()->setAcceptDrops(true);
    addresses_->viewport()->installEventFilter(this);
    addressLayout->addWidget(addressesLabel_);
    addressLayout->addWidget(addresses_, 1);
    tabs->addTab(addressPage, QStringLiteral("Addresses"));
    notes_ = named(new QPlainTextEdit(tabs), "richEditNotes", QStringLiteral("Notes"));
    tabs->addTab(notes_, QStringLiteral("Notes"));
    right->addWidget(tabs, 1);

    auto* checks = new QHBoxLayout;
    mailingList_ = named(new QCheckBox(QStringLiteral("Mailing List"), this), "chkMailingList",
                         QStringLiteral("Mailing List"));
    buildList_ = named(new QCheckBox(QStringLiteral("Build Mailing List"), this),
                       "chkBuildMailingList", QStringLiteral("Build Mailing List"));
    checks->addWidget(mailingList_);
    checks->addWidget(buildList_);
    right->addLayout(checks);
    buildLabel_ = named(new QLabel(toQt(std::string(addressbook::kBuildModeLabel)), this),
                        "lblBuildMode", QStringLiteral("Build mode"));
    right->addWidget(buildLabel_);
    listFields_ = new QWidget(this);
    auto* listForm = new QFormLayout(listFields_);
    listFrom_ = named(new QLineEdit(listFields_), "txtListFrom", QStringLiteral("From:"));
    listTo_ = named(new QLineEdit(listFields_), "txtListTo", QStringLiteral("To:"));
    listReplyTo_ = named(new QLineEdit(listFields_), "txtListReplyTo", QStringLiteral("Reply-To:"));
    listTo_->installEventFilter(this);
    listReplyTo_->installEventFilter(this);
    listForm->addRow(QStringLiteral("From:"), listFrom_);
    listForm->addRow(QStringLiteral("To:"), listTo_);
    listForm->addRow(QStringLiteral("Reply-To:"), listReplyTo_);
    listCount_ =
        named(new QLabel(listFields_), "lblMailingListCount", QStringLiteral("Mailing List Count"));
    listForm->addRow(listCount_);
    right->addWidget(listFields_);
    body->addLayout(right, 3);
    layout->addLayout(body, 1);

    connect(books_, &QComboBox::activated, this, [this](int index) {
        const auto names = page_.books().names();
        if (index >= 0 && index < static_cast<int>(names.size()))
            act([this, name = names[static_cast<std::size_t>(index)]] { page_.selectBook(name); });
    });
    connect(newBook_, &QPushButton::clicked, this,
            [this] { act([this] { page_.newBookClick(); }); });
    connect(editBook_, &QPushButton::clicked, this,
            [this] { act([this] { page_.editNameClick(); }); });
    connect(removeBook_, &QPushButton::clicked, this,
            [this] { act([this] { page_.removeClick(); }); });
    connect(backup_, &QPushButton::clicked, this, [this] { act([this] { page_.backupClick(); }); });
    connect(add_, &QPushButton::clicked, this, [this] { act([this] { page_.addClick(); }); });
    connect(delete_, &QPushButton::clicked, this, [this] { act([this] { page_.deleteClick(); }); });
    connect(save_, &QPushButton::clicked, this, [this] { act([this] { page_.saveClick(); }); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (updating_) return;
        std::vector<int> rows;
        for (const QModelIndex& index : list_->selectionModel()->selectedRows())
            rows.push_back(index.row());
        act([this, rows] { page_.setSelection(rows); });
    });
    connect(list_->header(), &QHeaderView::sectionClicked, this,
            [this](int column) { act([this, column] { page_.sortBy(column); }); });
    connect(list_->header(), &QHeaderView::sectionResized, this, [this](int, int, int) {
        if (!updating_) page_.setColumnWidths(list_->columnWidth(0), list_->columnWidth(1));
    });
    connect(fullName_, &QLineEdit::textEdited, this,
            [this](const QString& t) { act([this, t] { page_.editFullName(fromQt(t)); }); });
    connect(nickname_, &QLineEdit::textEdited, this,
            [this](const QString& t) { act([this, t] { page_.editNickname(fromQt(t)); }); });
    connect(nickname_, &QLineEdit::returnPressed, this, [this] {
        act([this] { page_.nicknameEnter(); });
        addresses_->setFocus();
        addresses_->moveCursor(QTextCursor::Start);
        addresses_->moveCursor(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
    });
    connect(addresses_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_) page_.editAddresses(linesOf(addresses_));
    });
    connect(notes_, &QPlainTextEdit::textChanged, this, [this] {
        if (!updating_) page_.editNotes(linesOf(notes_));
    });
    connect(mailingList_, &QCheckBox::clicked, this,
            [this](bool on) { act([this, on] { page_.setMailingList(on); }); });
    connect(buildList_, &QCheckBox::clicked, this,
            [this](bool on) { act([this, on] { page_.setBuildMode(on); }); });
    auto listField = [this](QLineEdit* edit, addressbook::PageFocus which) {
        connect(edit, &QLineEdit::textEdited, this, [this, which](const QString& t) {
            act([this, which, t] { page_.editListField(which, fromQt(t)); });
        });
    };
    listField(listFrom_, addressbook::PageFocus::ListFrom);
    listField(listTo_, addressbook::PageFocus::ListTo);
    listField(listReplyTo_, addressbook::PageFocus::ListReplyTo);

    if (hooks_) {
        hooks_->openVerification = [this] { showVerification(); };
        hooks_->openImport = [this] { showImport(); };
        hooks_->openReorder = [this] { showReorder(); };
    }
    refresh();
}

AddressBookPageView::~AddressBookPageView() {
    if (hooks_) {
        hooks_->openVerification = nullptr;
        hooks_->openImport = nullptr;
        hooks_->openReorder = nullptr;
    }
}

void AddressBookPageView::act(const std::function<void()>& action) {
    run_(action);
    refresh();
}

void AddressBookPageView::refresh() {
    updating_ = true;
    const addressbook::AddBookConfig& config = page_.config();
    books_->clear();
    for (const std::string& name : page_.books().names()) books_->addItem(toQt(name));
    books_->setCurrentIndex(page_.books().indexOf(page_.selectedBook()));
    bookLabel_->setText(toQt(page_.bookLabel()));
    const bool editable = page_.canEditBook();
    for (QWidget* w : std::initializer_list<QWidget*>{books_, editBook_, removeBook_})
        w->setEnabled(editable);
    newBook_->setEnabled(!page_.buildMode());
    backup_->setEnabled(!page_.selectedBook().empty());
    bookControls_->setVisible(config.showBooks);

    const QFont font(toQt(config.fontName), config.fontSize);
    if (list_->font() != font) list_->setFont(font);
    model_->update();
    QItemSelection selection;
    for (int r : page_.selection()) selection.select(model_->index(r, 0), model_->index(r, 1));
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (page_.currentRow() >= 0) {
        const QModelIndex current = model_->index(page_.currentRow(), 0);
        list_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        list_->scrollTo(current);
    }
    list_->setColumnWidth(0, config.nicknameWidth);
    list_->setColumnWidth(1, config.fullNameWidth);
    entriesLabel_->setText(toQt(page_.entriesLabel()));
    typeAhead_->setText(toQt(page_.typeAheadLabel()));
    add_->setEnabled(!page_.selectedBook().empty() && !page_.buildMode());
    delete_->setEnabled(!page_.selection().empty() && !page_.buildMode());
    save_->setEnabled(!page_.selectedBook().empty() && !page_.buildMode());

    const addressbook::EntryFields& f = page_.fields();
    if (fullName_->text() != toQt(f.fullName)) fullName_->setText(toQt(f.fullName));
    if (nickname_->text() != toQt(f.nickname)) nickname_->setText(toQt(f.nickname));
    if (addresses_->toPlainText() != joined(f.addresses))
        addresses_->setPlainText(joined(f.addresses));
    if (notes_->toPlainText() != joined(f.notes)) notes_->setPlainText(joined(f.notes));
    for (QWidget* w :
         std::initializer_list<QWidget*>{fullName_, nickname_, addresses_, notes_, mailingList_})
        w->setEnabled(f.enabled);
    mailingList_->setChecked(f.isMailingList);
    addressesLabel_->setText(
        f.isMailingList
            ? QStringLiteral("One member a line: a name with the address in angle brackets")
            : QStringLiteral("One email address a line"));
    listFrom_->setText(toQt(f.listFrom));
    listTo_->setText(toQt(f.listTo));
    listReplyTo_->setText(toQt(f.listReplyTo));
    for (QLineEdit* e : {listFrom_, listTo_, listReplyTo_})
        e->setEnabled(f.enabled && f.isMailingList);
    listCount_->setText(toQt(page_.mailingListCountLabel()));
    listCount_->setVisible(f.isMailingList);
    listFields_->setVisible(config.showListFields);
    buildList_->setChecked(page_.buildMode());
    buildList_->setEnabled(page_.rowCount() > 0);
    buildLabel_->setVisible(page_.buildMode());
    switch (page_.takeFocus()) {
        case addressbook::PageFocus::AddButton:
            add_->setFocus();
            break;
        case addressbook::PageFocus::FullName:
            fullName_->setFocus();
            fullName_->selectAll();
            break;
        case addressbook::PageFocus::ListFrom:
            listFrom_->setFocus();
            break;
        default:
            break;
    }
    updating_ = false;
}

bool AddressBookPageView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == addresses_->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            auto* drag = static_cast<QDropEvent*>(event);
            if (drag->source() != list_) return false;
            if (page_.buildMode())
                drag->acceptProposedAction();
            else
                drag->ignore();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto* drop = static_cast<QDropEvent*>(event);
            if (drop->source() != list_) return false;
            drop->acceptProposedAction();
            act([this] { page_.dropSelectedOnAddresses(); });
            addresses_->moveCursor(QTextCursor::End);
            return true;
        }
    }
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (key->key() == Qt::Key_Escape) {
            act([this] { page_.typeAheadEscape(); });
            return true;
        }
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            act([this] { page_.dropSelectedOnAddresses(); });
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            act([this] { page_.deleteClick(); });
            return true;
        }
        if (text.size() == 1 && text[0].unicode() >= 48 && text[0].unicode() <= 126 &&
            !(key->modifiers() & Qt::ControlModifier)) {
            const char c = static_cast<char>(text[0].unicode());
            act([this, c] { page_.typeAheadKey(c); });
            return true;
        }
        return false;
    }
    if (watched == list_ && event->type() == QEvent::KeyRelease) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down || key->key() == Qt::Key_Home ||
            key->key() == Qt::Key_End || key->key() == Qt::Key_PageUp ||
            key->key() == Qt::Key_PageDown) {
            page_.typeAheadOtherKey();
            typeAhead_->setText(toQt(page_.typeAheadLabel()));
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut) {
        if (watched == list_) {
            page_.listLeft();
            typeAhead_->setText(toQt(page_.typeAheadLabel()));
        } else if (watched == fullName_) {
            act([this] { page_.leaveFullName(); });
        } else if (watched == nickname_) {
            act([this] { page_.leaveNickname(); });
        } else if (watched == addresses_) {
            act([this] { page_.leaveAddresses(); });
        }
    } else if (event->type() == QEvent::FocusIn) {
        if (watched == listTo_)
            act([this] { page_.enterListTo(); });
        else if (watched == listReplyTo_)
            act([this] { page_.enterListReplyTo(); });
    }
    return QWidget::eventFilter(watched, event);
}

void AddressBookPageView::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("popAddressBook"));
    // Qt gives a selection over several lines with U+2029 between them.
    QString selected = addresses_->textCursor().selectedText();
    selected.replace(QChar(0x2029), QLatin1Char('\n'));
    page_.setAddressSelection(fromQt(selected));
    fillMenu(&menu, page_.popupMenu(),
             [this](const std::function<void()>& command) { act(command); });
    menu.exec(event->globalPos());
}

void AddressBookPageView::showVerification() {
    if (!hooks_) return;
    std::unique_ptr<addressbook::TckAddressForm> form = hooks_->makeVerification();
    VerifyDialog dialog(*form, this);
    dialog.runModal();
    refresh();
}

void AddressBookPageView::showImport() {
    addressbook::TimportForm form(page_.platform(), page_);
    ImportDialog dialog(form, run_, this);
    dialog.exec();
    refresh();
}

void AddressBookPageView::showReorder() {
    addressbook::TorderABKForm form(page_.platform(), page_);
    OrderDialog dialog(form, run_, this);
    dialog.exec();
    run_([&form] { form.closeClick(); });
    refresh();
}

}  // namespace velmora::desktop
