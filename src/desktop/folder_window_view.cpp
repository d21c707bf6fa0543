#include "desktop/folder_window_view.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "base/identity.h"
#include "core/error_report.h"
#include "desktop/editor_text.h"
#include "desktop/font_setting.h"
#include "desktop/menu_builder.h"
#include "desktop/row_list_keys.h"
#include "desktop/text_convert.h"
#include "reading/transfers.h"

namespace velmora::desktop {

namespace {

constexpr const char* kRowsMime = "application/x-velmora-folder-rows";

QColor qtColour(profiles::Colour colour, QPalette::ColorRole systemRole) {
    if (profiles::isSystemColour(colour)) return QApplication::palette().color(systemRole);
    const profiles::Rgb rgb = profiles::toRgb(colour);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

// Every open folder window view, so that a column resized in one is resized in all.
std::set<FolderWindowView*>& openViews() {
    static std::set<FolderWindowView*> views;
    return views;
}

// The pane's position (UTF-16 units, CR LF shown as one line break) of a byte offset into the
// model's UTF-8 preview text.
int panePosition(const std::string& utf8, std::size_t offset) {
    offset = std::min(offset, utf8.size());
    int position = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if ((byte & 0xC0) == 0x80) continue;  // inside a character
        if (byte == '\r' && i + 1 < utf8.size() && utf8[i + 1] == '\n') continue;
        position += byte >= 0xF0 ? 2 : 1;  // four-byte characters take two UTF-16 units
    }
    return position;
}

}  // namespace

// The rows of a TinboxForm as a Qt table: texts, bold unread rows and priority colours come
// straight from the window model when a row is drawn.
class FolderRowsModel final : public QAbstractTableModel {
  public:
    explicit FolderRowsModel(reading::TinboxForm& form, QObject* parent)
        : QAbstractTableModel(parent), form_(form) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(form_.rowCount());
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : store::kColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || static_cast<std::size_t>(index.row()) >= form_.rowCount())
            return {};
        const auto row = static_cast<std::size_t>(index.row());
        switch (role) {
            case Qt::DisplayRole:
            case Qt::AccessibleTextRole:
            case Qt::ToolTipRole: {
                const auto text = store::columnText(form_.rows()[row].text,
                                                    static_cast<store::Column>(index.column()));
                return toQtGuessed(std::string(text));
            }
            case Qt::FontRole: {
                // The Status letters stay light: bold, eleven of them no longer fit their column.
                if (index.column() == 0 || !form_.rowLook(row).bold) return {};
                QFont font;
                font.setBold(true);
                return font;
            }
            case Qt::ForegroundRole:
                return qtColour(form_.rowLook(row).colour, QPalette::Text);
            default:
                return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 || section >= store::kColumnCount)
            return {};
        if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
            return QString::fromLatin1(
                reading::kFolderColumns[static_cast<std::size_t>(section)].caption);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return QAbstractTableModel::flags(index) | Qt::ItemIsDragEnabled;
    }
    QStringList mimeTypes() const override { return {QString::fromLatin1(kRowsMime)}; }
    // The rows themselves travel through the model: the drag carries only its source.
    QMimeData* mimeData(const QModelIndexList&) const override {
        auto* data = new QMimeData;
        data->setData(QString::fromLatin1(kRowsMime),
                      QByteArray::fromStdString(form_.logicalPath()));
        return data;
    }
    Qt::DropActions supportedDragActions() const override {
        return Qt::MoveAction | Qt::CopyAction;
    }

    // After the model changed: a new row count resets the view, otherwise the visible cells are
    // drawn again.
    void refresh() {
        if (shownRows_ != form_.rowCount()) {
            beginResetModel();
            shownRows_ = form_.rowCount();
            endResetModel();
        } else if (shownRows_ > 0) {
            emit dataChanged(index(0, 0),
                             index(static_cast<int>(shownRows_) - 1, store::kColumnCount - 1));
        }
    }

  private:
    reading::TinboxForm& form_;
    std::size_t shownRows_ = 0;
};

FolderWindowView::FolderWindowView(reading::TinboxForm& model, QWidget* parent)
    : ChildView(parent), model_(model) {
    setObjectName(QStringLiteral("TinboxForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    splitter_ = new QSplitter(Qt::Vertical, this);
    splitter_->setObjectName(QStringLiteral("splitterPreview"));
    splitter_->setAccessibleName(QStringLiteral("Message list and preview"));

    rows_ = new FolderRowsModel(model_, this);
    list_ = new QTableView(splitter_);
    list_->setObjectName(QStringLiteral("lvMail"));
    list_->setModel(rows_);
    list_->setAccessibleName(QStringLiteral("Messages"));
    list_->setAccessibleDescription(toQtMessage(reading::kListHint).section('|', 0, 0));
    list_->setToolTip(list_->accessibleDescription());
    list_->setSelectionBehavior(QAbstractItemView::SelectRows);
    list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    useRowHomeAndEnd(list_);
    list_->setWordWrap(false);
    list_->setTextElideMode(Qt::ElideRight);
    list_->setShowGrid(model_.settings().gui.verticalLines ||
                       model_.settings().gui.horizontalLines);
    list_->verticalHeader()->hide();
    // Fixed row heights: the view never measures rows, so long lists scroll smoothly.
    list_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    list_->verticalHeader()->setDefaultSectionSize(list_->fontMetrics().height() + 6);
    list_->horizontalHeader()->setSectionsClickable(true);
    list_->horizontalHeader()->setSortIndicatorShown(true);
    list_->horizontalHeader()->setStretchLastSection(true);
    list_->horizontalHeader()->setAccessibleName(QStringLiteral("Message list columns"));
    for (int c = 0; c < store::kColumnCount; ++c) list_->setColumnWidth(c, model_.columnWidth(c));
    list_->setDragEnabled(true);
    list_->setAcceptDrops(true);
    list_->setDragDropMode(QAbstractItemView::DragDrop);
    list_->setDefaultDropAction(Qt::MoveAction);
    list_->setContextMenuPolicy(Qt::CustomContextMenu);
    list_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    if (model_.selectionColours()) {
        const auto [background, foreground] = *model_.selectionColours();
        QPalette palette = list_->palette();
        palette.setColor(QPalette::Highlight, qtColour(background, QPalette::Highlight));
        palette.setColor(QPalette::HighlightedText,
                         qtColour(foreground, QPalette::HighlightedText));
        list_->setPalette(palette);
    }

    preview_ = new QPlainTextEdit(splitter_);
    preview_->setObjectName(QStringLiteral("richEditPreview"));
    preview_->setAccessibleName(QStringLiteral("Message preview"));
    preview_->setAccessibleDescription(toQtMessage(reading::kPreviewHint).section('|', 0, 0));
    preview_->setReadOnly(true);
    preview_->setLineWrapMode(QPlainTextEdit::NoWrap);  // the model wraps at the word-wrap width
    preview_->setContextMenuPolicy(Qt::CustomContextMenu);
    preview_->installEventFilter(this);
    preview_->setFont(toQFont(model_.settings().read.font));
    reportSelection(preview_, model_);

    splitter_->addWidget(list_);
    splitter_->addWidget(preview_);
    // The list keeps the height every folder window shares; a larger window gives the room to
    // the preview, so the list never jumps back at the next refresh.
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setSizes({model_.settings().vl.folderListHeight, 250});
    layout->addWidget(splitter_);

    connect(splitter_, &QSplitter::splitterMoved, this, [this] {
        if (model_.previewShown() && !filling_)
            model_.host().setFolderListHeight(splitter_->sizes().value(0));
    });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { syncSelectionToModel(); });
    connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& now) {
                if (filling_ || !now.isValid()) return;
                // The list moved its own current row (a click, a key) and is still handling
                // the event: the refresh this causes must neither select nor scroll, or a
                // click on a row cut off at the bottom would select the row below it.
                listMovingCurrent_ = true;
                run([&] { model_.currentRowMoved(now.row()); });
                listMovingCurrent_ = false;
            });
    connect(list_, &QTableView::doubleClicked, this,
            [this] { run([this] { model_.openSelectedRows(); }); });
    connect(list_->horizontalHeader(), &QHeaderView::sectionClicked, this,
            [this](int column) { run([&] { model_.headerClick(column); }); });
    connect(list_->horizontalHeader(), &QHeaderView::sectionResized, this,
            [this](int column, int, int width) {
                // Only the user dragging a section edge sets a width; the last column's stretching
                // to the window's width is not one.
                if (filling_ || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
                reading::TinboxForm::setColumnWidthEverywhere(column, width);
                for (FolderWindowView* other : openViews())
                    if (other != this) other->syncColumnWidths();
            });
    connect(list_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showMenu(model_.listMenu(), at, list_->viewport()); });
    connect(preview_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { showMenu(model_.previewMenu(), at, preview_->viewport()); });
    setFocusProxy(list_);
    refreshFromModel();
}

FolderWindowView::~FolderWindowView() {
    openViews().erase(this);
}

// Only shown views take part in resizing: a closing window's view is hidden before its model
// goes, and a view shown again reads the widths from its model.
void FolderWindowView::showEvent(QShowEvent* event) {
    openViews().insert(this);
    syncColumnWidths();
    ChildView::showEvent(event);
}

void FolderWindowView::resizeEvent(QResizeEvent* event) {
    // The state word every folder window shares: how the last resized one stands.
    if (QWidget* frame = parentWidget()) {
        const Qt::WindowStates state = frame->windowState();
        reading::TinboxForm::setLastWindowState(state & Qt::WindowMinimized   ? "min"
                                                : state & Qt::WindowMaximized ? "max"
                                                                              : "normal");
    }
    ChildView::resizeEvent(event);
}

void FolderWindowView::hideEvent(QHideEvent* event) {
    openViews().erase(this);
    ChildView::hideEvent(event);
}

void FolderWindowView::syncColumnWidths() {
    filling_ = true;
    // The last column stretches to the window's width.
    for (int c = 0; c + 1 < store::kColumnCount; ++c)
        if (list_->columnWidth(c) != model_.columnWidth(c))
            list_->setColumnWidth(c, model_.columnWidth(c));
    filling_ = false;
}

void FolderWindowView::run(const std::function<void()>& command) {
    core::runReported(model_.platform().dialogs, kProductName, command);
}

void FolderWindowView::showMenu(const platform::Menu& menu, const QPoint& at, QWidget* over) {
    QMenu popup(this);
    popup.setObjectName(over == preview_->viewport() ? QStringLiteral("popPreview")
                                                     : QStringLiteral("popListView"));
    popup.setAccessibleName(over == preview_->viewport() ? QStringLiteral("Preview menu")
                                                         : QStringLiteral("Message list menu"));
    const ViewCommands own = {{"popPreview_CopyText", [this] {
                                   // The pane's text is UTF-8 for display: it goes to the clipboard
                                   // as shown.
                                   if (preview_->textCursor().hasSelection()) {
                                       preview_->copy();
                                   } else {
                                       QApplication::clipboard()->setText(
                                           toQtReadable(model_.previewText()));
                                   }
                               }}};
    fillMenu(
        &popup, menu, [this](const std::function<void()>& command) { run(command); }, own);
    popup.exec(over->mapToGlobal(at));
}

void FolderWindowView::syncSelectionToModel() {
    if (filling_) return;
    std::vector<int> rows;
    for (const QItemSelectionRange& range : list_->selectionModel()->selection())
        for (int row = range.top(); row <= range.bottom(); ++row) rows.push_back(row);
    filling_ = true;
    run([&] { model_.setSelection(rows); });
    filling_ = false;
}

void FolderWindowView::syncSelectionFromModel() {
    QItemSelection selection;
    const int columns = store::kColumnCount - 1;
    int start = -1;
    const int count = static_cast<int>(model_.rowCount());
    for (int row = 0; row <= count; ++row) {
        const bool selected = row < count && model_.isSelected(static_cast<std::size_t>(row));
        if (selected && start < 0) start = row;
        if (!selected && start >= 0) {
            selection.select(rows_->index(start, 0), rows_->index(row - 1, columns));
            start = -1;
        }
    }
    list_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (model_.currentRow() >= 0) {
        const QModelIndex current = rows_->index(model_.currentRow(), 0);
        list_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
        list_->scrollTo(current);
    }
}

void FolderWindowView::refreshFromModel() {
    if (filling_) return;
    filling_ = true;
    rows_->refresh();
    if (!listMovingCurrent_) syncSelectionFromModel();
    list_->horizontalHeader()->setSortIndicator(
        static_cast<int>(model_.sortColumn()),
        model_.sortDescending() ? Qt::DescendingOrder : Qt::AscendingOrder);
    preview_->setVisible(model_.previewShown());
    // The list height every folder window shares, when there is room for it.
    const int listHeight = model_.settings().vl.folderListHeight;
    const QList<int> sizes = splitter_->sizes();
    if (model_.previewShown() && isVisible() && sizes.size() == 2 && sizes[0] != listHeight &&
        sizes[0] + sizes[1] > listHeight)
        splitter_->setSizes({listHeight, sizes[0] + sizes[1] - listHeight});
    if (model_.previewText() != shownPreview_) {
        shownPreview_ = model_.previewText();
        preview_->setPlainText(toQtReadable(shownPreview_));
        preview_->moveCursor(QTextCursor::Start);
    }
    if (model_.previewSelectionSerial() != shownSelectionSerial_) {
        shownSelectionSerial_ = model_.previewSelectionSerial();
        QTextCursor cursor = preview_->textCursor();
        if (const auto& selection = model_.previewSelection()) {
            cursor.setPosition(panePosition(shownPreview_, selection->start));
            cursor.setPosition(panePosition(shownPreview_, selection->start + selection->length),
                               QTextCursor::KeepAnchor);
        } else {
            cursor.clearSelection();
        }
        preview_->setTextCursor(cursor);
        preview_->ensureCursorVisible();
    }
    if (model_.previewFocusRequests() != shownFocusRequests_) {
        shownFocusRequests_ = model_.previewFocusRequests();
        if (preview_->isVisible()) preview_->setFocus(Qt::OtherFocusReason);
    }
    filling_ = false;
}

bool FolderWindowView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                run([this] { model_.openSelectedRows(); });
                return true;
            case Qt::Key_Escape:
                run([this] { model_.escapePressed(); });
                return true;
            case Qt::Key_Delete:
                return true;  // acts on release
            default:
                break;
        }
    }
    if (watched == list_ && event->type() == QEvent::KeyRelease &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        run([this] { model_.deleteSelectedRows(); });
        return true;
    }
    if (watched == preview_) {
        // A click or a key in the pane marks the message read; focus alone does not, since Qt
        // also moves focus there when windows are shown, hidden or activated.
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)
            run([this] { model_.previewEntered(); });
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                run([this] { model_.openSelectedRows(); });
                return true;
            }
            if (key->key() == Qt::Key_Escape) {
                run([this] { model_.escapePressed(); });
                return true;
            }
        }
    }
    // Rows dragged from another folder window move into this one.
    if (watched == list_->viewport() &&
        (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove ||
         event->type() == QEvent::Drop)) {
        auto* drop = static_cast<QDropEvent*>(event);
        FolderWindowView* source = nullptr;
        for (QObject* o = drop->source(); o && !source; o = o->parent())
            source = dynamic_cast<FolderWindowView*>(o);
        if (!source || source == this ||
            !store::isValidMoveTarget(store::lastComponent(model_.logicalPath()),
                                      source->model_.logicalPath())) {
            drop->ignore();
            return true;
        }
        // Reported as a copy, so that the source list removes nothing itself.
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        if (event->type() == QEvent::Drop) {
            reading::TinboxForm& from = source->model_;
            const std::string target = model_.logicalPath();
            run([&] {
                reading::moveSelected(from, target, from.host(), from.platform());
                from.loadPreview();
                from.host().folderWindowChanged(from);
            });
        }
        return true;
    }
    return ChildView::eventFilter(watched, event);
}

void registerFolderWindowView() {
    registerChildView("InBox", [](platform::ChildWindow& window, QWidget* parent) -> ChildView* {
        auto* folder = dynamic_cast<reading::TinboxForm*>(&window);
        return folder ? new FolderWindowView(*folder, parent) : nullptr;
    });
}

}  // namespace velmora::desktop
