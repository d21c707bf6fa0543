#include "desktop/key_indicators.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "core/main_form.h"

namespace velmora::desktop {

namespace {

// Switches a text pane between inserting and overwriting; false when `widget` is no such pane
// or is read-only (line fields always insert).
template <typename Pane>
bool toggleOverwrite(QWidget* widget) {
    auto* pane = qobject_cast<Pane*>(widget);
    if (!pane || pane->isReadOnly()) return false;
    pane->setOverwriteMode(!pane->overwriteMode());
    return true;
}

bool overwriting(QWidget* widget) {
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) return plain->overwriteMode();
    if (auto* rich = qobject_cast<QTextEdit*>(widget)) return rich->overwriteMode();
    return false;
}

}  // namespace

KeyIndicators::KeyIndicators(core::TmainForm& model, QWidget* frame)
    : QObject(frame), model_(model), frame_(frame) {
    qApp->installEventFilter(this);
}

void KeyIndicators::refresh() {
    model_.setKeyIndicators(!overwriting(QApplication::focusWidget()), capsLockOn_);
}

bool KeyIndicators::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* widget = qobject_cast<QWidget*>(watched);
        // Each key reaches the filter once for every widget it is offered to: only the one
        // that has the focus counts, and only inside the main window.
        if (widget && widget == QApplication::focusWidget() && widget->window() == frame_)
            keyPressed(*static_cast<QKeyEvent*>(event));
    }
    return false;
}

void KeyIndicators::keyPressed(const QKeyEvent& key) {
    if (key.key() == Qt::Key_Insert && key.modifiers() == Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        if (!toggleOverwrite<QPlainTextEdit>(focus)) toggleOverwrite<QTextEdit>(focus);
    } else if (key.key() == Qt::Key_CapsLock) {
        capsLockOn_ = !capsLockOn_;
    } else if (const QString text = key.text();
               text.size() == 1 && text[0].isLetter() && text[0].isUpper() != text[0].isLower()) {
        const bool shift = key.modifiers().testFlag(Qt::ShiftModifier);
        capsLockOn_ = text[0].isUpper() != shift;
    }
    refresh();
}

}  // namespace velmora::desktop
