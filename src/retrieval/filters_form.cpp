#include "retrieval/filters_form.h"

#include <algorithm>

#include "base/text_file.h"
#include "retrieval/rules.h"

namespace velmora::retrieval {

TfiltersForm::TfiltersForm(platform::Platform& platform, std::filesystem::path home,
                           RuleList& rules, const platform::Commands* registered)
    : platform_(platform), home_(std::move(home)), rules_(rules), registered_(registered) {
    setKey(kFiltersWindowKey);
    setCaption(kFiltersCaption);
    setVisible(false);
    showSelected();
}

platform::Menu TfiltersForm::popupMenu() const {
    platform::MenuEntry reorder("mnuFilters_ReOrder", "&Re-Order Filters");
    reorder.enabled = !rules_.rules.empty();
    const platform::Commands none;
    return {std::move(reorder),
            platform::commandMenuEntry(registered_ ? *registered_ : none, "mnuFilters_Tips",
                                       "Floating &Tips", platform::kFloatingTipsCommand),
            {"mnuFilters_Close", "&Close Window"}};
}

TMailFiltersObjectListBox* TfiltersForm::current() {
    if (rules_.selected < 0 || rules_.selected >= static_cast<int>(rules_.rules.size()))
        return nullptr;
    return &rules_.rules[static_cast<std::size_t>(rules_.selected)];
}

void TfiltersForm::showSelected() {
    const TMailFiltersObjectListBox* rule = current();
    if (!rule) {
        filterOn_ = 0;
        filterHow_ = 0;
        action_ = static_cast<int>(RuleAction::MoveTo);
        filterText_.clear();
        folderLabel_.clear();
        treeFolder_ = home_.string();
        return;
    }
    filterOn_ = rule->filterOn;
    filterHow_ = rule->filterHow;
    action_ = rule->action;
    filterText_ = rule->filterText;
    treeFolder_ = rule->folderPath.empty() ? home_.string() : rule->folderPath;
    folderLabel_ = rule->folderPath.empty()
                       ? std::string()
                       : std::filesystem::path(rule->folderPath).filename().string();
    // The label names the folder without its directory extension.
    if (folderLabel_.size() > 4 &&
        (folderLabel_.ends_with(".000") || folderLabel_.ends_with(".001")))
        folderLabel_.resize(folderLabel_.size() - 4);
}

void TfiltersForm::cmdAddClick() {
    auto answer =
        platform_.dialogs.inputBox({"Add New Filter", {"Filter Description", "", false}, {}});
    if (!answer || answer->first.empty()) return;
    TMailFiltersObjectListBox rule;
    rule.description = answer->first;
    rule.action = static_cast<int>(RuleAction::MoveTo);
    rules_.rules.push_back(std::move(rule));
    rules_.selected = static_cast<int>(rules_.rules.size()) - 1;
    showSelected();
    // The prompt stands in the field only; the rule gets a text when the field is left.
    filterText_ = kFilterTextPrompt;
    treeFolder_ = home_.string();
    focus_ = "FilterText";
}

void TfiltersForm::cmdEditClick() {
    TMailFiltersObjectListBox* rule = current();
    if (!rule) {
        focus_ = "Add";
        return;
    }
    auto answer = platform_.dialogs.inputBox(
        {"Edit Filter Name", {"Filter Description", rule->description, false}, {}});
    if (answer && !answer->first.empty()) rule->description = answer->first;
}

void TfiltersForm::cmdDeleteClick() {
    if (!current()) {
        focus_ = "Add";
        return;
    }
    platform_.system.beep();
    const auto answer = platform_.dialogs.question(
        "Confirmation", "Are you sure you want to delete this Filter item?",
        platform::Buttons::YesNo, platform::Answer::No);
    if (answer != platform::Answer::Yes) return;
    rules_.rules.erase(rules_.rules.begin() + rules_.selected);
    if (rules_.rules.empty())
        rules_.selected = -1;
    else
        rules_.selected = std::min(rules_.selected, static_cast<int>(rules_.rules.size()) - 1);
    showSelected();
}

void TfiltersForm::setAllEnabled(bool enabled) {
    if (rules_.rules.empty()) {
        focus_ = "Add";
        return;
    }
    for (auto& rule : rules_.rules) rule.enabled = enabled;
}

void TfiltersForm::setRuleChecked(int index, bool checked) {
    if (index < 0 || index >= static_cast<int>(rules_.rules.size())) return;
    rules_.rules[static_cast<std::size_t>(index)].enabled = checked;
}

void TfiltersForm::selectRule(int index) {
    if (index < 0 || index >= static_cast<int>(rules_.rules.size())) return;
    rules_.selected = index;
    showSelected();
}

void TfiltersForm::setFilterOn(int choice) {
    filterOn_ = choice;
    if (auto* rule = current()) rule->filterOn = choice;
}

void TfiltersForm::setFilterHow(int choice) {
    filterHow_ = choice;
    if (auto* rule = current()) rule->filterHow = choice;
}

void TfiltersForm::setAction(int choice) {
    action_ = choice;
    if (auto* rule = current()) rule->action = choice;
}

void TfiltersForm::leaveFilterText(const std::string& text) {
    filterText_ = text;
    if (auto* rule = current()) rule->filterText = text;
}

void TfiltersForm::clickFolder(const FolderChoice& folder) {
    if (!ruleTargetFolder(home_, folder.fullPath)) {
        // Arriving mail would go to InBox instead: the rule keeps its folder, and a mail folder
        // that cannot take it says why (the home folder's own node is only part of the tree).
        if (std::filesystem::path(folder.fullPath) != home_) {
            platform_.system.beep();
            platform_.dialogs.warning(
                "Rules & Filters",
                "Rules can move or copy arriving mail only into Trash or a user folder.");
        }
        return;
    }
    treeFolder_ = folder.fullPath;
    folderLabel_ = folder.name;
    if (auto* rule = current()) rule->folderPath = folder.fullPath;
}

void TfiltersForm::reportWriteFailure(const std::filesystem::path& file,
                                      const std::error_code& error) {
    platform_.system.beep();
    platform_.dialogs.warning(
        "Warning", "The rules could not be saved to " + file.string() + ".\r" + errorText(error));
}

void TfiltersForm::hide() {
    setVisible(false);
    const auto rulesFile = home_ / kRulesFile;
    if (rules_.rules.empty()) {
        std::error_code error;
        std::filesystem::remove(rulesFile, error);
        if (error) reportWriteFailure(rulesFile, error);
        return;
    }
    if (auto error = saveRules(rules_, rulesFile)) {
        reportWriteFailure(rulesFile, error);
        return;
    }
    if (auto error = saveRules(rules_, home_ / kRulesBackupFile))
        reportWriteFailure(home_ / kRulesBackupFile, error);
}

TorderFilterForm::TorderFilterForm(TfiltersForm& filters)
    : filters_(filters), copies_(filters.rules_.rules), selected_(filters.rules_.selected) {}

void TorderFilterForm::select(int index) {
    if (index >= 0 && index < static_cast<int>(copies_.size())) selected_ = index;
}

void TorderFilterForm::up() {
    if (selected_ <= 0) return;
    std::swap(copies_[static_cast<std::size_t>(selected_)],
              copies_[static_cast<std::size_t>(selected_ - 1)]);
    --selected_;
}

void TorderFilterForm::down() {
    if (selected_ < 0 || selected_ + 1 >= static_cast<int>(copies_.size())) return;
    std::swap(copies_[static_cast<std::size_t>(selected_)],
              copies_[static_cast<std::size_t>(selected_ + 1)]);
    ++selected_;
}

void TorderFilterForm::drag(int from, int to) {
    const int count = static_cast<int>(copies_.size());
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) return;
    auto moved = std::move(copies_[static_cast<std::size_t>(from)]);
    copies_.erase(copies_.begin() + from);
    copies_.insert(copies_.begin() + to, std::move(moved));
    selected_ = to;
}

void TorderFilterForm::close() {
    RuleList& list = filters_.rules_;
    // The rules window's list may have changed under a modal window only by this window; copy
    // back position by position all the same, never beyond what both hold.
    const std::size_t count = std::min(list.rules.size(), copies_.size());
    for (std::size_t i = 0; i < count; ++i) list.rules[i] = copies_[i];
    if (selected_ >= 0 && selected_ < static_cast<int>(count)) list.selected = selected_;
    const auto file = filters_.home_ / kRulesFile;
    if (auto error = saveRules(list, file)) filters_.reportWriteFailure(file, error);
    filters_.showSelected();
}

}  // namespace velmora::retrieval
