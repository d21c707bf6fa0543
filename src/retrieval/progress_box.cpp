#include "retrieval/progress_box.h"

#include <algorithm>
#include <limits>

namespace velmora::retrieval {

namespace {
// The bars' maximum stays far from overflow whatever count a server claims.
constexpr std::int64_t kMaxBarMessages = std::numeric_limits<std::int64_t>::max() / 1000;
}  // namespace

TretrieveHeadersDialogForm::TretrieveHeadersDialogForm() {
    setKey(kProgressBoxKey);
    setVisible(false);
}

void TretrieveHeadersDialogForm::start(const std::string& caption) {
    setCaption(caption);
    upper_.clear();
    lower_.clear();
    timeout_.clear();
    timeoutVisible_ = false;
    upperBar_ = 0;
    lowerBar_ = 0;
    lowerBarMax_ = 100;
    setVisible(true);
    changed();
}

void TretrieveHeadersDialogForm::close() {
    setVisible(false);
    changed();
}

void TretrieveHeadersDialogForm::setUpperLine(std::string text) {
    upper_ = std::move(text);
    changed();
}

void TretrieveHeadersDialogForm::setLowerLine(std::string text) {
    lower_ = std::move(text);
    changed();
}

void TretrieveHeadersDialogForm::setUpperBar(int percent) {
    upperBar_ = std::clamp(percent, 0, 100);
    changed();
}

void TretrieveHeadersDialogForm::setMessageCount(std::int64_t count) {
    lowerBarMax_ = 100 * std::clamp<std::int64_t>(count, 1, kMaxBarMessages);
    lowerBar_ = 0;
    changed();
}

void TretrieveHeadersDialogForm::messageDone(std::int64_t k) {
    lowerBar_ = std::clamp<std::int64_t>(
        100 * std::clamp<std::int64_t>(k, 0, kMaxBarMessages) + 100, 0, lowerBarMax_);
    changed();
}

void TretrieveHeadersDialogForm::setTimeoutLine(std::string text) {
    timeout_ = std::move(text);
    timeoutVisible_ = true;
    changed();
}

}  // namespace velmora::retrieval
