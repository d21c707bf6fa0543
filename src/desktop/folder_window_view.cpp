#include "desktop/folder_window_view.h"

#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QTextEdit>
#include <QVBoxLayout>

#include "desktop/text_convert.h"

namespace velmora::desktop {

namespace {

struct Column {
    const char* caption;
    int width;
};
constexpr Column kColumns[6] = {{"Status", 75}, {"Size KB", 60}, {"Subject", 160},
                                {"From", 110},  {"To", 110},     {"Date", 120}};

}  // namespace

FolderWindowView::FolderWindowView(reading::TinboxForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* splitter = new QSplitter(Qt::Vertical, this);
    list_ = new QTableWidget(0, 6, splitter);
    list_->setObjectName(QStringLiteral("lvMail"));
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->verticalHeader()->hide();
    // One line a message, cut with an ellipsis where a column is too narrow.
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideRight);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    // Rows are dragged onto the folder tree to move them there.
    list_->setDragEnabled(true);
    list_->setDragDropMode(QAbstractItemView::DragOnly);
    list_->setToolTip(QStringLiteral("ListView component - shows mail message items.\n"
                                     "Right mouse click for pop-up menu."));
    for (int i = 0; i < 6; ++i) {
        list_->setHorizontalHeaderItem(i, new QTableWidgetItem(QString::fromLatin1(kColumns[i].caption)));
        list_->setColumnWidth(i, kColumns[i].width);
    }
    list_->horizontalHeader()->setStretchLastSection(true);
    preview_ = new QTextEdit(splitter);
    preview_->setObjectName(QStringLiteral("richEditPreview"));
    preview_->setReadOnly(true);
    preview_->setToolTip(QStringLiteral("Mail Message View window.\nRight mouse click for pop-up menu"));
    splitter->addWidget(list_);
    splitter->addWidget(preview_);
    splitter->setSizes({150, 200});
    layout->addWidget(splitter);

    connect(list_, &QTableWidget::itemSelectionChanged, this, [this] { syncSelection(); });
    connect(list_, &QTableWidget::currentCellChanged, this, [this](int row, int, int, int) {
        if (!filling_ && row >= 0) model_.setCurrentRow(row);
    });
    refreshFromModel();
}

void FolderWindowView::syncSelection() {
    if (filling_) return;
    filling_ = true;
    for (std::size_t row = 0; row < model_.rowCount(); ++row) {
        const bool selected = list_->item(static_cast<int>(row), 0) &&
                              list_->item(static_cast<int>(row), 0)->isSelected();
        if (model_.isSelected(row) != selected) model_.setSelected(row, selected);
    }
    filling_ = false;
}

void FolderWindowView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    const int rows = static_cast<int>(model_.rowCount());
    list_->setRowCount(rows);
    for (int row = 0; row < rows; ++row) {
        const auto columns = model_.columns(static_cast<std::size_t>(row));
        for (int column = 0; column < 6; ++column) {
            QTableWidgetItem* item = list_->item(row, column);
            if (!item) list_->setItem(row, column, item = new QTableWidgetItem);
            item->setText(toQt(columns[static_cast<std::size_t>(column)]));
            item->setSelected(model_.isSelected(static_cast<std::size_t>(row)));
        }
    }
    if (model_.currentRow() >= 0) list_->setCurrentCell(model_.currentRow(), 0,
                                                        QItemSelectionModel::NoUpdate);
    filling_ = false;
}

void registerFolderWindowView() {
    registerChildView("InBox", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* folder = dynamic_cast<reading::TinboxForm*>(&window);
        return folder ? new FolderWindowView(*folder, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
