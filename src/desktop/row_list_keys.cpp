#include "desktop/row_list_keys.h"

#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QTableView>

namespace velmora::desktop {

namespace {

// Moves the current row to the first or the last row and selects as a plain or a Shift arrow
// key would. (A table's own Ctrl+Home moves the current row but leaves the selection where it
// was, so the message shown and the messages a Delete acts on would differ.)
class RowHomeAndEnd : public QObject {
  public:
    explicit RowHomeAndEnd(QTableView* table) : QObject(table), table_(table) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool homeOrEnd = key->key() == Qt::Key_Home || key->key() == Qt::Key_End;
        if (!homeOrEnd || key->modifiers().testFlag(Qt::ControlModifier)) return false;
        QAbstractItemModel* model = table_->model();
        QItemSelectionModel* selection = table_->selectionModel();
        if (!model || !selection || model->rowCount() == 0) return true;
        const QModelIndex current = table_->currentIndex();
        const int column = current.isValid() ? current.column() : 0;
        const int row = key->key() == Qt::Key_Home ? 0 : model->rowCount() - 1;
        const QModelIndex target = model->index(row, column);
        if (key->modifiers().testFlag(Qt::ShiftModifier) && current.isValid()) {
            // From the current row to the first or the last, beside what was selected.
            const QItemSelection range(model->index(current.row(), 0),
                                       model->index(row, model->columnCount() - 1));
            selection->select(range, QItemSelectionModel::Select | QItemSelectionModel::Rows);
            selection->setCurrentIndex(target, QItemSelectionModel::NoUpdate);
        } else {
            selection->setCurrentIndex(
                target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        }
        table_->scrollTo(target);
        return true;
    }

  private:
    QTableView* table_;
};

}  // namespace

void useRowHomeAndEnd(QTableView* table) {
    table->installEventFilter(new RowHomeAndEnd(table));
}

}  // namespace velmora::desktop
