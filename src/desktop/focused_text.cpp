#include "desktop/focused_text.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace velmora::desktop {

namespace {

// QTextEdit and QPlainTextEdit share these members without a common base that has them.
template <typename Edit>
core::FocusedText textPaneState(const Edit& edit, bool clipboardHasText) {
    return {edit.document()->isUndoAvailable() && !edit.isReadOnly(),
            edit.textCursor().hasSelection(), edit.isReadOnly(), clipboardHasText};
}

template <typename Edit>
void editPane(Edit& edit, core::TextEdit what) {
    switch (what) {
        case core::TextEdit::Undo:
            edit.undo();
            break;
        case core::TextEdit::Cut:
            edit.cut();
            break;
        case core::TextEdit::Copy:
            edit.copy();
            break;
        case core::TextEdit::Paste:
            edit.paste();
            break;
    }
}

}  // namespace

std::optional<core::FocusedText> focusedTextOf(QWidget* widget, bool clipboardHasText) {
    if (auto* line = qobject_cast<QLineEdit*>(widget))
        return core::FocusedText{line->isUndoAvailable() && !line->isReadOnly(),
                                 line->hasSelectedText(), line->isReadOnly(), clipboardHasText};
    if (auto* plain = qobject_cast<QPlainTextEdit*>(widget))
        return textPaneState(*plain, clipboardHasText);
    if (auto* rich = qobject_cast<QTextEdit*>(widget))
        return textPaneState(*rich, clipboardHasText);
    return std::nullopt;
}

void editText(QWidget* widget, core::TextEdit edit) {
    if (auto* line = qobject_cast<QLineEdit*>(widget)) {
        editPane(*line, edit);
    } else if (auto* plain = qobject_cast<QPlainTextEdit*>(widget)) {
        editPane(*plain, edit);
    } else if (auto* rich = qobject_cast<QTextEdit*>(widget)) {
        editPane(*rich, edit);
    }
}

}  // namespace velmora::desktop
