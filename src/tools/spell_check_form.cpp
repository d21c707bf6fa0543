#include "tools/spell_check_form.h"

#include <algorithm>

#include "base/text_file.h"

namespace velmora::tools {

namespace {

TspellCheckForm::View& registeredView() {
    static TspellCheckForm::View view;
    return view;
}

}  // namespace

void setSpellCheckWindowView(TspellCheckForm::View view) {
    registeredView() = std::move(view);
}

std::optional<std::string> TspellCheckForm::check(std::string text) {
    text_ = std::move(text);
    words_ = findWords(text_);
    next_ = 0;
    changed_ = finished_ = kept_ = false;
    ignored_.clear();
    if (words_.empty()) {
        platform_.dialogs.information(caption_, kNothingToCheckText);
        return text_;
    }
    if (!advance()) {
        finished_ = kept_ = true;
        platform_.dialogs.information(caption_, kNoUnknownWordText);
        return text_;
    }
    const View& view = view_ ? view_ : registeredView();
    if (!view) return std::nullopt;
    view(*this);
    if (!finished_) cancelClick();  // the window went without a command
    return kept_ ? std::optional<std::string>(text_) : std::nullopt;
}

bool TspellCheckForm::advance() {
    current_.reset();
    suggestions_.clear();
    selectedSuggestion_ = -1;
    changeTo_.clear();
    while (next_ < words_.size()) {
        const TextWord candidate = words_[next_++];
        const std::string word = text_.substr(candidate.offset, candidate.length);
        if (ignored_.count(word) || dictionary_.contains(word)) continue;
        current_ = candidate;
        suggestions_ = dictionary_.suggestions(word);
        selectedSuggestion_ = suggestions_.empty() ? -1 : 0;
        changeTo_ = suggestions_.empty() ? word : suggestions_.front();
        return true;
    }
    return false;
}

void TspellCheckForm::step() {
    if (!advance()) {
        platform_.dialogs.information(caption_, kSpellCheckCompleteText);
        finish(true);
        return;
    }
    if (onChanged) onChanged();
}

void TspellCheckForm::finish(bool keep) {
    finished_ = true;
    kept_ = keep;
    current_.reset();
    suggestions_.clear();
    selectedSuggestion_ = -1;
    if (onChanged) onChanged();
    if (closeRequested) closeRequested();
}

std::string TspellCheckForm::word() const {
    return current_ ? text_.substr(current_->offset, current_->length) : std::string();
}

std::size_t TspellCheckForm::lineStart() const {
    if (!current_ || current_->offset == 0) return 0;
    const std::size_t end = text_.find_last_of("\r\n", current_->offset - 1);
    return end == std::string::npos ? 0 : end + 1;
}

std::string TspellCheckForm::lineText() const {
    if (!current_) return {};
    const std::size_t start = lineStart();
    const std::size_t end = text_.find_first_of("\r\n", start);
    return text_.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

int TspellCheckForm::lineNumber() const {
    if (!current_) return 0;
    int line = 1;
    for (std::size_t i = 0; i < current_->offset; ++i) {
        // CR LF, a lone LF and a lone CR each end one line.
        if (text_[i] == '\n' ||
            (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n')))
            ++line;
    }
    return line;
}

std::size_t TspellCheckForm::wordOffsetInLine() const {
    return current_ ? current_->offset - lineStart() : 0;
}

bool TspellCheckForm::changeEnabled() const {
    return current_ && changeTo_ != word();
}

void TspellCheckForm::selectSuggestion(int index) {
    if (index < 0 || index >= static_cast<int>(suggestions_.size())) return;
    selectedSuggestion_ = index;
    changeTo_ = suggestions_[static_cast<std::size_t>(index)];
    if (onChanged) onChanged();
}

void TspellCheckForm::replaceOccurrences(bool everyLater) {
    const std::string wrong = word();
    const std::string& replacement = changeTo_;
    // One pass builds the new text; the words still to come move with it, and later
    // occurrences that were changed are not checked again.
    std::string out;
    out.reserve(text_.size());
    out.append(text_, 0, current_->offset);
    out += replacement;
    std::size_t copied = current_->offset + current_->length;
    std::vector<TextWord> later;
    for (std::size_t i = next_; i < words_.size(); ++i) {
        const TextWord& w = words_[i];
        out.append(text_, copied, w.offset - copied);
        copied = w.offset + w.length;
        if (everyLater && text_.compare(w.offset, w.length, wrong) == 0) {
            out += replacement;
        } else {
            later.push_back({out.size(), w.length});
            out.append(text_, w.offset, w.length);
        }
    }
    out.append(text_, copied, std::string::npos);
    text_ = std::move(out);
    words_ = std::move(later);
    next_ = 0;
    changed_ = true;
}

void TspellCheckForm::changeClick() {
    if (finished_ || !current_) return;
    if (changeEnabled()) replaceOccurrences(false);
    step();
}

void TspellCheckForm::changeAllClick() {
    if (finished_ || !current_) return;
    if (changeEnabled()) replaceOccurrences(true);
    step();
}

void TspellCheckForm::ignoreClick() {
    if (finished_ || !current_) return;
    step();
}

void TspellCheckForm::ignoreAllClick() {
    if (finished_ || !current_) return;
    ignored_.insert(word());
    step();
}

void TspellCheckForm::addClick() {
    if (finished_ || !current_) return;
    const std::string added = word();
    if (const std::error_code error = dictionary_.add(added))
        platform_.dialogs.error(caption_, std::string(kAddFailedText) + "\r" + errorText(error));
    ignored_.insert(added);
    step();
}

void TspellCheckForm::cancelClick() {
    if (finished_) return;
    finish(changed_);
}

}  // namespace velmora::tools
