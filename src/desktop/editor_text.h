// The text of a multi-line editor as the models keep it: lines joined by CR LF, whatever line
// ends the widget uses; and the edge-of-text key guard the program's text fields share.
#pragma once

#include <QPlainTextEdit>
#include <cstddef>
#include <string>

#include "platform/child_window.h"

class QKeyEvent;

namespace velmora::desktop {

std::string editorText(const QPlainTextEdit* edit);
// Shows `text` unless the editor already holds it (so the caret and scrolling stay).
void setEditorText(QPlainTextEdit* edit, const std::string& text);

// The selected text as the models keep text (UTF-8, lines joined by CR LF); "" when none.
std::string selectedEditorText(const QPlainTextEdit* edit);
// Where the selection starts in editorText(edit), in bytes.
std::size_t selectionStartInEditorText(const QPlainTextEdit* edit);
// Keeps `window`'s selection (its text and where it starts) in step with the selection of
// `edit`, for its print and spell check commands.
void reportSelection(QPlainTextEdit* edit, platform::ChildWindow& window);

// A navigation key that cannot move the caret: Home at the start of a line, End at its end, Up
// and Page Up on the first line, Down and Page Down on the last, Left at the very start, Right
// at the very end, Ctrl+Home on the first line, Ctrl+End on the last. Such a key is swallowed
// while "Quiet keyboard" is off. Never true while text is selected: the key drops the selection.
bool keyBlockedAtEdge(const QPlainTextEdit* edit, const QKeyEvent* key);

}  // namespace velmora::desktop
