// The text of a multi-line editor as the models keep it: lines joined by CR LF, whatever line
// ends the widget uses.
#pragma once

#include <QPlainTextEdit>
#include <string>

namespace velmora::desktop {

std::string editorText(const QPlainTextEdit* edit);
// Shows `text` unless the editor already holds it (so the caret and scrolling stay).
void setEditorText(QPlainTextEdit* edit, const std::string& text);

}  // namespace velmora::desktop
