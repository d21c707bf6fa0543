#include "desktop/row_list_keys.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTableView>

namespace velmora::desktop {

namespace {

// Turns Home and End into Ctrl+Home and Ctrl+End, which a table reads as its first and last row.
class RowHomeAndEnd : public QObject {
  public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        const bool homeOrEnd = key->key() == Qt::Key_Home || key->key() == Qt::Key_End;
        if (!homeOrEnd || key->modifiers().testFlag(Qt::ControlModifier)) return false;
        QKeyEvent rows(QEvent::KeyPress, key->key(), key->modifiers() | Qt::ControlModifier,
                       key->text(), key->isAutoRepeat(), static_cast<ushort>(key->count()));
        QApplication::sendEvent(watched, &rows);
        return true;
    }
};

}  // namespace

void useRowHomeAndEnd(QTableView* table) {
    table->installEventFilter(new RowHomeAndEnd(table));
}

}  // namespace velmora::desktop
