#include "desktop/addressbook/address_book_dialogs.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/named_widget.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

// Centred horizontally, its top at `fraction` of the screen's height.
void placeOnScreen(QDialog* dialog, double fraction) {
    const QScreen* screen = dialog->screen();
    if (!screen) return;
    const QRect area = screen->availableGeometry();
    dialog->move(area.x() + (area.width() - dialog->width()) / 2,
                 area.y() + static_cast<int>(area.height() * fraction));
}

void fillList(QListWidget* list, const std::vector<std::string>& lines) {
    list->clear();
    for (const std::string& line : lines) list->addItem(toQt(line));
}

}  // namespace

// --- Verify Addresses -------------------------------------------------------------------------

VerifyDialog::VerifyDialog(addressbook::TckAddressForm& form, QWidget* parent)
    : QDialog(parent), form_(form) {
    setObjectName(QStringLiteral("TckAddressForm"));
    setModal(true);
    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Good Addresses"), this), 0, 0);
    layout->addWidget(new QLabel(QStringLiteral("Bad Addresses"), this), 0, 1);
    good_ = named(new QListWidget(this), "lboxGood", QStringLiteral("Good Addresses"));
    bad_ = named(new QListWidget(this), "lboxBad", QStringLiteral("Bad Addresses"));
    layout->addWidget(good_, 1, 0);
    layout->addWidget(bad_, 1, 1);
    verified_ = named(new QLabel(this), "lblVerified", QStringLiteral("Verified Addresses"));
    unverified_ = named(new QLabel(this), "lblUnverified", QStringLiteral("Unverified Addresses"));
    layout->addWidget(verified_, 2, 0);
    layout->addWidget(unverified_, 2, 1);
    verifiedBar_ =
        named(new QProgressBar(this), "pbVerified", QStringLiteral("Verified percentage"));
    unverifiedBar_ =
        named(new QProgressBar(this), "pbUnverified", QStringLiteral("Unverified percentage"));
    checkedBar_ = named(new QProgressBar(this), "pbChecked", QStringLiteral("Checked percentage"));
    layout->addWidget(verifiedBar_, 3, 0);
    layout->addWidget(unverifiedBar_, 3, 1);
    layout->addWidget(checkedBar_, 4, 0, 1, 2);
    record_ = named(new QLabel(this), "lblRecord", QStringLiteral("Record"));
    address_ = named(new QLabel(this), "lblAddress", QStringLiteral("Address"));
    layout->addWidget(record_, 5, 0);
    layout->addWidget(address_, 5, 1);
    auto* buttons = new QHBoxLayout;
    start_ = named(new QPushButton(this), "cmdStart", QStringLiteral("Start Check"));
    close_ = named(new QPushButton(this), "cmdClose", QStringLiteral("Close"));
    print_ = named(new QPushButton(QStringLiteral("Print Unverified Address List"), this),
                   "cmdPrint", QStringLiteral("Print Unverified Address List"));
    for (QPushButton* b : {start_, close_, print_}) buttons->addWidget(b);
    layout->addLayout(buttons, 6, 0, 1, 2);
    connect(start_, &QPushButton::clicked, this, [this] {
        form_.startCheck();
        refresh();
    });
    connect(close_, &QPushButton::clicked, this, [this] {
        form_.cancelOrCloseClick();
        if (!form_.isOpen())
            QDialog::reject();
        else
            refresh();
    });
    connect(print_, &QPushButton::clicked, this, [this] { form_.printClick(); });
    form_.onChanged = [this] { refresh(); };
    resize(720, 420);
    refresh();
}

void VerifyDialog::refresh() {
    setWindowTitle(toQt(form_.caption()));
    fillList(good_, form_.goodAddresses());
    fillList(bad_, form_.badAddresses());
    verified_->setText(toQt(form_.verifiedLabel()));
    unverified_->setText(toQt(form_.unverifiedLabel()));
    verifiedBar_->setValue(form_.verifiedPercent());
    unverifiedBar_->setValue(form_.unverifiedPercent());
    checkedBar_->setValue(form_.checkedPercent());
    record_->setText(toQt(form_.recordLabel()));
    address_->setText(toQt(form_.addressLabel()));
    start_->setText(toQt(form_.startCaption()));
    start_->setEnabled(form_.startEnabled());
    close_->setText(toQt(form_.closeCaption()));
    print_->setEnabled(form_.printEnabled());
}

void VerifyDialog::runModal() {
    placeOnScreen(this, 0.1);
    form_.open();
    QTimer::singleShot(0, this, [this] {
        form_.startCheck();
        refresh();
    });
    exec();
    form_.close();
}

void VerifyDialog::reject() {
    form_.cancelOrCloseClick();
    if (!form_.isOpen() || !form_.checking()) {
        form_.close();
        QDialog::reject();
    }
}

// --- Import Address Books ---------------------------------------------------------------------

ImportDialog::ImportDialog(addressbook::TimportForm& form, DialogRunner run, QWidget* parent)
    : QDialog(parent), form_(form), run_(std::move(run)) {
    setObjectName(QStringLiteral("TimportForm"));
    setWindowTitle(toQt(std::string(form_.caption())));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("1. Select Address Book Type"), this));
    type_ = named(new QComboBox(this), "cboAddressBookType",
                  QStringLiteral("1. Select Address Book Type"));
    type_->setToolTip(
        QStringLiteral("Select the type of address book you would like to import from"));
    for (const std::string& caption : addressbook::TimportForm::sourceCaptions())
        type_->addItem(toQt(caption));
    layout->addWidget(type_);
    getData_ = named(new QPushButton(QStringLiteral("2. &Get Address Book Data"), this),
                     "cmdImportType", QStringLiteral("2. Get Address Book Data"));
    getData_->setToolTip(QStringLiteral("Get the address book entries"));
    layout->addWidget(getData_);
    auto* middle = new QHBoxLayout;
    auto* treeBox = new QVBoxLayout;
    treeBox->addWidget(new QLabel(QStringLiteral("3. Select Address Book or Mailing List"), this));
    tree_ = named(new QTreeWidget(this), "tv",
                  QStringLiteral("3. Select Address Book or Mailing List"));
    tree_->setHeaderHidden(true);
    tree_->setToolTip(QStringLiteral("Select one complete Address Book or one Mailing List"));
    treeBox->addWidget(tree_);
    middle->addLayout(treeBox);
    auto* previewBox = new QVBoxLayout;
    previewBox->addWidget(
        new QLabel(QStringLiteral("Selected Address Book Entries (Display Only)"), this));
    preview_ = named(new QListWidget(this), "lboxToAddressBook",
                     QStringLiteral("Selected Address Book Entries (Display Only)"));
    preview_->setToolTip(
        QStringLiteral("Read-Only! - Shows email addresses that will be imported"));
    previewBox->addWidget(preview_);
    middle->addLayout(previewBox);
    layout->addLayout(middle, 1);
    layout->addWidget(new QLabel(QStringLiteral("4. To Velmora Address Book"), this));
    auto* target = new QHBoxLayout;
    books_ =
        named(new QComboBox(this), "cboAddressBooks", QStringLiteral("4. To Velmora Address Book"));
    books_->setToolTip(QStringLiteral("Velmora address book to import into"));
    auto* newBook = named(new QPushButton(QStringLiteral("&New Book"), this),
                          "cmdCreateAddressBook", QStringLiteral("New Book"));
    auto* editBook = named(new QPushButton(QStringLiteral("&Edit Book"), this),
                           "cmdEditAddressBook", QStringLiteral("Edit Book"));
    auto* removeBook = named(new QPushButton(QStringLiteral("&Remove Book"), this),
                             "cmdDeleteAddressBook", QStringLiteral("Remove Book"));
    target->addWidget(books_, 1);
    for (QPushButton* b : {newBook, editBook, removeBook}) target->addWidget(b);
    layout->addLayout(target);
    count_ = named(new QLabel(this), "lblAddressBookCount", QStringLiteral("Number of Entries"));
    layout->addWidget(count_);
    auto* bottom = new QHBoxLayout;
    import_ = named(new QPushButton(QStringLiteral("5. &Import Into Velmora"), this), "cmdImport",
                    QStringLiteral("5. Import Into Velmora"));
    import_->setToolTip(QStringLiteral("Do It! Import address book entries into Velmora"));
    auto* close =
        named(new QPushButton(QStringLiteral("&Close"), this), "cmdClose", QStringLiteral("Close"));
    bottom->addWidget(import_);
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(type_, &QComboBox::activated, this, [this](int index) {
        act([this, index] { form_.selectSource(static_cast<addressbook::ImportSource>(index)); });
    });
    connect(getData_, &QPushButton::clicked, this,
            [this] { act([this] { form_.getDataClick(); }); });
    connect(tree_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item) {
        const int index = item->data(0, Qt::UserRole).toInt();
        act([this, index] { form_.clickNode(index); });
    });
    connect(preview_, &QListWidget::itemClicked, this, [this] { tree_->setFocus(); });
    connect(books_, &QComboBox::activated, this, [this](int index) {
        const auto names = form_.targetBooks();
        if (index >= 0 && index < static_cast<int>(names.size()))
            act([this, name = names[static_cast<std::size_t>(index)]] {
                form_.selectTargetBook(name);
            });
    });
    connect(newBook, &QPushButton::clicked, this,
            [this] { act([this] { form_.newBookClick(); }); });
    connect(editBook, &QPushButton::clicked, this,
            [this] { act([this] { form_.editBookClick(); }); });
    connect(removeBook, &QPushButton::clicked, this,
            [this] { act([this] { form_.removeBookClick(); }); });
    connect(import_, &QPushButton::clicked, this, [this] {
        act([this] { form_.importClick(); });
        if (!form_.visible()) accept();
    });
    connect(close, &QPushButton::clicked, this, [this] {
        act([this] { form_.closeClick(); });
        reject();
    });
    resize(640, 520);
    refresh();
}

void ImportDialog::act(const std::function<void()>& action) {
    run_(action);
    refresh();
}

void ImportDialog::refresh() {
    updating_ = true;
    type_->setCurrentIndex(static_cast<int>(form_.source()));
    tree_->clear();
    std::vector<QTreeWidgetItem*> parents;
    const auto& nodes = form_.tree();
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const auto& node = nodes[i];
        parents.resize(static_cast<std::size_t>(node.depth));
        QTreeWidgetItem* item =
            parents.empty() ? new QTreeWidgetItem(tree_) : new QTreeWidgetItem(parents.back());
        item->setText(0, toQt(node.text));
        item->setData(0, Qt::UserRole, static_cast<int>(i));
        if (static_cast<int>(i) == form_.selectedNode()) item->setSelected(true);
        parents.push_back(item);
    }
    tree_->expandAll();
    preview_->clear();
    for (const std::string& line : form_.preview()) preview_->addItem(toQt(line));
    books_->clear();
    const auto names = form_.targetBooks();
    for (const std::string& name : names) books_->addItem(toQt(name));
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i] == form_.targetBook()) books_->setCurrentIndex(static_cast<int>(i));
    count_->setText(toQt(form_.entryCountLabel()));
    import_->setEnabled(form_.importEnabled());
    updating_ = false;
}

// --- Re-Order Address Book Names ---------------------------------------------------------------

OrderDialog::OrderDialog(addressbook::TorderABKForm& form, DialogRunner run, QWidget* parent)
    : QDialog(parent), form_(form), run_(std::move(run)) {
    setObjectName(QStringLiteral("TorderABKForm"));
    setWindowTitle(toQt(std::string(form_.caption())));
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    list_ = named(new QListWidget(this), "lboxBooks", QStringLiteral("Address Books"));
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    layout->addWidget(list_, 1);
    label_ = named(new QLabel(this), "lblAddressBook", QStringLiteral("Address Book position"));
    layout->addWidget(label_);
    auto* buttons = new QHBoxLayout;
    auto* up = named(new QPushButton(QStringLiteral("Up"), this), "cmdUp", QStringLiteral("Up"));
    auto* down =
        named(new QPushButton(QStringLiteral("Down"), this), "cmdDown", QStringLiteral("Down"));
    auto* close =
        named(new QPushButton(QStringLiteral("Close"), this), "cmdClose", QStringLiteral("Close"));
    for (QPushButton* b : {up, down, close}) buttons->addWidget(b);
    layout->addLayout(buttons);
    connect(up, &QPushButton::clicked, this, [this] { act([this] { form_.upClick(); }); });
    connect(down, &QPushButton::clicked, this, [this] { act([this] { form_.downClick(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!updating_ && row != form_.selected()) act([this, row] { form_.select(row); });
    });
    connect(list_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int from, int, const QModelIndex&, int to) {
                if (updating_) return;
                const int target = to > from ? to - 1 : to;
                QTimer::singleShot(0, this, [this, from, target] {
                    act([this, from, target] { form_.drag(from, target); });
                });
            });
    resize(360, 320);
    placeOnScreen(this, 1.0 / 3);
    refresh();
}

void OrderDialog::act(const std::function<void()>& action) {
    run_(action);
    refresh();
}

void OrderDialog::refresh() {
    updating_ = true;
    list_->clear();
    for (const std::string& row : form_.rows()) list_->addItem(toQt(row));
    list_->setCurrentRow(form_.selected());
    label_->setText(toQt(form_.label()));
    updating_ = false;
}

}  // namespace velmora::desktop
