// The "Address Books" page of the configuration window: the book drop-down with its commands
// (New, Edit Name, Remove, Backup, re-order), the entry list with its commands (Add, Delete,
// Save, the entry clipboard, copying to the system clipboard, type-ahead), the fields of the
// entry under edit, the mailing-list fields and build mode, adding a message's sender,
// harvesting addresses from messages, locating a source record, and the File menu backups.
//
// Every write comes before its success text: a failed write is reported ("File I/O Error
// 9563"), keeps the changes and the change counter, and shows no success. The Qt widget renders
// this model and forwards the user's actions; it holds no rule.
#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "addressbook/address_books.h"
#include "addressbook/book_list.h"
#include "addressbook/entry.h"
#include "addressbook/print_layout.h"
#include "addressbook/verify_form.h"
#include "mime/address.h"
#include "platform/menu.h"
#include "platform/platform.h"

namespace velmora::addressbook {

// What the rest of the program is told, and the windows the page opens. Defaults do nothing.
class AddressBookEvents {
  public:
    virtual ~AddressBookEvents() = default;
    // A book was saved, created, removed, renamed or selected: compose windows rebuild their
    // lists of books and entries.
    virtual void booksChanged() {}
    // The main window's status bar.
    virtual void showStatus(const std::string& text) { (void)text; }
    // "&Verify Addresses" was confirmed: open the verification window on the selected entries.
    virtual void verifyAddresses() {}
    // "Import...": open the import window.
    virtual void importAddresses() {}
    // "Re-Order Address Books": open the re-order window.
    virtual void reorderBooks() {}
};

// Where the page puts the keyboard focus after a command.
enum class PageFocus {
    None,
    EntryList,
    AddButton,
    FullName,
    Nickname,
    Addresses,
    ListFrom,
    ListTo,
    ListReplyTo
};

// The fields of the entry under edit.
struct EntryFields {
    std::string fullName;
    std::string nickname;
    std::vector<std::string> addresses;
    std::vector<std::string> notes;
    bool isMailingList = false;
    std::string listFrom;
    std::string listTo;
    std::string listReplyTo;
    bool enabled = false;  // false with no entry selected
};

enum class ClipboardPart { Name, Address, NameAndAddress };

// At most this many books in the harvest and "Add Sender" sub-menus.
inline constexpr std::size_t kMaxBookMenuEntries = 100;
inline constexpr const char* kFileIoError = "File I/O Error 9563";
inline constexpr const char* kTypeAheadReady = "Type Ahead Ready";
inline constexpr const char* kTypeAheadLeft = "ESC Type Ahead";
inline constexpr const char* kNoMatch = "No Match - Press ESC";
inline constexpr const char* kBuildModeLabel = "Drag addresses into left side email addresses";

class AddressBooksPage {
  public:
    AddressBooksPage(platform::Platform& platform, std::filesystem::path home,
                     AddressBookEvents* events = nullptr);

    AddressBooks& books() { return books_; }
    platform::Platform& platform() { return platform_; }
    const AddressBooks& books() const { return books_; }
    void setEvents(AddressBookEvents* events) { events_ = events; }

    // --- start-up and the page's life -----------------------------------------------------
    // Reads "master.abk"; a listed book without any file (a case-insensitive match counts) is
    // taken off the list with a beep and "... was not found - skipping that file.", and the list
    // is written again; an unreadable book is reported and kept. Then every book is counted,
    // "addbook.cfg" applied and its book shown.
    void loadAtStartup();
    void enterPage();
    // Leaving the page writes a changed book ("[name] Address Book Was Saved" on the status
    // bar, else "No Address Book Was Saved") and "addbook.cfg" when the view changed.
    void leavePage();

    // --- books --------------------------------------------------------------------------------
    const std::string& selectedBook() const { return books_.loadedName(); }
    // "Address Book n of m".
    std::string bookLabel() const;
    // Saves the loaded book when it changed (stopping on a failure), then loads `name`. False
    // when the switch did not happen.
    bool selectBook(const std::string& name);
    void newBookClick();
    void editNameClick();
    void removeClick();
    void backupClick();
    bool canEditBook() const { return !books_.books().empty() && !buildMode_; }

    // --- entries ------------------------------------------------------------------------------
    int rowCount() const { return static_cast<int>(books_.entries().size()); }
    const TEmailNameObjListView& row(int index) const {
        return books_.entries().at(static_cast<std::size_t>(index));
    }
    const std::vector<int>& selection() const { return selection_; }
    // Raised whenever rows are added, removed or moved (not when one row's texts change), so
    // a view knows when to lay out the whole list again.
    int listRevision() const { return listRevision_; }
    int currentRow() const { return current_; }
    // A click (or keyboard move) on a row: the entry under edit is stored, the row shown.
    // `extend` adds it to the selection.
    void clickRow(int index, bool extend = false);
    void setSelection(std::vector<int> rows);
    // "Address Book Entries n Selected/m" or "Address Book Entries p/m".
    std::string entriesLabel() const;
    // A column header click: sorts by it, twice reverses.
    void sortBy(int column);
    const AddBookConfig& config() const { return config_; }

    void addClick();
    void deleteClick();
    void saveClick();
    void sortAddressesClick();
    void cutClick();
    void copyClick();
    void pasteClick();
    std::string cutCaption() const;
    std::string copyCaption() const;
    std::string pasteCaption() const;
    const std::vector<TClipEmailNameObjListView>& clipboard() const { return clipboard_; }
    void copyToClipboard(ClipboardPart part);
    // The print jobs of "P&rint All Addresses" and "P&rint Selected Addresses".
    PrintJob printJob(bool selectedOnly) const;
    void printClick(bool selectedOnly);
    void setShowBooks(bool shown);
    void setShowListFields(bool shown);
    void fontClick();
    void setColumnWidths(int nickname, int fullName);
    void verifyClick();
    // "Export...": the book, or the selected entries, to a file chosen with a dialog, as CSV
    // when its name ends in ".csv", else as vCard 4.0.
    void exportClick(bool selectedOnly);
    // The selected entries in list order with their positions, for the verification window.
    std::vector<VerifyEntry> selectedForVerification();
    void importClick();

    // --- the fields of the entry under edit --------------------------------------------------
    const EntryFields& fields() const { return fields_; }
    void editFullName(std::string text);
    void leaveFullName();
    void editNickname(std::string text);
    void leaveNickname();
    // Enter in "Nickname:": to the address pane, its first line selected.
    void nicknameEnter();
    void editAddresses(std::vector<std::string> lines);
    void leaveAddresses();
    void editNotes(std::vector<std::string> lines);
    void setMailingList(bool on);
    void editListField(PageFocus which, std::string text);
    // Entering "To:" / "Reply-To:" fills it from the field before when empty.
    void enterListTo();
    void enterListReplyTo();
    // "Mailing List Count: n Entries".
    std::string mailingListCountLabel() const;
    PageFocus focus() const { return focus_; }
    // The focus a command asked for, once: the view moves the focus and the request is done.
    PageFocus takeFocus() {
        const PageFocus f = focus_;
        focus_ = PageFocus::None;
        return f;
    }
    // The text selected in a field after a command (the first address line after Enter).
    const std::string& selectedText() const { return selectedText_; }
    // The text the user selected in the address pane (for "Locate Source Record").
    void setAddressSelection(std::string text) { selectedText_ = std::move(text); }

    // --- type-ahead in the entry list --------------------------------------------------------
    void typeAheadKey(char key);  // codes 48 to 126
    void typeAheadEscape();
    void typeAheadOtherKey();
    void listLeft();
    const std::string& typeAheadLabel() const { return typeAheadLabel_; }

    // --- build mode and locating --------------------------------------------------------------
    bool buildMode() const { return buildMode_; }
    // Starts or ends build mode; returns the check box's new state.
    bool setBuildMode(bool on);
    // Dropping the selected entries on the address pane, or Enter in the entry list.
    void dropSelectedOnAddresses();
    void copyAddressesToBuffer();
    void pasteBufferToAddresses();
    const std::vector<std::string>& addressBuffer() const { return addressBuffer_; }
    // "Locate Source Record" for the text selected in the address pane.
    void locateSourceRecord(const std::string& selected);
    const std::string& addressCountLabel() const { return addressCountLabel_; }

    // --- from messages ------------------------------------------------------------------------
    // "Add Sender To Address &Book": the sender's display name and address, into `book`.
    void addSender(const std::string& book, const mime::TmsMailAddress& sender);
    // The three harvest commands, with plain data from the folder window.
    void harvestSendersAsList(const std::string& book,
                              const std::vector<std::string>& senderAddresses);
    void harvestRecipientsAsList(const std::string& book, const mime::TmsAddressList& to,
                                 const mime::TmsAddressList& cc);
    void harvestRecipientsAsEntries(const std::string& book, const mime::TmsAddressList& to,
                                    const mime::TmsAddressList& cc);
    // The import window's entries, appended to the loaded book (marked changed).
    void appendEntries(std::vector<TEmailNameObjListView> entries);

    // --- the File menu backups -----------------------------------------------------------------
    void backupFromMenu(const std::string& book);
    void backupAllFromMenu();
    // "&Backup Address Books": one entry per book, then "All".
    platform::Menu backupMenu();
    // The page's pop-up menu.
    platform::Menu popupMenu();
    // A sub-menu of the books for the folder and read windows' harvest and "Add Sender" entries
    // and the compose window's "Address Boo&ks": the first 100 books, `checked` checked (the
    // selected one when not given), each choosing `choose(book)`. Entry names are `namePrefix`
    // and the position. The compose window's captions carry each book's entry count
    // ("Friends [12]").
    enum class BookCaptions { Names, NamesWithCounts };
    platform::Menu bookChoiceMenu(const std::string& namePrefix,
                                  const std::function<void(const std::string&)>& choose,
                                  const std::optional<std::string>& checked = std::nullopt,
                                  BookCaptions captions = BookCaptions::Names) const;

    // Stores the fields into the entry under edit (addressCount and noteCount follow the lists).
    void storeEntry();
    // Saves the loaded book now; false (after the warning) when the write failed.
    bool saveLoadedBook();

  private:
    void showEntry(int index);
    void clearFields();
    void changed() { books_.markChanged(); }
    void afterLoad();
    void writeConfig();
    void warnWrite(const std::error_code& ec);
    void info(const std::string& text);
    // Refuses (with the message) a name that cannot name a book, or that clashes with a book:
    // `anyOverlap` when it occurs inside another book's name, else when it equals one.
    bool refuseName(const std::string& name, bool anyOverlap);
    void sortEntries();
    void selectOnly(int index);
    void runNewBook();
    bool prepareTarget(const std::string& book);
    int appendEntry(TEmailNameObjListView entry);
    void tellBooksChanged();

    platform::Platform& platform_;
    AddressBookEvents* events_;
    AddressBooks books_;
    AddBookConfig config_;
    bool configChanged_ = false;
    std::vector<int> selection_;
    int current_ = -1;
    int listRevision_ = 0;
    EntryFields fields_;
    PageFocus focus_ = PageFocus::None;
    std::string selectedText_;
    std::vector<TClipEmailNameObjListView> clipboard_;
    std::string typeAhead_;
    int typeAheadStart_ = 0;
    std::string typeAheadLabel_ = kTypeAheadReady;
    bool buildMode_ = false;
    int buildTarget_ = -1;
    std::vector<std::string> addressBuffer_;
    std::string addressCountLabel_;
};

}  // namespace velmora::addressbook
