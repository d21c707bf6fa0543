// The find window `TsearchForm` ("Find Dialog"): searches the preview text of the folder windows
// in the shown message, in every message of the current folder window one after another, or in
// every open folder window one after another. Each hit is selected in the preview pane and
// scrolled into view; the next "&Find" goes on after it. Running out of text is said by one of
// the three end messages, each after a beep; a message without a hit is passed over silently.
//
// The window is created once, then shown and hidden; it is not modal and stays on top of the
// other child windows. Its options live in "search.cfg" (tools/search_settings.h), read at
// creation and written each time it closes. The search state lives as long as the window: between
// commands it says where the next "&Find" goes on.
#pragma once

#include <array>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/child_window.h"
#include "platform/platform.h"
#include "reading/folder_window_host.h"
#include "tools/search_settings.h"
#include "tools/text_search.h"

namespace velmora::reading {
class TinboxForm;
}

namespace velmora::tools {

inline constexpr const char* kSearchWindowKey = "Search.Search";
inline constexpr const char* kSearchCaption = "Find Dialog";

// Where to search, in the order of the target list.
enum class SearchTarget { CurrentMessage = 0, CurrentWindow = 1, AllWindows = 2 };

// A control of the window: its name, caption (or label) and hint.
struct SearchControl {
    const char* name;
    const char* caption;
    const char* hint;
};

namespace search_controls {
inline constexpr SearchControl kTarget{"cboSearchTargetWindow", "Find where",
                                       "Search in what mail message windows"};
inline constexpr std::array<const char*, 3> kTargetItems = {
    "Current Mail Message", "All Messages in Current Window", "All Open Mail Message Windows"};
inline constexpr SearchControl kText{"txtSearchText", "Find for", "Text to search for"};
inline constexpr SearchControl kCaseSensitive{"chkCaseSensitive", "Case sensitive",
                                              "Enable to force exact case match"};
inline constexpr SearchControl kWholeWords{"chkWholeWords", "Whole words only",
                                           "Enable to search for whole words only"};
inline constexpr SearchControl kSearch{"cmdSearch", "&Find", "Search/Search again"};
inline constexpr SearchControl kNextMessage{"cmdNextMessage", "Next &Message",
                                            "Continue search with next message"};
inline constexpr SearchControl kNextFolder{"cmdNextFolder", "Ne&xt Folder",
                                           "Continue search with next window"};
inline constexpr SearchControl kReset{
    "cmdReset", "&Reset",
    "Reset internal search flags - prepare to start a new search.\rWill include any new windows "
    "opened since Search dialog box was opened."};
inline constexpr SearchControl kClose{"cmdClose", "&Close", "Close Search dialog box"};
inline constexpr SearchControl kHelp{"cmdHelp", "&Help", "Display Search help"};
}  // namespace search_controls

inline constexpr int kSearchHelpTopic = platform::help_topic::kSearch;

inline constexpr const char* kEndOfMessage = "End of search in this message!";
inline constexpr const char* kEndOfWindow = "End of search in this window!";
inline constexpr const char* kEndOfAllWindows = "End of search in all open windows!";
// What the window says when there is nothing to search in.
inline constexpr const char* kNoFolderWindow =
    "There is no mail message window to search in.\rOpen a folder and try again.";
inline constexpr const char* kNoMessages = "None of the open mail message windows holds a message.";
inline constexpr const char* kNoSearchText = "Enter the text to search for.";

class TsearchForm : public platform::ChildWindow {
  public:
    // Reads "search.cfg" from `home`; the window starts hidden.
    TsearchForm(platform::Platform& platform, std::filesystem::path home,
                reading::FolderWindowHost& host);

    // --- what the window shows -------------------------------------------------------------
    SearchTarget target() const { return target_; }
    const std::string& searchText() const { return text_; }
    bool caseSensitive() const { return caseSensitive_; }
    bool wholeWords() const { return wholeWords_; }
    bool nextMessageEnabled() const { return nextMessageEnabled_; }
    bool nextFolderEnabled() const { return nextFolderEnabled_; }
    platform::Platform& platform() { return platform_; }
    // Counts the times the search text asked for the focus (the view acts on each once).
    int textFocusRequests() const { return textFocusRequests_; }

    // --- the search state ---------------------------------------------------------------------
    // Byte offset in the preview text where the next search starts; -1 after a miss.
    int searchPosition() const { return searchPosition_; }
    int messageIndex() const { return messageIndex_; }
    int windowIndex() const { return windowIndex_; }
    // The keys of the open folder windows holding a message, least recently activated first.
    const std::vector<std::string>& windowList() const { return windowList_; }
    bool searchEnded() const { return searchEnded_; }

    // --- commands ---------------------------------------------------------------------------
    // Ctrl+F: shows the window (building the window list, opening the InBox window when no open
    // folder window holds a message) or, when shown already, brings it forward.
    void show();
    // Choosing a target starts the search over.
    void setTarget(SearchTarget target);
    // The text as typed; line breaks (pasted) become spaces.
    void setSearchText(std::string text);
    // Clicking a check box sets it and gives the focus back to the search text.
    void setCaseSensitive(bool on);
    void setWholeWords(bool on);
    // "&Find" (and Enter in the search text).
    void cmdSearchClick();
    void cmdNextMessageClick();
    void cmdNextFolderClick();
    void cmdResetClick();
    // "&Close", Escape and the frame's close button: the window is hidden and "search.cfg"
    // written (a failure is shown as a warning).
    void cmdCloseClick();
    void cmdHelpClick();

    // The frame's close hides the window, which stays for the next Ctrl+F.
    int helpContext() const override { return platform::help_topic::kSearch; }
    bool closeQuery() override;
    // The program ends: the options are written as on every close.
    void onClose() override;

  private:
    reading::TinboxForm* current() const;
    reading::TinboxForm* windowAt(int index) const;
    // Is `window` still an open folder window of the host (a message box may have let it close)?
    bool stillOpen(const reading::TinboxForm* window, const std::string& logicalPath) const;
    void buildWindowList();
    void showPreviewIfHidden();
    void clearSelection();
    void bringForward(reading::TinboxForm& window);
    void resetPositions();
    void endMessage(const char* text);
    void nothingToSearch(const char* text);

    bool findInMessage(reading::TinboxForm& window);
    void findInCurrentMessage();
    void findInWindow();
    void findInAllWindows();
    enum class RowsResult { Hit, Stopped, PassedLastRow, WindowGone };
    RowsResult searchRows(reading::TinboxForm& window);
    // Goes to the next window of the list that is still open; false when the list ran out
    // (after the end message).
    bool nextWindow();
    void runTarget();
    void changed();
    void writeSettings();

    platform::Platform& platform_;
    std::filesystem::path home_;
    reading::FolderWindowHost& host_;

    SearchTarget target_ = SearchTarget::CurrentMessage;
    std::string text_;
    bool caseSensitive_ = false;
    bool wholeWords_ = false;
    bool nextMessageEnabled_ = false;
    bool nextFolderEnabled_ = false;
    int textFocusRequests_ = 0;
    bool searching_ = false;

    int searchPosition_ = 0;
    int messageIndex_ = 0;
    int windowIndex_ = 0;
    std::vector<std::string> windowList_;
    bool searchEnded_ = false;
};

}  // namespace velmora::tools
