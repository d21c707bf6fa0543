#include "desktop/editor_text.h"

#include <QKeyEvent>
#include <QTextCursor>
#include <algorithm>

#include "base/text_file.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

std::string editorText(const QPlainTextEdit* edit) {
    return joinLines(splitLines(fromQt(edit->toPlainText())), false);
}

void setEditorText(QPlainTextEdit* edit, const std::string& text) {
    if (editorText(edit) != joinLines(splitLines(text), false)) edit->setPlainText(toQt(text));
}

std::string selectedEditorText(const QPlainTextEdit* edit) {
    // Qt separates the selected paragraphs by U+2029.
    QString text = edit->textCursor().selectedText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return joinLines(splitLines(fromQt(text)), false);
}

std::size_t selectionStartInEditorText(const QPlainTextEdit* edit) {
    // Every paragraph break before it is one position in the widget and CR LF in the model.
    const std::string before =
        fromQt(edit->toPlainText().left(edit->textCursor().selectionStart()));
    return before.size() + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n'));
}

void reportSelection(QPlainTextEdit* edit, platform::ChildWindow& window) {
    QObject::connect(edit, &QPlainTextEdit::selectionChanged, edit, [edit, &window] {
        std::string selected = selectedEditorText(edit);
        const std::size_t start = selected.empty() ? platform::ChildWindow::kUnknownPlace
                                                   : selectionStartInEditorText(edit);
        window.setSelection(std::move(selected), start);
    });
}

bool keyBlockedAtEdge(const QPlainTextEdit* edit, const QKeyEvent* key) {
    const QTextCursor cursor = edit->textCursor();
    if (cursor.hasSelection()) return false;
    // Lines are the lines on screen: a long paragraph wraps into several.
    auto cannotMove = [&](QTextCursor::MoveOperation move) {
        QTextCursor probe = cursor;
        return !probe.movePosition(move) || probe.position() == cursor.position();
    };
    const bool ctrl = key->modifiers().testFlag(Qt::ControlModifier);
    switch (key->key()) {
        case Qt::Key_Home:
            return cannotMove(ctrl ? QTextCursor::Up : QTextCursor::StartOfLine);
        case Qt::Key_End:
            return cannotMove(ctrl ? QTextCursor::Down : QTextCursor::EndOfLine);
        case Qt::Key_Up:
        case Qt::Key_PageUp:
            return cannotMove(QTextCursor::Up);
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            return cannotMove(QTextCursor::Down);
        case Qt::Key_Left:
            return cursor.atStart();
        case Qt::Key_Right:
            return cursor.atEnd();
        default:
            return false;
    }
}

}  // namespace velmora::desktop
