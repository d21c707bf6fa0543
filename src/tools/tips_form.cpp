#include "tools/tips_form.h"

#include "base/identity.h"
#include "base/text_file.h"
#include "tools/tips_of_the_day.h"

namespace velmora::tools {

namespace {

TtipsForm::View& registeredView() {
    static TtipsForm::View view;
    return view;
}

}  // namespace

void setTipsWindowView(TtipsForm::View view) {
    registeredView() = std::move(view);
}

void TtipsForm::show() {
    const View& view = view_ ? view_ : registeredView();
    if (!view) return;
    position_ = nextTipPosition(settings_.lastTip);
    showAtStartup_ = settings_.showAtStartup;
    closed_ = false;
    view(*this);
    if (!closed_) closeClick();  // the window went without a command

    settings_.lastTip = position_;
    settings_.showAtStartup = showAtStartup_;
    if (auto ec = profiles::saveTipsSettings(home_, settings_))
        platform_.dialogs.warning(kProductName, "File I/O Error 9563\r" + errorText(ec));
}

std::string_view TtipsForm::tipText() const {
    return tipsOfTheDay()[static_cast<std::size_t>(position_)];
}

void TtipsForm::previousClick() {
    position_ = previousTipPosition(position_);
    changed();
}

void TtipsForm::nextClick() {
    position_ = nextTipPosition(position_);
    changed();
}

void TtipsForm::closeClick() {
    if (closed_) return;
    closed_ = true;
    if (closeRequested) closeRequested();
}

void TtipsForm::changed() {
    if (onChanged) onChanged();
}

}  // namespace velmora::tools
