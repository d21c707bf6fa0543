// The Edit menu's undo, cut, copy and paste on whichever kind of text field has the focus: line
// fields and the plain and rich text panes.
#pragma once

#include <optional>

#include "core/main_form.h"

class QWidget;

namespace velmora::desktop {

// What the field can do now; nullopt when `widget` is no text field.
std::optional<core::FocusedText> focusedTextOf(QWidget* widget, bool clipboardHasText);
void editText(QWidget* widget, core::TextEdit edit);

}  // namespace velmora::desktop
