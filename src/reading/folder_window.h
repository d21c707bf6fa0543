// The folder window `TinboxForm`: the list of one mail folder's messages. Its key is "InBox." +
// the folder's logical path; its rows are the folder index's list items, each with its six
// column texts (Status, Size KB, Subject, From, To, Date). The window loads the index when it
// opens (rebuilding it from the message files when it is missing, damaged or out of step with
// them) and writes it back when it closes and something changed; an emptied folder's index file
// is deleted.
//
// The window's layout (column widths, sort, header mode, window state) is kept in the folder's
// layout file (reading/folder_layout.h). Below the list a preview pane shows the current row's
// message 350 ms after the row changed; marks rewrite the status and re-stamp the message file;
// the pop-up menus are tables whose entries follow the folder kind (folder_menus.cpp).
#pragma once

#include <array>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "mime/message.h"
#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "platform/timers.h"
#include "profiles/settings.h"
#include "reading/display_text.h"
#include "reading/folder_layout.h"
#include "reading/folder_window_host.h"
#include "store/folder_tree.h"
#include "store/folders.h"
#include "store/list_item.h"

namespace velmora::reading {

struct ColumnSpec {
    const char* caption;
    int width;  // on creation
};

inline constexpr std::array<ColumnSpec, store::kColumnCount> kFolderColumns = {
    {{"Status", 75}, {"Size KB", 60}, {"Subject", 160}, {"From", 110}, {"To", 110}, {"Date", 120}}};

inline constexpr const char* kListHint =
    "ListView component - shows mail message items.\rRight mouse click for pop-up menu.\rStatus "
    "Column:\r U - Unread\r R - Read\r O - Original\r C - Copy\r R/r Replied/Not replied to\r "
    "F/f/M Forwarded/Not forwarded/file attachment has been Moved\r A/a Attachment(s)/No "
    "attachment(s)\r N - Priority (H)High, (N)Normal (L)Low|";
inline constexpr const char* kPreviewHint =
    "Mail Message View window.\rRight mouse click for pop-up menu|";

// How two rows compare for a sort column: Status rows are all equal, Size KB compares the
// numbers of the texts, Date the items' sort dates, the others their texts byte by byte.
// -1, 0 or 1, before the direction is applied.
int compareRows(const store::FolderRow& a, const store::FolderRow& b, store::Column column);

// The delay between a click or a navigation key and loading the preview.
inline constexpr platform::Milliseconds kPreviewDelay{350};

// The status a mark starts from when the stored one is shorter than its eleven characters (a
// damaged index or file): the missing positions are taken from this.
inline constexpr const char* kStatusPadding = "U O r f a N";

// How a row is drawn: bold while unread, in the list font colour or a priority colour.
struct RowLook {
    bool bold = false;
    profiles::Colour colour = profiles::kClBlack;
};

// The commands other modules register that the folder window's menus and keys use. An entry
// whose command is not registered is disabled (opening a Drafts, OutBox or Sent row without the
// compose window's command says so instead of doing nothing).
namespace folder_commands {
inline constexpr const char* kEditInCompose =
    "compose.editStored";  // selected rows of the current folder window
inline constexpr const char* kReplySender = "reply.sender";
inline constexpr const char* kReplyAll = "reply.all";
inline constexpr const char* kReplySenderOpposite = "reply.senderOpposite";
inline constexpr const char* kReplyAllOpposite = "reply.allOpposite";
inline constexpr const char* kForward = "forward.message";
inline constexpr const char* kForwardAbuse = "forward.abuse";
inline constexpr const char* kSendSelected = "send.selected";
inline constexpr const char* kAddSender = "addressbook.addSender";
inline constexpr const char* kHarvest = "addressbook.harvest";
inline constexpr const char* kPrint = platform::kPrintCommand;
inline constexpr const char* kHelp = platform::kHelpCommand;
// A message was read: the user entered the preview pane, or a read window showed it (read
// acknowledgements look at it).
inline constexpr const char* kReadAckPreview = "readAck.previewEntered";
inline constexpr const char* kReadAckShown = "readAck.readWindowShown";
}  // namespace folder_commands

class TinboxForm;

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
    // Replaces the selection in one step (the list widget's selection after a click or key);
    // rows out of range are ignored.
    void setSelection(const std::vector<int>& rows);
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

    // --- layout -------------------------------------------------------------------------------
    // The layout read when the window opened (defaults when its file was missing).
    int columnWidth(int column) const {
        return layout_.widths.at(static_cast<std::size_t>(column));
    }
    void setColumnWidth(int column, int width);
    // A column resized by the user: the width goes to that column of every open folder window.
    static void setColumnWidthEverywhere(int column, int width);
    bool layoutDirty() const { return layoutDirty_; }
    std::filesystem::path layoutFile() const;
    // Writes the layout file (atomically; the old file is never deleted first). A failure is
    // shown as a warning.
    void writeLayout();
    // Off for windows nobody sees (the command line's): closing leaves the layout file alone.
    void setLayoutWrittenOnClose(bool written) { layoutWrittenOnClose_ = written; }
    // A header click: sorts by `column`, toggling the direction when it is the sort column
    // already; the first row (descending) or last row (ascending) becomes current, its preview
    // is loaded, and the read windows of this folder follow their messages.
    void headerClick(int column);

    // --- preview -------------------------------------------------------------------------------
    HeaderMode headerMode() const { return headerMode_; }
    // Sets the header mode and shows the preview again in it.
    void setHeaderMode(HeaderMode mode);
    bool previewShown() const { return settings_.vl.previewShown; }
    // The shared flag changed (all folder windows follow): the preview is composed again.
    void previewShownChanged();
    int helpContext() const override { return platform::help_topic::kFolderWindow; }
    std::string printCaption() const override;
    // The selection of the preview pane; else the selected messages, each on new pages ("&Print
    // Messages"); else the current message as the preview shows it (composed for printing when
    // the pane is hidden), under the message's subject.
    std::optional<platform::Printout> printout() override;

    // The text of the preview pane (plain text, CR LF lines); empty when no message is loaded.
    const std::string& previewText() const { return previewText_; }
    // A click on a row: it becomes current and the only selected row; the preview follows after
    // 350 ms.
    void rowClicked(int row);
    // The current row moved (navigation keys, or the list's own selection): when it differs from
    // the previous row the 350 ms timer is restarted.
    void currentRowMoved(int row);
    int previousRow() const { return previous_; }
    // Loads the current row's message and composes the preview now (what the timer does).
    void loadPreview();
    // The message loaded for the current row, loaded again first when the current row is not the
    // one it came from; nullptr when there is no row or its file is missing (the preview is
    // cleared then).
    mime::TmsMessage* loadedMessage();
    // The file name of the row the loaded message came from; empty when none is loaded.
    const std::string& loadedFileName() const { return loadedFile_; }
    // Clears the loaded message and the preview.
    void clearPreview();
    // The selection in the preview pane that the window set (the find window's hit): its first
    // byte in previewText() and its length in bytes; nothing when none is set. New preview text
    // clears it.
    struct PreviewSelection {
        std::size_t start = 0;
        std::size_t length = 0;
        bool operator==(const PreviewSelection&) const = default;
    };
    const std::optional<PreviewSelection>& previewSelection() const { return previewSelection_; }
    // Selects bytes of the preview text, cut to the text's end (a start past it clears the
    // selection), and has the view scroll it into view; nullopt clears the selection.
    void setPreviewSelection(std::optional<PreviewSelection> selection);
    // Counts the times the selection was set, so that the view scrolls to each one once even
    // when it is the same as before.
    int previewSelectionSerial() const { return previewSelectionSerial_; }
    // Gives the preview pane the keyboard focus (the view acts on each request once).
    void focusPreview();
    int previewFocusRequests() const { return previewFocusRequests_; }

    // --- rows appearance -------------------------------------------------------------------
    RowLook rowLook(std::size_t row) const;
    // The colours of selected rows: nullopt for the desktop's own highlight colours.
    std::optional<std::pair<profiles::Colour, profiles::Colour>> selectionColours() const;

    // --- marks -------------------------------------------------------------------------------
    // Each builds the new status string from the row's status and stores it (see storeStatus).
    void markMailMessageRead(int row);
    void markMailMessageReplied(int row);
    void markMailMessageForwarded(int row);
    // The attachment marks act on the current row.
    void markMailMessageAttachmentMoved();
    void markMailMessageAttachmentCopied();
    void markMailMessageAttachmentDeleted();
    // Sets status position `position` (1 to 11) of a row to `letter` and stores it: the item,
    // the Status column, the message file's private block (a re-stamping failure is shown as a
    // warning) and the index dirty flag. Nothing happens when the status stays the same.
    void setStatusLetter(int row, int position, char letter);
    // The preview pane was clicked or entered: the current row is marked read.
    void previewEntered();

    // --- commands ---------------------------------------------------------------------------
    // Enter, double click and "&Read Message": InBox, Trash and user folders open a read window
    // per selected row; Drafts, OutBox and Sent hand them to the compose window's command.
    void openSelectedRows();
    // Delete key and "&Delete Message": the selected rows go to Trash (or for good, see
    // transfers.h); the row at the same index becomes current with its preview.
    void deleteSelectedRows();
    // Sent only, current row: removes its attachments after the confirmation (see the .cpp).
    void removeAttachments();
    // Escape: closes the window.
    void escapePressed();
    // The list's and the preview's pop-up menus as they stand now.
    platform::Menu listMenu();
    platform::Menu previewMenu();
    // The entries the main window's Mail menu takes over from this window, named "mnuMail_"
    // followed by "AddSender", "Harvest", "Move", "Copy", "Delete", "Read" and "EditInCompose":
    // built whenever the menu bar is, so nothing is loaded for them; the move and copy targets
    // come from `tree`.
    platform::Menu mailMenuEntries(const store::TMailTree& tree);

    // --- read windows of this folder --------------------------------------------------------
    // One entry per open read window, the row it shows, in opening order.
    std::vector<int>& readWindowRows() { return readWindowRows_; }
    int readWindowCount() const { return static_cast<int>(readWindowRows_.size()); }
    // The page of the last read window choice: 0 body only, 1 normal, 2 full headers, 3
    // attachments.
    int readPage() const { return readPage_; }
    void setReadPage(int page) { readPage_ = page; }
    FolderWindowHost& host() { return host_; }

    // Closing: refused while mail is sent; the OutBox asks to send its rows first.
    bool closeQuery() override;
    // Writes the layout file and the index.
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
    void applyLayout();
    void composePreview();
    // The loaded message as the preview shows it, whether the pane is shown or not.
    std::string loadedMessageText();
    std::string messageText(mime::TmsMessage& message, const store::TObjListViewVLF& item);
    std::string selectedMessagesText();
    void previewTimerFired();
    // The preview shows another row than the current one (rows went, another row became
    // current): it is loaded anew after the preview delay, or cleared when no row is left.
    void followCurrentRow();
    void afterRowsRemoved();
    void storeStatus(int row, std::string status);
    void appendWindowEntries(platform::Menu& menu, const std::string& prefix);
    platform::MenuEntry commandEntry(std::string name, std::string caption, const char* command,
                                     std::string shortcut = "");
    platform::Menu forwardAndReplyEntries(bool preview);
    // "Add Sender To Address &Book": the command, or the books to choose from.
    platform::MenuEntry addSenderEntry(const std::string& name);
    // The entries the list menu shares with the main window's Mail menu.
    platform::MenuEntry harvestEntry(const std::string& name);
    platform::MenuEntry transferEntry(const std::string& name, bool copy,
                                      const store::TMailTree& tree);
    platform::MenuEntry deleteEntry(const std::string& name);
    platform::MenuEntry readEntry(const std::string& name);
    platform::MenuEntry editInComposeEntry(const std::string& name);
    bool replyAllAvailable();
    bool outBoxClosePrompt();

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

    FolderLayout layout_;
    bool layoutDirty_ = false;
    bool layoutWrittenOnClose_ = true;
    HeaderMode headerMode_ = HeaderMode::Normal;
    int previous_ = -1;
    std::unique_ptr<platform::Timer> previewTimer_;
    std::unique_ptr<mime::TmsMessage> loaded_;
    std::string loadedFile_;
    std::string previewText_;
    std::optional<PreviewSelection> previewSelection_;
    int previewSelectionSerial_ = 0;
    int previewFocusRequests_ = 0;
    std::vector<int> readWindowRows_;
    int readPage_ = 1;
};

}  // namespace velmora::reading
