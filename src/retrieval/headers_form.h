// The retrieve-headers window `TheadersForm` ("Headers.Headers"): one row per message waiting on
// the POP3 server of the profile whose headers were fetched, each with the server action the
// user chose for it; Execute Action carries them out in a second session.
//
// Every row keeps its server message index apart from its place in the list and from its
// execution number, so sorting never changes which server message an action hits, and it keeps
// the inspected data of that message (size, header lines, identifier) for the check before each
// action. The rows belong to the profile whose server they came from: a profile change empties
// the window.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "net/remote_pop.h"
#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "profiles/profile_lists.h"

namespace velmora::retrieval {

inline constexpr const char* kHeadersWindowKey = "Headers.Headers";
inline constexpr const char* kHeadersLayoutFile = "headers.cfg";
inline constexpr int kHeadersColumnCount = 7;
inline constexpr std::array<const char*, kHeadersColumnCount> kHeadersColumnCaptions = {
    "Action", "No", "Size KB", "Subject", "From", "To", "Date"};
inline constexpr std::array<int, kHeadersColumnCount> kHeadersColumnWidths = {70,  45,  60, 160,
                                                                              100, 100, 160};

enum class ServerAction { RetAndDel = 0, RetAndHold = 1, Hold = 2, Delete = 3 };
inline constexpr std::array<const char*, 4> kServerActionTexts = {"Ret & Del", "Ret & Hold", "Hold",
                                                                  "Delete"};
const char* actionText(ServerAction action);
// The profile's headers default action (0..3; anything else counts as 0).
ServerAction defaultServerAction(int profileChoice);

struct HeadersRow {
    std::array<std::string, kHeadersColumnCount> columns;
    ServerAction action = ServerAction::RetAndDel;
    int serverIndex = 0;          // the server message number minus one
    int executionNumber = -1;     // THeadersObjectListView: its place in the execution order
    net::TmsRemoteInfoItem info;  // what the header fetch saw of the message
};

// "headers.cfg": seven column widths, the list's height and top, full or reduced size.
struct HeadersLayout {
    std::array<int, kHeadersColumnCount> widths = kHeadersColumnWidths;
    std::optional<int> listHeight;
    std::optional<int> listTop;
    bool fullSize = false;
    bool fromFile = false;
};
HeadersLayout loadHeadersLayout(const std::filesystem::path& home);
[[nodiscard]] std::error_code saveHeadersLayout(const std::filesystem::path& home,
                                                const HeadersLayout& layout);

// The row texts of one fetched message: action, number, size text, Subject, From as received
// ("<>" and empty give "No Name <unknown address>"), the first To address, the date text.
std::array<std::string, kHeadersColumnCount> headersRowColumns(ServerAction action, int serverIndex,
                                                               const net::TmsRemoteInfoItem& info,
                                                               int dateFormat);

class TheadersForm : public platform::ChildWindow {
  public:
    // `busy` tells whether a mail transfer runs (closing is refused then); `executeAction` and
    // `retrieveHeaders` run the sessions.
    struct Commands {
        std::function<bool()> busy;
        std::function<void()> retrieveHeaders;
        std::function<void()> executeAction;
        // The profile list for "Change &User Profile", and the commands every window's pop-up
        // menu offers (floating tips, help); either may be missing.
        profiles::ProfileLists* profiles = nullptr;
        const platform::Commands* registered = nullptr;
    };

    TheadersForm(platform::Platform& platform, std::filesystem::path home, Commands commands);

    // --- rows -----------------------------------------------------------------------------
    const std::vector<HeadersRow>& rows() const { return rows_; }
    std::vector<HeadersRow>& mutableRows() { return rows_; }
    std::size_t rowCount() const { return rows_.size(); }
    // Empties the list: caption "Retrieve Headers - 0 Headers", action buttons cleared, Execute
    // and the action group disabled.
    void clearRows();
    // Appends a fetched row, selects it and updates the caption.
    void addRow(HeadersRow row);
    // After a fetch: the caption; with rows, Execute and the action group enabled, the first row
    // selected and the list focused.
    void fetchFinished();
    // The active profile changed: the rows belong to another server now.
    void profileChanged() { clearRows(); }
    // A connection failure that means no Internet connection disables Execute.
    void disableExecute() { executeEnabled_ = false; }

    // --- state shown ------------------------------------------------------------------------
    bool executeEnabled() const { return executeEnabled_; }
    bool actionGroupEnabled() const { return actionGroupEnabled_; }
    // The action the four buttons show (that of the current row); nullopt: all cleared.
    std::optional<ServerAction> buttonsAction() const { return buttons_; }
    int currentRow() const { return current_; }
    bool isSelected(std::size_t row) const { return row < selected_.size() && selected_[row]; }
    std::vector<int> selectedRows() const;
    int heldCount() const;
    // "&Show ListView Full Size" or "Show ListView Reduced Size": the choice not in force.
    std::string sizeMenuCaption() const;
    const HeadersLayout& layout() const { return layout_; }
    // The list's pop-up menu. "mnuHeaders_Close" is left to the view, which closes the frame.
    platform::Menu popupMenu();

    // --- commands ---------------------------------------------------------------------------
    void clickRow(int row);
    void setSelected(std::size_t row, bool selected);
    void selectAll();
    void setAction(ServerAction action);
    // R, O, H, D in either case set the action; Ctrl+A selects all. True when the key was used.
    bool pressKey(char key, bool ctrl = false);
    void cmdRetrieveHeadersClick();
    void cmdExecuteClick();
    void toggleFullSize();
    // Sorts by a column: No and Size KB by number, the others by text; clicking the sorted
    // column again turns the direction.
    void sortBy(int column);
    int sortColumn() const { return sortColumn_; }
    bool sortDescending() const { return sortDescending_; }
    void setColumnWidth(int column, int width);
    void setListGeometry(int height, int top);

    int helpContext() const override { return platform::help_topic::kRetrieveHeaders; }
    bool closeQuery() override;
    void onClose() override;

  private:
    void updateCaption();
    void selectOnly(int row);

    platform::Platform& platform_;
    std::filesystem::path home_;
    Commands commands_;
    std::vector<HeadersRow> rows_;
    std::vector<bool> selected_;
    int current_ = -1;
    bool executeEnabled_ = false;
    bool actionGroupEnabled_ = false;
    std::optional<ServerAction> buttons_;
    int sortColumn_ = 1;
    bool sortDescending_ = false;
    HeadersLayout layout_;
    bool widthsChanged_ = false;
};

}  // namespace velmora::retrieval
