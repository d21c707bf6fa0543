// The folder window `TinboxForm`: the list of one mail folder's messages. Its key is "InBox." +
// the folder's logical path; its rows are the folder index's list items, each with its six
// column texts (Status, Size KB, Subject, From, To, Date). The window loads the index when it
// opens (rebuilding it from the message files when it is missing, damaged or out of step with
// them) and writes it back when it closes and something changed; an emptied folder's index file
// is deleted.
//
// Still to come with the rest of the folder window: the layout file (column widths, sort,
// header mode, window state), marks, the preview pane, the menus and the OutBox close prompt.
// The sort column and direction below are those the layout file will set.
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

#include "profiles/settings.h"
#include "reading/folder_window_host.h"
#include "store/folders.h"
#include "store/list_item.h"
#include "platform/child_window.h"
#include "platform/platform.h"

namespace velmora::reading {

struct ColumnSpec {
    const char* caption;
    int width;  // on creation
};

inline constexpr std::array<ColumnSpec, store::kColumnCount> kFolderColumns = {{
    {"Status", 75}, {"Size KB", 60}, {"Subject", 160}, {"From", 110}, {"To", 110}, {"Date", 120}}};

inline constexpr const char* kListHint =
    "ListView component - shows mail message items.\rRight mouse click for pop-up menu.\rStatus "
    "Column:\r U - Unread\r R - Read\r O - Original\r C - Copy\r R/r Replied/Not replied to\r "
    "F/f/M Forwarded/Not forwarded/file attachment has been Moved\r A/a Attachment(s)/No "
    "attachment(s)\r N - Priority (H)High, (N)Normal (L)Low|";
inline constexpr const char* kPreviewHint = "Mail Message View window.\rRight mouse click for pop-up menu|";

// How two rows compare for a sort column: Status rows are all equal, Size KB compares the
// numbers of the texts, Date the items' sort dates, the others their texts byte by byte.
// -1, 0 or 1, before the direction is applied.
int compareRows(const store::FolderRow& a, const store::FolderRow& b, store::Column column);

class TinboxForm : public platform::ChildWindow {
public:
    TinboxForm(platform::Platform& platform, std::filesystem::path home, std::string logicalPath,
               const profiles::Settings& settings, FolderWindowHost& host);
    ~TinboxForm() override;
    TinboxForm(const TinboxForm&) = delete;
    TinboxForm& operator=(const TinboxForm&) = delete;

    // Loads the rows from the folder index: when the index file exists its records are read,
    // after the count check pause (250 ms) the rows are checked against the message files and
    // rebuilt when their numbers differ; without an index the rows are rebuilt from the message
    // files (none gives an empty list). A damaged index keeps the rows read before the damage and
    // gains rows for the message files it no longer lists. Then the list is sorted, the last row
    // (ascending) or first row (descending) becomes current and selected, and the Date column is
    // rendered in the date column format of the settings. An index that cannot be read (not a
    // regular file, a read error) or a folder that cannot be listed throws std::system_error;
    // after any failure to load, the window never writes or deletes the index.
    void open();
    // True when opening had to rebuild (or mend) the index.
    bool indexWasRebuilt() const { return indexRebuilt_; }
    // How long open() leaves the window on screen before the count check. A window nobody
    // sees (the command line's) checks at once with 0.
    void setCountCheckPause(platform::Milliseconds pause) { countCheckPause_ = pause; }

    const std::string& logicalPath() const { return logicalPath_; }
    // Re-keys the window after its folder was renamed and rewrites the caption.
    void setLogicalPath(std::string logicalPath);
    store::FolderKind folderKind() const { return store::folderKindOf(logicalPath_); }
    // The folder name of captions and status texts: the logical path, or its last component
    // when "Use short folder names on window title bars" is on.
    std::string folderName() const;
    const std::filesystem::path& home() const { return home_; }
    std::filesystem::path directory() const;
    std::filesystem::path indexFile() const;
    const profiles::Settings& settings() const { return settings_; }
    platform::Platform& platform() { return platform_; }

    // --- rows -----------------------------------------------------------------------------
    const std::vector<store::FolderRow>& rows() const { return rows_; }
    std::size_t rowCount() const { return rows_.size(); }
    store::FolderRow& row(std::size_t index) { return rows_.at(index); }
    // The column texts of a row (always six).
    std::array<std::string, store::kColumnCount> columns(std::size_t row) const;
    // Adds a row at the end of the list (until the list is sorted again), unselected, and
    // marks the index dirty.
    void addRow(store::FolderRow row);
    void addRows(std::vector<store::FolderRow> rows);
    // Removes a row; the selection goes with it and the current row stays on the same index
    // (the last row when the list became shorter). Marks the index dirty.
    void removeRow(std::size_t row);
    // Removes several rows (indexes in any order) in one pass, as removeRow one after another.
    void removeRows(std::vector<std::size_t> rows);
    // Replaces the rows, as a rebuild does; no row is current or selected afterwards.
    void replaceRows(std::vector<store::FolderRow> rows);

    // --- sorting -----------------------------------------------------------------------------
    store::Column sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return sortDescending_; }
    void setSort(store::Column column, bool descending);
    // Sorts the rows by the sort column and direction (equal rows keep their order) and makes
    // the first row (descending) or the last row (ascending) current and the only one selected.
    void sortRows();
    // Makes the first row (descending sort) or the last row (ascending) current and selected.
    void selectSortEnd();

    // --- current row and selection ---------------------------------------------------------
    // -1 when there are no rows.
    int currentRow() const { return current_; }
    void setCurrentRow(int row);
    // Makes `row` current and the only selected row.
    void clickRow(int row);
    bool isSelected(std::size_t row) const { return row < selected_.size() && selected_[row]; }
    void setSelected(std::size_t row, bool selected);
    std::vector<int> selectedRows() const;
    std::size_t selectedCount() const { return selectedCount_; }
    void selectAll();
    int firstVisibleRow() const { return firstVisible_; }
    void setFirstVisibleRow(int row);
    // Session restoring: scroll to `firstVisible` and select and make current `selected` (both
    // clamped to the rows there are).
    void restoreRows(int firstVisible, int selected);

    // --- texts ------------------------------------------------------------------------------
    // "Total [" folder "] Messages " rows "/" unread " Unread"; a row is unread when its Status
    // column starts with "U" (either case).
    std::string statusCountsText() const;
    // The folder name, "   Message k/N" (one or no selected row), " n Selected/N" (several) or
    // "   Message 0/0" (no rows), and " (Delete On Exit)" for Trash when it is emptied on exit.
    // A "* " new-mail mark in front is kept.
    void updateCaption();

    // --- index -----------------------------------------------------------------------------
    bool indexDirty() const { return indexDirty_; }
    void setIndexDirty() { indexDirty_ = true; }
    // Rebuilds the rows from the message files, with the progress box, and marks the index
    // dirty.
    void rebuildFolderIndex();
    // Rebuilds when the number of message files differs from the number of rows; true when it
    // did.
    bool checkFolderIndex();
    // Writes the index as closing does: an empty list deletes the index file; otherwise the
    // file is rewritten (atomically) when the index is dirty. Failures are reported in a warning
    // and leave the old file; the dirty flag stays set then. Does nothing after a failed open().
    void writeFolderIndex();
    // Renders the Date column of every row again from its mail date in the current format.
    void renderDateColumn();

    // Writes the index.
    void onClose() override;
    // The caption follows the options (short folder names, Trash emptied on exit).
    void optionsChanged() override;
    // Re-keys the window when its folder, or a folder it lies in, was renamed.
    void folderRenamed(const std::string& oldPath, const std::string& newPath) override;

    // The state word of the last resized folder window: "min", "normal" or "max".
    static const std::string& lastWindowState();
    static void setLastWindowState(std::string state);
    // Folder windows open in this program run.
    static int openCount();

private:
    void changed();
    void clampCurrent();

    platform::Platform& platform_;
    std::filesystem::path home_;
    std::string logicalPath_;
    const profiles::Settings& settings_;
    FolderWindowHost& host_;
    std::vector<store::FolderRow> rows_;
    std::vector<bool> selected_;
    std::size_t selectedCount_ = 0;
    int current_ = -1;
    int firstVisible_ = 0;
    store::Column sortColumn_ = store::Column::Date;
    bool sortDescending_ = false;
    bool indexDirty_ = false;
    bool indexRebuilt_ = false;
    bool closed_ = false;
    bool loadFailed_ = false;  // open() did not finish: the rows are not the folder's
    platform::Milliseconds countCheckPause_{250};
};

}  // namespace velmora::reading
