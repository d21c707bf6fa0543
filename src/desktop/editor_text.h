// The text of a multi-line editor as the models keep it: lines joined by CR LF, whatever line
// ends the widget uses; and the edge-of-text key guard the program's text fields share.
#pragma once

#include <QPlainTextEdit>
#include <string>

class QKeyEvent;

namespace velmora::desktop {

std::string editorText(const QPlainTextEdit* edit);
// Shows `text` unless the editor already holds it (so the caret and scrolling stay).
void setEditorText(QPlainTextEdit* edit, const std::string& text);

// A navigation key that cannot move the caret: Home at the start of a line, End at its end, Up
// and Page Up on the first line, Down and Page Down on the last, Left at the very start, Right
// at the very end, Ctrl+Home on the first line, Ctrl+End on the last. Such a key is swallowed
// while "Quiet keyboard" is off. Never true while text is selected: the key drops the selection.
bool keyBlockedAtEdge(const QPlainTextEdit* edit, const QKeyEvent* key);

}  // namespace velmora::desktop
