#include "desktop/retrieval/headers_window_view.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <functional>

#include "desktop/menu_builder.h"
#include "desktop/row_list_keys.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

struct ActionButton {
    const char* name;
    const char* caption;  // the accelerators are the window's keys R, O, H and D
    const char* hint;
    retrieval::ServerAction action;
};
constexpr ActionButton kActionButtons[4] = {
    {"optRetDel", "&Retrieve and Delete",
     "Retrieve message and then Delete it from the mail server",
     retrieval::ServerAction::RetAndDel},
    {"optRetHold", "Retrieve and H&old", "Retrieve message then hold it on the mail server",
     retrieval::ServerAction::RetAndHold},
    {"optHold", "&Hold on Server", "Take no retrieve action - just hold it on the mail server",
     retrieval::ServerAction::Hold},
    {"optDelete", "&Delete on Server",
     "Do not retrieve message - just delete it from the mail server",
     retrieval::ServerAction::Delete},
};

}  // namespace

HeadersWindowView::HeadersWindowView(retrieval::TheadersForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TheadersForm"));
    auto* layout = new QVBoxLayout(this);
    list_ = new QTableWidget(0, retrieval::kHeadersColumnCount, this);
    list_->setObjectName(QStringLiteral("lvHeaders"));
    list_->setAccessibleName(QStringLiteral("Messages on the mail server"));
    list_->setToolTip(
        QStringLiteral("Highlight single or multiple messages, then set Mail Server Action"));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    useRowHomeAndEnd(list_);
    list_->setWordWrap(false);
    list_->verticalHeader()->hide();
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->horizontalHeader()->setSectionsClickable(true);
    list_->horizontalHeader()->setSortIndicatorShown(true);
    for (int i = 0; i < retrieval::kHeadersColumnCount; ++i) {
        const auto column = static_cast<std::size_t>(i);
        list_->setHorizontalHeaderItem(
            i,
            new QTableWidgetItem(QString::fromLatin1(retrieval::kHeadersColumnCaptions[column])));
        // Never narrower than the caption with the sort arrow, whatever the stored width.
        list_->setColumnWidth(i, std::max(model_.layout().widths[column],
                                          list_->horizontalHeader()->sectionSizeHint(i)));
    }
    list_->installEventFilter(this);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(list_, 1);

    controls_ = new QWidget(this);
    controls_->setObjectName(QStringLiteral("pnlControls"));
    auto* bottom = new QHBoxLayout(controls_);
    bottom->setContentsMargins(0, 0, 0, 0);
    actions_ = new QGroupBox(QStringLiteral("Action"), controls_);
    actions_->setObjectName(QStringLiteral("grpAction"));
    actions_->setAccessibleName(QStringLiteral("Server action of the selected messages"));
    actions_->setToolTip(QStringLiteral("Determines the Action for each pending mail message"));
    // Two rows of two, each button never narrower than its caption: the window's default width
    // would otherwise cut the captions short.
    auto* actionLayout = new QGridLayout(actions_);
    auto* group = new QButtonGroup(this);
    group->setExclusive(false);  // "no action shown" must be possible
    for (std::size_t i = 0; i < actionButtons_.size(); ++i) {
        auto* button = new QRadioButton(QString::fromLatin1(kActionButtons[i].caption), actions_);
        button->setObjectName(QString::fromLatin1(kActionButtons[i].name));
        button->setAccessibleName(QString::fromLatin1(retrieval::kServerActionTexts[i]));
        button->setAutoExclusive(false);
        button->setToolTip(QString::fromLatin1(kActionButtons[i].hint));
        button->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        group->addButton(button);
        const int index = static_cast<int>(i);
        actionLayout->addWidget(button, index / 2, index % 2);
        const retrieval::ServerAction action = kActionButtons[i].action;
        connect(button, &QRadioButton::clicked, this, [this, action] { chooseAction(action); });
        actionButtons_[i] = button;
    }
    bottom->addWidget(actions_);
    bottom->addStretch(1);
    retrieve_ = new QPushButton(QStringLiteral("Re&trieve Headers"), controls_);
    retrieve_->setObjectName(QStringLiteral("cmdRetrieveHeaders"));
    retrieve_->setAccessibleName(QStringLiteral("Retrieve Headers"));
    retrieve_->setToolTip(QStringLiteral("Retrieve mail headers only.\nWill clear current list"));
    execute_ = new QPushButton(QStringLiteral("&Execute Action"), controls_);
    execute_->setObjectName(QStringLiteral("cmdExecute"));
    execute_->setAccessibleName(QStringLiteral("Execute Action"));
    execute_->setToolTip(QStringLiteral("Executes the Action set for each pending mail message"));
    bottom->addWidget(retrieve_);
    bottom->addWidget(execute_);
    layout->addWidget(controls_);

    connect(retrieve_, &QPushButton::clicked, this, [this] { model_.cmdRetrieveHeadersClick(); });
    connect(execute_, &QPushButton::clicked, this, [this] { model_.cmdExecuteClick(); });
    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] { syncSelection(); });
    connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int column) {
        model_.sortBy(column);
        refreshFromModel();
    });
    connect(list_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                if (!filling_) model_.setColumnWidth(column, width);
            });
    connect(list_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        QMenu menu(this);
        menu.setObjectName(QStringLiteral("popHeaders"));
        menu.setAccessibleName(QStringLiteral("Headers list menu"));
        // Closing frees the model: nothing is drawn from it afterwards.
        bool closing = false;
        const ViewCommands own = {{"mnuHeaders_Close", [this, &closing] {
                                       closing = true;
                                       if (QWidget* frame = parentWidget()) frame->close();
                                   }}};
        fillMenu(
            &menu, model_.popupMenu(),
            [this, &closing](const std::function<void()>& command) {
                command();
                if (!closing) refreshFromModel();
            },
            own);
        menu.exec(list_->viewport()->mapToGlobal(at));
    });
    refreshFromModel();
}

void HeadersWindowView::chooseAction(retrieval::ServerAction action) {
    model_.setAction(action);
    refreshFromModel();
}

void HeadersWindowView::syncSelection() {
    if (filling_) return;
    filling_ = true;
    for (std::size_t row = 0; row < model_.rowCount(); ++row) {
        QTableWidgetItem* item = list_->item(static_cast<int>(row), 0);
        const bool selected = item && item->isSelected();
        if (model_.isSelected(row) != selected) model_.setSelected(row, selected);
    }
    filling_ = false;
    refreshFromModel();
}

bool HeadersWindowView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool ctrl = key->modifiers() & Qt::ControlModifier;
        char letter = 0;
        if (key->key() >= Qt::Key_A && key->key() <= Qt::Key_Z)
            letter = static_cast<char>('a' + (key->key() - Qt::Key_A));
        if (letter && model_.pressKey(letter, ctrl)) {
            refreshFromModel();
            return true;
        }
    }
    return ChildView::eventFilter(watched, event);
}

void HeadersWindowView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    const int rows = static_cast<int>(model_.rowCount());
    list_->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const auto& columns = model_.rows()[static_cast<std::size_t>(row)].columns;
        for (int column = 0; column < retrieval::kHeadersColumnCount; ++column) {
            QTableWidgetItem* item = list_->item(row, column);
            if (!item) list_->setItem(row, column, item = new QTableWidgetItem);
            item->setText(toQt(columns[static_cast<std::size_t>(column)]));
            // No and Size KB are numbers: right-aligned.
            if (column == 1 || column == 2)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            item->setSelected(model_.isSelected(static_cast<std::size_t>(row)));
        }
    }
    if (model_.currentRow() >= 0)
        list_->setCurrentCell(model_.currentRow(), 0, QItemSelectionModel::NoUpdate);
    list_->horizontalHeader()->setSortIndicator(
        model_.sortColumn(), model_.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    actions_->setEnabled(model_.actionGroupEnabled());
    const auto shown = model_.buttonsAction();
    for (std::size_t i = 0; i < actionButtons_.size(); ++i)
        actionButtons_[i]->setChecked(shown && *shown == kActionButtons[i].action);
    execute_->setEnabled(model_.executeEnabled());
    controls_->setVisible(!model_.layout().fullSize);
    filling_ = false;
}

void registerHeadersWindowView() {
    registerChildView("Headers", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* headers = dynamic_cast<retrieval::TheadersForm*>(&window);
        return headers ? new HeadersWindowView(*headers, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
