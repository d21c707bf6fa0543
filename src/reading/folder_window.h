// The folder window `TinboxForm`: the list of one mail folder's messages. Its key is "InBox." +
// the folder's logical path; its rows are the folder index's list items, each with its six
// column texts (Status, Size KB, Subject, From, To, Date). The window loads the index when it
// opens and writes it back when it closes and something changed.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "profiles/settings.h"
#include "reading/folder_window_host.h"
#include "store/list_item.h"
#include "ui/child_window.h"
#include "ui/platform.h"

namespace velmora::reading {

enum class FolderKind { InBox, Drafts, OutBox, Sent, Trash, User };

FolderKind folderKindOf(const std::string& logicalPath);

class TinboxForm : public ui::ChildWindow {
public:
    TinboxForm(ui::Platform& platform, std::filesystem::path home, std::string logicalPath,
               const profiles::Settings& settings, FolderWindowHost& host);

    // Loads the rows from the folder index (rebuilding it from the message files when needed)
    // and makes the last (ascending) or first (descending) row current.
    void open();
    // True when opening had to rebuild the index.
    bool indexWasRebuilt() const { return indexRebuilt_; }

    const std::string& logicalPath() const { return logicalPath_; }
    // Re-keys the window after its folder was renamed and rewrites the caption.
    void setLogicalPath(std::string logicalPath);
    FolderKind folderKind() const { return folderKindOf(logicalPath_); }
    // The folder name of captions and status texts: the logical path, or its last component
    // when "Use short folder names on window title bars" is on.
    std::string folderName() const;
    const std::filesystem::path& home() const { return home_; }
    std::filesystem::path directory() const;

    // --- rows -----------------------------------------------------------------------------
    const std::vector<store::FolderRow>& rows() const { return rows_; }
    std::size_t rowCount() const { return rows_.size(); }
    // The column texts of a row (always six).
    std::vector<std::string> columns(std::size_t row) const;
    // Adds a row at the end of the list (until the list is sorted again) and marks the index
    // dirty.
    void addRow(store::FolderRow row);
    // Removes a row; the selection and current row follow.
    void removeRow(std::size_t row);
    store::FolderRow& row(std::size_t index) { return rows_.at(index); }

    // --- current row and selection ---------------------------------------------------------
    int currentRow() const { return current_; }
    void setCurrentRow(int row);
    // Makes `row` current and the only selected row.
    void clickRow(int row);
    bool isSelected(std::size_t row) const { return row < selected_.size() && selected_[row]; }
    void setSelected(std::size_t row, bool selected);
    std::vector<int> selectedRows() const;
    void selectAll();
    int firstVisibleRow() const { return firstVisible_; }
    void setFirstVisibleRow(int row);
    // Session restoring: scroll to `firstVisible` and select and preview `selected` (both
    // clamped to the rows there are).
    void restoreRows(int firstVisible, int selected);

    // --- texts ------------------------------------------------------------------------------
    // "Total [" folder "] Messages " rows "/" unread " Unread".
    std::string statusCountsText() const;
    void updateCaption();

    // --- index -----------------------------------------------------------------------------
    bool indexDirty() const { return indexDirty_; }
    void setIndexDirty() { indexDirty_ = true; }

    void onClose() override;

    // The state word of the last resized folder window: "min", "normal" or "max".
    static const std::string& lastWindowState();
    static void setLastWindowState(std::string state);

private:
    void changed();

    ui::Platform& platform_;
    std::filesystem::path home_;
    std::string logicalPath_;
    const profiles::Settings& settings_;
    FolderWindowHost& host_;
    std::vector<store::FolderRow> rows_;
    std::vector<bool> selected_;
    int current_ = -1;
    int firstVisible_ = 0;
    bool indexDirty_ = false;
    bool indexRebuilt_ = false;
};

}  // namespace velmora::reading
