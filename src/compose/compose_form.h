// The compose window `TcomposeForm`: where a message is written, as a toolkit-free model. Its
// key is "Compose.Compose"; its seven pages are Compose (From, Reply To, To, CC, BCC, Subject,
// the signature choice and the address-book list), Body, Options, the one-address-per-line
// lists To, CC and BCC, and Attachments. Every address field exists twice, as the plain
// comma-separated text on the Compose page and as its list page; leaving one rebuilds the other.
//
// The window sends (through the program's sending, compose/sending.h), files itself into Drafts
// or OutBox (compose/filing.h) and asks on closing whether unsent work is to be kept. Its source
// (the stored message it was opened from) is named by folder and file name; after each filing
// that removes it, the new copy becomes the source.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "compose/compose_fields.h"
#include "compose/compose_files.h"
#include "compose/compose_host.h"
#include "compose/filing.h"
#include "compose/signatures.h"
#include "platform/child_window.h"
#include "platform/menu.h"
#include "platform/platform.h"
#include "platform/timers.h"

namespace velmora::compose {

inline constexpr const char* kComposeKey = "Compose.Compose";
inline constexpr int kMaxComposeWindows = 10;
inline constexpr const char* kTooManyWindowsText =
    "The maximum number of Compose windows (10) are already open.\rClose some open Compose "
    "windows if you need to create a new one.";
// The To of a new message filed on closing with no recipient, so the draft has one. The
// reserved domain can never deliver, should the draft be sent as it is.
inline constexpr const char* kPlaceholderTo = "undisclosed-recipients@velmora.invalid";

enum class ComposeMode { Compose, Reply, Forward, Drafts, OutBox, Sent, UserDefined };
enum class ComposePage { Compose = 0, Body, Options, To, CC, BCC, Attachments };
inline constexpr int kComposePageCount = 7;
enum class AddressField { To = 0, CC = 1, BCC = 2 };

// The "lower-case folder kind" mode of a window reopened from a folder.
ComposeMode modeOfFolder(const std::string& logicalPath);

// What every compose window of a run shares: the running number of windows opened, the
// recently used attachments, and the send command of the program.
struct ComposeShared {
    int windowsOpened = 0;
    // The page ("Compose" or "Body") last chosen by clicking a tab in any compose window of the
    // run; a reply window opens on it.
    std::optional<ComposePage> lastClickedPage;
    RecentAttachments recent;
    std::function<void(class TcomposeForm&)> send;
    // The signature blocks of the active profile, as the signature window holds them.
    std::function<SignatureList()> signatures;
    // "Update Master Signature Block": writes a block of the window's profile.
    std::function<bool(const std::string& profileName, const std::string& blockName,
                       const std::string& text)>
        updateSignature;
};

struct ComposeContext {
    platform::Platform& platform;
    std::filesystem::path home;
    ComposeHost& host;
    ComposeShared& shared;
};

class TcomposeForm : public platform::ChildWindow {
  public:
    // A window numbered `number` (its caption "Compose " and the number). Nothing is read
    // until the initialisation, 50 ms after start().
    TcomposeForm(ComposeContext& context, ComposeMode mode, int number);
    ~TcomposeForm() override;
    TcomposeForm(const TcomposeForm&) = delete;
    TcomposeForm& operator=(const TcomposeForm&) = delete;

    // --- opening ---------------------------------------------------------------------------
    // Starts the 50 ms initialisation timer (the window is on screen first).
    void start();
    // The initialisation itself: fields cleared, the options from the settings, From and Reply
    // To from the active profile, the signature choice, the address book, recent.cfg and
    // compaddbook.cfg, auto-save; then by mode (a new message gets its signature lines; a
    // reopened one is loaded from its source). Runs once.
    void initialise();
    bool loading() const { return loading_; }
    // A pending mail-to address: into To (as when leaving the field), caret to Subject.
    void setMailTo(const std::string& address);
    // Reopening a stored message: set before start(); the caption becomes "Compose n - folder
    // - [subject]" when it is loaded.
    void setSource(MessageSource source) { source_ = std::move(source); }
    const std::optional<MessageSource>& source() const { return source_; }
    ComposeMode mode() const { return mode_; }
    // The fonts the view draws with: the Body of a reply or forward takes the reply font, any
    // other the compose font; the signature text always takes the reply font.
    const profiles::FontSetting& bodyFont() const;
    const profiles::FontSetting& signatureFont() const;
    int number() const { return number_; }
    // A reply or forward window (compose/reply.h): set before start(), run by the
    // initialisation after the common steps in place of a new message's body. False when the
    // window could not be filled; it is closed then.
    void setInitialiser(std::function<bool(TcomposeForm&)> initialiser) {
        initialiser_ = std::move(initialiser);
    }
    bool initialisationFailed() const { return initialisationFailed_; }
    // To holds the Reply-To address of the answered message: the To tab reads "Reply To: [n]".
    void setReplyToInUse(bool on) { replyToInUse_ = on; }
    bool replyToInUse() const { return replyToInUse_; }

    // --- fields ----------------------------------------------------------------------------
    const std::string& from() const { return from_; }
    void setFrom(std::string text);
    const std::string& replyTo() const { return replyTo_; }
    void setReplyTo(std::string text);
    const std::string& plain(AddressField field) const { return plain_[index(field)]; }
    void setPlain(AddressField field, std::string text);
    // Leaving a plain field: nicknames expanded, the list rebuilt, the greeting for a new
    // message, captions and the send command updated.
    void leavePlain(AddressField field);
    const std::vector<std::string>& lines(AddressField field) const { return lines_[index(field)]; }
    void setLines(AddressField field, std::vector<std::string> lines);
    // Leaving an edited list page: the plain field becomes its non-empty lines joined.
    void leaveLines(AddressField field);
    // Both forms of every field agree again (as before sending, moving or closing).
    void syncAddressFields();
    const std::string& subject() const { return subject_; }
    void setSubject(std::string text);
    // Leaving Subject rewrites the caption.
    void leaveSubject();
    const std::string& body() const { return body_; }
    void setBody(std::string text);
    // The line of the Body's caret (0 the first), as the view reports it.
    int caretLine() const { return caretLine_; }
    void setCaretLine(int line) { caretLine_ = line < 0 ? 0 : line; }
    // File, "Compose - &Import ASCII Text File": a text file inserted into the Body at the caret
    // line (only on the Compose and Body pages); the caret goes after it.
    void importTextFile();
    Priority priority() const { return fields_.priority; }
    void setPriority(Priority priority);
    bool sendOnePer() const { return fields_.sendOnePer; }
    void setSendOnePer(bool on);
    // The four other options (close after sending, delivery and read acknowledgement, save
    // to Sent) are set on the snapshot's fields.
    ComposeFields& options() { return fields_; }
    // A snapshot of every field, for sending and filing.
    ComposeFields fields() const;

    // --- pages -----------------------------------------------------------------------------
    ComposePage page() const { return page_; }
    void showPage(ComposePage page);
    // The user clicked the tab of `page`: shown, and remembered for reply windows when it is the
    // Compose or the Body page.
    void tabClicked(ComposePage page);
    std::string tabCaption(ComposePage page) const;
    // The coloured marker of the To, CC, BCC and Attachments tabs: their list is not empty.
    bool tabMarked(ComposePage page) const;
    // The line selected by the address check (-1 none).
    int selectedLine() const { return selectedLine_; }

    // --- attachments -----------------------------------------------------------------------
    const std::vector<std::filesystem::path>& attachments() const { return fields_.attachments; }
    // Attaches each path that is a regular file that can be opened for reading; others are
    // reported. With Capture on, each also goes into the recently used list.
    void addAttachments(const std::vector<std::filesystem::path>& paths);
    // "Add --->": the files chosen in the file dialog.
    void addAttachmentsClick();
    // "Add" beside the recently used list.
    void attachRecent(int index);
    // Removes the attachments at `indices`; a stored copy in the source's folder is deleted after
    // the question (Drafts and OutBox), never a file attached from elsewhere.
    void removeAttachments(std::vector<int> indices);
    const RecentAttachments& recent() const { return context_.shared.recent; }
    void setCapture(bool on);

    // --- address book ----------------------------------------------------------------------
    const std::vector<AddressBookEntry>& addressBook() const { return book_; }
    // The book the address-book list shows: the one selected on the Address Books page until
    // the user chooses another here.
    const std::string& addressBookName() const { return bookName_; }
    // "Address Boo&ks": the list shows the entries of `name`.
    void chooseAddressBook(const std::string& name);
    // The books changed (saved, created, renamed, removed, selected on the page): the list is
    // built again; a window that chose a book keeps it while it exists.
    void refreshAddressBook();
    // The "Address Boo&ks" sub-menu's entries (also the view's book choice).
    platform::Menu addressBookMenu();
    // "Insert &Recipient" (and dropping entries): the entry's addresses into `field`; a mailing
    // list sets From, To, Reply To and its members into BCC.
    void insertEntry(const AddressBookEntry& entry, AddressField field);
    // Dropping the selected rows of the address-book list onto a plain field or a list page:
    // each entry as "Insert &Recipient" adds it, in row order.
    void dropEntries(const std::vector<int>& rows, AddressField field);
    // "Insert Mail To: Address From Buffer": To becomes the last address captured from a web
    // link (as when leaving the field). Nothing when none was captured.
    void insertMailToFromBuffer();
    // Type-ahead in the address-book list: the current row (-1 none) and the box's text.
    void typeAhead(char c);
    void typeAheadBackspace();
    void resetTypeAhead();
    int addressBookRow() const { return bookRow_; }
    const std::string& typeAheadText() const { return typeAheadBox_; }
    // "Sort To: Email Addresses" and the others: after the question, the list's addresses
    // alone, sorted without case.
    void sortAddresses(AddressField field);

    // "&Verify Addresses": the mail exchangers of every line of the list page in use (To when
    // none), asked of the address-verification DNS server; unverified lines get a mark. Escape
    // meanwhile cancels. The result text is returned as shown ("" when not run).
    std::string verifyAddresses();
    // "Change &User Profile": From, Reply To and the signature choice of that profile.
    void changeProfile(const std::string& profileName);
    const std::string& profileName() const { return profileName_; }
    // The window's profile (the active one unless changed here); an empty record without any.
    profiles::TUsersObjListBox profile() const;

    // --- signatures ------------------------------------------------------------------------
    const SignatureList& signatureChoice() const { return signatures_; }
    int chosenSignature() const { return fields_.sigBlockIndex; }
    // buildSignatureDropDownList: the active profile's blocks again, the default chosen.
    void buildSignatureDropDownList();
    void chooseSignature(int index);
    // The signature window changed this window's profile's blocks: the choice becomes `list`.
    // The chosen block stays chosen where `moves` puts it (its text taken unless edited here);
    // when it was deleted, the first block is chosen. The Body is never changed.
    void followSignatureList(const SignatureList& list, const std::vector<int>& moves);
    const std::string& signatureText() const { return signatureText_; }
    // Typing into the signature text box sets the edited mark.
    void editSignatureText(std::string text);
    // "&Insert Signature Block At Cursor": chooses `index` and inserts its lines at the body's
    // line `caretLine` (0 the first). Only on the Compose and Body pages.
    void insertSignatureAtCaret(int index, int caretLine);
    bool signatureEdited() const { return signatureEdited_; }
    // "Update Master Signature Block": writes the text into the block of the same name of the
    // window's own profile.
    void updateMasterSignature();

    // --- commands --------------------------------------------------------------------------
    // The pop-up menu (the entries' enabled states as they stand now).
    platform::Menu popupMenu();
    // The body's selection, else the whole body, under the subject.
    int helpContext() const override { return platform::help_topic::kComposeWindow; }
    // The spell check goes over the whole body (not while the window loads or sends).
    const std::string* spellCheckText() const override {
        return loading_ || sending_ ? nullptr : &body_;
    }
    void setSpellCheckedText(const std::string& text) override;
    std::string printCaption() const override;
    std::optional<platform::Printout> printout() override;
    bool sendEnabled() const;
    void sendMessageClick();
    // "Move Message To &Drafts" / "&OutBox": files and closes. False when it stayed open.
    bool moveTo(const std::string& folder);
    // "&Copy Message" > "&Drafts" / "&OutBox": files, keeps the window open and unsaved.
    bool copyTo(const std::string& folder);
    void saveBodyToComposeTxt();
    void appendFromComposeTxt();
    // Escape: with Shift, or on the Body, Options and Attachments pages, closes the window;
    // elsewhere resets the type-ahead search.
    void pressEscape(bool shift);
    // One tick of auto-save: a non-empty body into the window's auto-save file.
    void autoSaveTick();
    std::filesystem::path autoSavePath() const;

    // --- state used by sending -------------------------------------------------------------
    bool saved() const { return saved_; }
    int sentCount() const { return sentCount_; }
    bool sending() const { return sending_; }
    void setSending(bool on);
    // After delivery (and filing): counts as having no unsaved work when `filed`.
    void markSent(bool filed);
    // The address check of the lists; on a bad line its page is shown, the line selected and
    // the information given. True when all are good.
    bool checkAddresses();
    // The folder window that was current when the window opened ("" none).
    const std::string& sourceFolderWindow() const { return sourceFolderWindow_; }
    // Runs a filing into `folder` (removing the source when asked) and takes the new message
    // as the source when the old one was removed.
    bool fileInto(const std::string& folder, bool removeSource);

    // --- ChildWindow ------------------------------------------------------------------------
    // The close question (once): with unsaved work, "Save Compose Message [...] To ... Folder?";
    // Yes moves the window there (a bad address or a failed filing keeps it open), No files it
    // into Trash. Refused while the window sends.
    bool closeQuery() override;
    // Would closing ask the save question? Never for a window moved, sent and filed, or a
    // reopened message left as it was loaded; always for a reply or forward.
    bool unsavedWork() const;
    void onClose() override;
    // Told once when the window closes, before the model goes (a view stops forwarding then).
    std::function<void()> onClosed;
    // The record of compose.dat: the source's folder and its row there now; none for a new
    // message or a source no longer there.
    std::optional<std::pair<std::string, int>> sessionRecord() const;

  private:
    static std::size_t index(AddressField field) { return static_cast<std::size_t>(field); }
    void changed();
    void loadStored();
    void rebuildLines(AddressField field);
    void insertGreeting();
    std::string profileFromText() const;
    void closeWindow();
    std::string captionStem() const;
    bool fromDraftsOrOutBox() const;

    ComposeContext& context_;
    platform::Platform& platform_;
    ComposeMode mode_;
    int number_;
    std::optional<MessageSource> source_;
    std::string sourceFolderWindow_;
    bool loading_ = true;
    bool initialised_ = false;
    bool saved_ = false;
    int sentCount_ = 0;
    bool closing_ = false;
    bool sending_ = false;
    bool greetingDone_ = false;
    bool replyToInUse_ = false;

    std::string from_;
    std::string replyTo_;
    std::string plain_[3];
    std::vector<std::string> lines_[3];
    std::string subject_;
    std::string body_;
    std::string initialBody_;  // what the initialisation put there (empty lines, signature)
    int caretLine_ = 0;        // the Body line (from 0) of the caret
    std::optional<ComposeFields> loadedFields_;  // a reopened message as it was loaded
    ComposeFields fields_;                       // options, priority, attachments, signature choice
    ComposePage page_ = ComposePage::Compose;
    int selectedLine_ = -1;

    std::vector<AddressBookEntry> book_;
    std::string bookName_;
    bool bookChosen_ = false;  // chosen here, no longer following the page's selection
    AddressListLayout layout_;
    int bookRow_ = -1;
    std::string typeAhead_;
    std::string typeAheadBox_;
    bool typeAheadFailed_ = false;
    bool verifying_ = false;
    bool verifyCancelled_ = false;
    AddressField lastList_ = AddressField::To;

    SignatureList signatures_;
    std::string signatureText_;
    bool signatureEdited_ = false;
    std::string profileName_;

    std::function<bool(TcomposeForm&)> initialiser_;
    bool initialisationFailed_ = false;

    std::unique_ptr<platform::Timer> initTimer_;
    std::unique_ptr<platform::Timer> autoSaveTimer_;
};

}  // namespace velmora::compose
