#include "desktop/retrieval/retrieval_views.h"

#include "core/main_retrieval.h"
#include "desktop/retrieval/filters_window_view.h"
#include "desktop/retrieval/headers_window_view.h"
#include "desktop/retrieval/progress_box_view.h"
#include "desktop/text_convert.h"

namespace velmora::desktop {

void registerRetrievalViews() {
    registerHeadersWindowView();
    registerFiltersWindowView();
}

ProgressBoxView* createProgressBox(core::TmainForm& model, QWidget* frame) {
    return new ProgressBoxView(model.retrieval().progressBox(), frame);
}

QStringList newMailTexts(core::TmainForm& model) {
    QStringList texts;
    for (const auto& entry : model.retrieval().newMail().entries()) texts << toQt(entry.text);
    return texts;
}

int newMailSelection(core::TmainForm& model) {
    return model.retrieval().newMail().selected();
}

void chooseNewMail(core::TmainForm& model, int index) {
    model.retrieval().chooseNewMail(index);
}

}  // namespace velmora::desktop
