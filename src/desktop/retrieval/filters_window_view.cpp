#include "desktop/retrieval/filters_window_view.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "desktop/menu_builder.h"
#include "desktop/text_convert.h"
#include "store/folder_tree.h"

namespace velmora::desktop {

namespace {

constexpr int kPathRole = Qt::UserRole + 1;

template <std::size_t N>
QComboBox* choices(const char* name, const char* accessible, const char* const (&texts)[N],
                   QWidget* parent) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setAccessibleName(QString::fromLatin1(accessible));
    for (const char* text : texts) box->addItem(QString::fromLatin1(text));
    return box;
}

QPushButton* button(const char* name, const char* caption, const char* accessible,
                    QWidget* parent) {
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAccessibleName(QString::fromLatin1(accessible));
    return b;
}

}  // namespace

FiltersWindowView::FiltersWindowView(retrieval::TfiltersForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TfiltersForm"));
    auto* layout = new QHBoxLayout(this);

    auto* left = new QVBoxLayout;
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstFilters"));
    list_->setAccessibleName(QStringLiteral("Rules, in the order they are tried"));
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    left->addWidget(list_, 1);
    auto* buttons = new QGridLayout;
    add_ = button("cmdAdd", "&Add", "Add", this);
    QPushButton* edit = button("cmdEdit", "&Edit", "Edit", this);
    QPushButton* remove = button("cmdDelete", "&Delete", "Delete", this);
    QPushButton* checkAll = button("cmdChkAll", "&Chk All", "Check all", this);
    QPushButton* uncheckAll = button("cmdUnChkAll", "&UnChk All", "Uncheck all", this);
    QPushButton* close = button("cmdClose", "&Close", "Close", this);
    buttons->addWidget(add_, 0, 0);
    buttons->addWidget(edit, 0, 1);
    buttons->addWidget(remove, 0, 2);
    buttons->addWidget(checkAll, 1, 0);
    buttons->addWidget(uncheckAll, 1, 1);
    buttons->addWidget(close, 1, 2);
    left->addLayout(buttons);
    layout->addLayout(left, 1);

    auto* right = new QGridLayout;
    filterOn_ = choices("cboFilterOn", "Filter On", retrieval::kFieldChoices, this);
    filterHow_ = choices("cboFilterHow", "Filter How", retrieval::kComparisonChoices, this);
    action_ = choices("cboFilterAction", "Filter Action", retrieval::kActionChoices, this);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("txtFilterText"));
    text_->setAccessibleName(QStringLiteral("Filter Text String"));
    text_->setPlaceholderText(QString::fromLatin1(retrieval::kFilterTextPrompt));
    folders_ = new QTreeWidget(this);
    folders_->setObjectName(QStringLiteral("tvFolders"));
    folders_->setAccessibleName(QStringLiteral("Target folder"));
    folders_->setHeaderHidden(true);
    folderLabel_ = new QLabel(this);
    folderLabel_->setObjectName(QStringLiteral("lblFolder"));
    folderLabel_->setAccessibleName(QStringLiteral("Chosen folder"));
    folderLabel_->setTextFormat(Qt::PlainText);
    int row = 0;
    for (auto [caption, widget] : {std::pair<const char*, QWidget*>{"Filter On", filterOn_},
                                   {"Filter How", filterHow_},
                                   {"Filter Action", action_},
                                   {"Filter Text String", text_}}) {
        auto* label = new QLabel(QString::fromLatin1(caption), this);
        label->setBuddy(widget);
        right->addWidget(label, row, 0);
        right->addWidget(widget, row++, 1);
    }
    right->addWidget(new QLabel(QStringLiteral("Folder"), this), row, 0);
    right->addWidget(folderLabel_, row++, 1);
    right->addWidget(folders_, row, 0, 1, 2);
    right->setRowStretch(row, 1);
    layout->addLayout(right, 1);
    fillFolderTree();

    connect(add_, &QPushButton::clicked, this, [this] {
        model_.cmdAddClick();
        refreshFromModel();
    });
    connect(edit, &QPushButton::clicked, this, [this] {
        model_.cmdEditClick();
        refreshFromModel();
    });
    connect(remove, &QPushButton::clicked, this, [this] {
        model_.cmdDeleteClick();
        refreshFromModel();
    });
    connect(checkAll, &QPushButton::clicked, this, [this] {
        model_.cmdChkAllClick();
        refreshFromModel();
    });
    connect(uncheckAll, &QPushButton::clicked, this, [this] {
        model_.cmdUnChkAllClick();
        refreshFromModel();
    });
    connect(close, &QPushButton::clicked, this, [this] { closeWindow(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int index) {
        if (filling_ || index < 0) return;
        leaveText();
        model_.selectRule(index);
        refreshFromModel();
    });
    connect(list_, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
        if (filling_) return;
        model_.setRuleChecked(list_->row(item), item->checkState() == Qt::Checked);
    });
    connect(filterOn_, &QComboBox::activated, this, [this](int i) {
        model_.setFilterOn(i);
        refreshFromModel();
    });
    connect(filterHow_, &QComboBox::activated, this, [this](int i) {
        model_.setFilterHow(i);
        refreshFromModel();
    });
    connect(action_, &QComboBox::activated, this, [this](int i) {
        model_.setAction(i);
        refreshFromModel();
    });
    // Kept in the rule as it is typed, so closing the window by its frame keeps it as well.
    connect(text_, &QLineEdit::textEdited, this, [this] { leaveText(); });
    connect(text_, &QLineEdit::editingFinished, this, [this] { leaveText(); });
    connect(folders_, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem* item, int) {
        model_.clickFolder({fromQt(item->data(0, kPathRole).toString()), fromQt(item->text(0))});
        refreshFromModel();
    });
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("popFilters"));
        menu.setAccessibleName(QStringLiteral("Rules list menu"));
        const ViewCommands own = {{"mnuFilters_ReOrder", [this] { openReorderWindow(); }},
                                  {"mnuFilters_Close", [this] { closeWindow(); }}};
        fillMenu(
            &menu, model_.popupMenu(), [](const std::function<void()>& command) { command(); },
            own);
        menu.exec(list_->viewport()->mapToGlobal(at));
    });
    refreshFromModel();
}

void FiltersWindowView::fillFolderTree() {
    store::TMailTree tree(model_.home());
    tree.refresh();
    std::function<void(const store::TMailNode&, QTreeWidgetItem*)> add =
        [&](const store::TMailNode& node, QTreeWidgetItem* parent) {
            auto* item = parent ? new QTreeWidgetItem(parent) : new QTreeWidgetItem(folders_);
            item->setText(0, toQt(node.label));
            item->setData(0, kPathRole, toQt(node.path));
            for (const auto& child : node.children) add(*child, item);
            item->setExpanded(true);
        };
    folders_->clear();
    add(tree.root(), nullptr);
}

void FiltersWindowView::leaveText() {
    if (filling_) return;
    // The prompt of a new rule is shown as the field's placeholder, so typing never mixes with
    // it; an untouched field leaves the rule as it was.
    if (text_->text().isEmpty() && model_.filterTextField() == retrieval::kFilterTextPrompt) return;
    model_.leaveFilterText(fromQt(text_->text()));
}

void FiltersWindowView::closeWindow() {
    leaveText();
    // The frame's close goes through the main window, which hides the window (writing the files).
    if (QWidget* frame = parentWidget()) frame->close();
}

void FiltersWindowView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        closeWindow();
        return;
    }
    ChildView::keyPressEvent(event);
}

void FiltersWindowView::openReorderWindow() {
    if (model_.rules().rules.empty()) return;
    retrieval::TorderFilterForm order(model_);
    ReorderFiltersDialog dialog(order, this);
    dialog.exec();
    refreshFromModel();
}

void FiltersWindowView::refreshFromModel() {
    filling_ = true;
    const auto& rules = model_.rules().rules;
    if (list_->count() != static_cast<int>(rules.size())) {
        list_->clear();
        for (std::size_t i = 0; i < rules.size(); ++i) list_->addItem(QString());
    }
    for (std::size_t i = 0; i < rules.size(); ++i) {
        QListWidgetItem* item = list_->item(static_cast<int>(i));
        item->setText(toQt(rules[i].description));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(rules[i].enabled ? Qt::Checked : Qt::Unchecked);
    }
    list_->setCurrentRow(model_.selected());
    filterOn_->setCurrentIndex(model_.filterOnChoice());
    filterHow_->setCurrentIndex(model_.filterHowChoice());
    action_->setCurrentIndex(model_.actionChoice());
    const bool prompt = model_.filterTextField() == retrieval::kFilterTextPrompt;
    text_->setText(prompt ? QString() : toQt(model_.filterTextField()));
    folderLabel_->setText(toQt(model_.folderLabel()));
    // The choices belong to the selected rule: without one there is nothing to set.
    const bool any = model_.selected() >= 0;
    for (QWidget* w : std::initializer_list<QWidget*>{filterOn_, filterHow_, action_, text_})
        w->setEnabled(any);
    folderLabel_->setEnabled(any && model_.folderLabelEnabled());
    folders_->setEnabled(any && model_.folderLabelEnabled());
    for (QTreeWidgetItemIterator it(folders_); *it; ++it)
        if (fromQt((*it)->data(0, kPathRole).toString()) == model_.treeFolder())
            folders_->setCurrentItem(*it);
    if (model_.focus() == "Add") add_->setFocus();
    if (model_.focus() == "FilterText") {
        text_->setFocus();
        text_->selectAll();
    }
    filling_ = false;
}

// ------------------------------------------------------------------------------------------

ReorderFiltersDialog::ReorderFiltersDialog(retrieval::TorderFilterForm& model, QWidget* parent)
    : QDialog(parent), model_(model) {
    setObjectName(QStringLiteral("TorderFilterForm"));
    setWindowTitle(QString::fromLatin1(retrieval::TorderFilterForm::kCaption));
    setAccessibleName(windowTitle());
    setModal(true);
    auto* layout = new QHBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("lstOrder"));
    list_->setAccessibleName(QStringLiteral("Rules in their order"));
    list_->setDragDropMode(QAbstractItemView::InternalMove);
    layout->addWidget(list_, 1);
    auto* side = new QVBoxLayout;
    auto* up = button("cmdUp", "&Up", "Move up", this);
    auto* down = button("cmdDown", "&Down", "Move down", this);
    auto* close = button("cmdClose", "&Close", "Close", this);
    side->addWidget(up);
    side->addWidget(down);
    side->addStretch(1);
    side->addWidget(close);
    layout->addLayout(side);
    connect(up, &QPushButton::clicked, this, [this] {
        model_.up();
        refreshFromModel();
    });
    connect(down, &QPushButton::clicked, this, [this] {
        model_.down();
        refreshFromModel();
    });
    connect(close, &QPushButton::clicked, this, [this] { reject(); });
    connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!filling_ && row >= 0) model_.select(row);
    });
    connect(list_->model(), &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex&, int start, int, const QModelIndex&, int row) {
                if (filling_) return;
                model_.drag(start, row > start ? row - 1 : row);
                QTimer::singleShot(0, this, [this] { refreshFromModel(); });
            });
    refreshFromModel();
    // Centred across, at a third of the screen's height.
    if (QScreen* screen = parent ? parent->screen() : nullptr) {
        const QRect area = screen->availableGeometry();
        adjustSize();
        move(area.x() + (area.width() - width()) / 2, area.y() + area.height() / 3);
    }
}

void ReorderFiltersDialog::refreshFromModel() {
    filling_ = true;
    list_->clear();
    for (const auto& rule : model_.entries()) list_->addItem(toQt(rule.description));
    list_->setCurrentRow(model_.selected());
    filling_ = false;
}

void ReorderFiltersDialog::reject() {
    model_.close();
    QDialog::accept();
}

void registerFiltersWindowView() {
    registerChildView("Filters", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* filters = dynamic_cast<retrieval::TfiltersForm*>(&window);
        return filters ? new FiltersWindowView(*filters, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
