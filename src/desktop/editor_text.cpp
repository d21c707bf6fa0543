#include "desktop/editor_text.h"

#include "base/text_file.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

std::string editorText(const QPlainTextEdit* edit) {
    return joinLines(splitLines(fromQt(edit->toPlainText())), false);
}

void setEditorText(QPlainTextEdit* edit, const std::string& text) {
    if (editorText(edit) != joinLines(splitLines(text), false)) edit->setPlainText(toQt(text));
}

}  // namespace velmora::desktop
