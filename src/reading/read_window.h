// The read window `TreadForm`: one stored message of a folder in a window of its own, tied to
// the folder window it was opened from (its owner, found by key: "Read." + the folder's logical
// path). It knows its row in the owner's list and the list item it showed, so it finds its row
// again after a re-sort and never acts on another row's message. Four pages: full headers,
// normal headers, body only (the text of display_text.h, not wrapped) and the attachment files,
// which can be opened with the desktop's program, deleted, or copied and moved to a directory.
#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "mime/message.h"
#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "reading/display_text.h"
#include "store/list_item.h"

namespace velmora::reading {

class TinboxForm;
class FolderWindowHost;

enum class ReadPage { BodyOnly = 0, Normal = 1, Full = 2, Attachments = 3 };

// The tab captions, by tab position (full headers first).
inline constexpr const char* kReadTabCaptions[] = {"Full Headers", "Normal Headers", "Body Only",
                                                   "Attachments"};
// The tab position of a page and back.
int tabOfPage(ReadPage page);
ReadPage pageOfTab(int tab);

inline constexpr const char* kVbsWarning =
    "Warning - One or more attachments are VB Scripts.\rVB scripts (.vbs files) have been known to "
    "carry dangerous viruses.\rMake sure you know who is sending you this attachment before "
    "opening it!";

class TreadForm final : public platform::ChildWindow {
  public:
    // A window for `row` of `owner`; nothing is loaded yet (see load).
    TreadForm(TinboxForm& owner, int row);
    ~TreadForm() override;
    TreadForm(const TreadForm&) = delete;
    TreadForm& operator=(const TreadForm&) = delete;

    // Loads the row's message file, removes its private headers and lists its attachment files.
    // On a read failure the warning "File I/O Error <code>\r" and the error text is shown and
    // false returned.
    bool load(int failureCode);

    const std::string& ownerPath() const { return ownerPath_; }
    // The owner folder window, found by key; nullptr when it is gone.
    TinboxForm* owner() const;
    int row() const { return row_; }
    const store::TObjListViewVLF& item() const { return item_; }
    mime::TmsMessage& message() { return *message_; }
    std::size_t rowsAtOpening() const { return rowsAtOpening_; }

    // The counter k of the caption, and the caption "Read k/n [folder r/N] [subject]".
    int counter() const { return counter_; }
    void setCounter(int k);
    void updateCaption();

    // --- pages -------------------------------------------------------------------------------
    ReadPage page() const { return page_; }
    // Shows a page. A text page sets the owner's header mode (and so its preview) and read page;
    // the Attachments page selects the first attachment on its first visit and warns about VB
    // scripts each time it is chosen.
    void choosePage(ReadPage page);
    // The text of the text pages (CR LF lines, plain text).
    const std::string& text() const { return text_; }
    // Its selection, else the whole text of the page shown, under the message's subject.
    int helpContext() const override { return platform::help_topic::kReadWindow; }
    std::string printCaption() const override;
    std::optional<platform::Printout> printout() override;

    // --- showing another row -------------------------------------------------------------------
    // Shows row `row` of the owner in this window: its own file loaded (a missing one removes the
    // row as opening does), marked read, shown on the current page. False when nothing was shown.
    bool showRow(int row);
    // "&Delete Message" and Delete in the text: the message goes to Trash (see the .cpp for what
    // the window shows next).
    void deleteMessage();
    // Escape.
    void escapePressed();

    // --- attachments ------------------------------------------------------------------------
    // The attachment files of the item that exist as regular files inside the folder's
    // directory, in attachment order.
    const std::vector<std::filesystem::path>& attachments() const { return attachments_; }
    std::string attachmentsTabCaption() const;
    bool isAttachmentSelected(std::size_t index) const;
    void setAttachmentSelected(std::size_t index, bool selected);
    void selectAllAttachments();
    std::size_t selectedAttachmentCount() const;
    int currentAttachment() const { return currentAttachment_; }
    void setCurrentAttachment(int index);
    // Enter or double click: opens the current attachment with the desktop's program. Program
    // and launcher files ask first.
    void openAttachment();
    // Delete and "Delete &Selected Attachment(s)": refused when the folder's rows changed since
    // opening; otherwise the selected files are deleted and the row marked "D".
    void deleteSelectedAttachments();
    void deleteAllAttachments();
    // "&Move To..." and "&Copy To...": the attachment dialog chooses a directory; each selected
    // file is copied there under its own name (replacing a file of that name); a move deletes
    // the stored file only after its copy is complete.
    void moveAttachments();
    void copyAttachments();

    // The pop-up menu as it stands now.
    platform::Menu popupMenu();

    // --- platform::ChildWindow ----------------------------------------------------------------
    bool showsFolderRow(const std::string& folderPath, int row) const override;
    void folderRowRemoved(const std::string& folderPath, int row) override;
    void folderRenamed(const std::string& oldPath, const std::string& newPath) override;
    // Takes the window out of its owner's read-window rows and renumbers the others.
    void onClose() override;

    // After a re-sort of the owner: the row of the list item this window shows.
    void followSortedRow();

  private:
    void composeText();
    void fillAttachments();
    bool inSyncWithOwner(TinboxForm& owner) const;
    void transferAttachments(bool move);
    void deleteAttachmentsAt(const std::vector<std::size_t>& indexes);
    void setRow(int row);

    FolderWindowHost& host_;
    platform::Platform& platform_;
    std::string ownerPath_;
    int row_ = 0;
    store::TObjListViewVLF item_;
    std::unique_ptr<mime::TmsMessage> message_;
    std::size_t rowsAtOpening_ = 0;
    std::string rowFileAtOpening_;
    int counter_ = 1;
    ReadPage page_ = ReadPage::Normal;
    std::string text_;
    std::vector<std::filesystem::path> attachments_;
    std::vector<bool> attachmentSelected_;
    int currentAttachment_ = -1;
    int attachmentPageVisits_ = 0;
    bool leaving_ = false;  // deleting its own message: not closed with the row
    bool closed_ = false;
};

}  // namespace velmora::reading
