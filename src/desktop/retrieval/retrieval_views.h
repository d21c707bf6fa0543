// The widgets of retrieval in the desktop program: the retrieve-headers and rules windows
// registered as child views, the progress box over the main window, and the New Mail selector's
// texts.
#pragma once

#include <QStringList>

#include "core/main_form.h"

class QWidget;

namespace velmora::desktop {

class ProgressBoxView;

// Registers the views of the "Headers" and "Filters" window kinds.
void registerRetrievalViews();
// The progress box of the model's retrieval sessions, a window over `frame`.
ProgressBoxView* createProgressBox(core::TmainForm& model, QWidget* frame);
// The New Mail selector's entries and the selected one.
QStringList newMailTexts(core::TmainForm& model);
int newMailSelection(core::TmainForm& model);
void chooseNewMail(core::TmainForm& model, int index);

}  // namespace velmora::desktop
