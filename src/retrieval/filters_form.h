// The rules window `TfiltersForm` ("Rules & Filters", on top of the other windows) and its modal
// re-order window `TorderFilterForm`. The rule list itself lives for the whole run beside the
// retrieval code, which reads it for every arriving message; the windows edit it in place.
//
// Hiding the rules window writes "filters.raf" and then "filters.bak" while the list holds a
// rule, and deletes "filters.raf" (keeping the backup) once it holds none. The re-order window's
// Close writes "filters.raf" only.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "retrieval/rules.h"

namespace velmora::retrieval {

inline constexpr const char* kFiltersWindowKey = "Filters.Filters";
inline constexpr const char* kFiltersCaption = "Rules & Filters";
inline constexpr const char* kFilterTextPrompt = "Enter Filter Text String Here";

class TfiltersForm : public platform::ChildWindow {
  public:
    // The folder the tree shows for a rule; `name` is what the folder label shows.
    struct FolderChoice {
        std::string fullPath;
        std::string name;
    };

    // `registered`: the commands every window's pop-up menu offers (floating tips); may be null.
    TfiltersForm(platform::Platform& platform, std::filesystem::path home, RuleList& rules,
                 const platform::Commands* registered = nullptr);

    const RuleList& rules() const { return rules_; }
    int selected() const { return rules_.selected; }

    // --- what the window shows for the selected rule ------------------------------------
    int filterOnChoice() const { return filterOn_; }
    int filterHowChoice() const { return filterHow_; }
    int actionChoice() const { return action_; }
    const std::string& filterTextField() const { return filterText_; }
    // The folder label: the chosen folder's name; disabled for "Delete Message".
    const std::string& folderLabel() const { return folderLabel_; }
    bool folderLabelEnabled() const {
        return action_ != static_cast<int>(RuleAction::DeleteMessage);
    }
    // The folder the tree selects: a rule's folder path, or the home folder for a new rule.
    const std::string& treeFolder() const { return treeFolder_; }
    // Which control asks for the focus after the last command ("Add", "FilterText", "").
    const std::string& focus() const { return focus_; }

    // --- commands --------------------------------------------------------------------------
    void cmdAddClick();
    void cmdEditClick();
    void cmdDeleteClick();
    void cmdChkAllClick() { setAllEnabled(true); }
    void cmdUnChkAllClick() { setAllEnabled(false); }
    void setRuleChecked(int index, bool checked);
    void selectRule(int index);
    void setFilterOn(int choice);
    void setFilterHow(int choice);
    void setAction(int choice);
    // Leaving the "Filter Text String" field stores its text in the selected rule.
    void leaveFilterText(const std::string& text);
    // A folder clicked in the tree becomes the selected rule's target when it can be one (Trash
    // or a user folder); any other mail folder is refused with a warning.
    void clickFolder(const FolderChoice& folder);

    // Esc, "&Close", "&Close Window" and the window's close button hide the window; the files
    // are written then (failures reported in a warning, the list is kept).
    void hide();
    void onClose() override { hide(); }
    // The rule list's pop-up menu: "mnuFilters_ReOrder" (enabled with rules) and
    // "mnuFilters_Close" are left to the view, which opens the re-order window and closes the
    // frame.
    platform::Menu popupMenu() const;

    const std::filesystem::path& home() const { return home_; }
    RuleList& ruleList() { return rules_; }

  private:
    friend class TorderFilterForm;
    void showSelected();
    void setAllEnabled(bool enabled);
    TMailFiltersObjectListBox* current();
    void reportWriteFailure(const std::filesystem::path& file, const std::error_code& error);

    platform::Platform& platform_;
    std::filesystem::path home_;
    RuleList& rules_;
    const platform::Commands* registered_;
    int filterOn_ = 0;
    int filterHow_ = 0;
    int action_ = static_cast<int>(RuleAction::MoveTo);
    std::string filterText_;
    std::string folderLabel_;
    std::string treeFolder_;
    std::string focus_;
};

// "Re-Order Filter List": works on copies of the rules until Close writes them back.
class TorderFilterForm {
  public:
    static constexpr const char* kCaption = "Re-Order Filter List";

    // Activation: copies every rule and selects the rule selected in the rules window.
    explicit TorderFilterForm(TfiltersForm& filters);

    const std::vector<TMailFiltersObjectListBox>& entries() const { return copies_; }
    int selected() const { return selected_; }
    void select(int index);
    // Swap the selected rule with its neighbour; nothing at either end.
    void up();
    void down();
    // Drags entry `from` to position `to`; the dragged entry stays selected.
    void drag(int from, int to);
    // Writes the order back into the rule list, writes "filters.raf" and selects the same rule
    // in the rules window.
    void close();

  private:
    TfiltersForm& filters_;
    std::vector<TMailFiltersObjectListBox> copies_;
    int selected_ = -1;
};

}  // namespace velmora::retrieval
