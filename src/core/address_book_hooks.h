// The address books in the main window: the Address Books page model (loaded at start-up, after
// the profiles), filled into the configuration window's page interface, the File menu backups,
// and what the page and the verification window need of the main window (status bar,
// application title, busy flag, automatic checking). The windows the page opens (verification,
// import, re-order) are shown by the desktop through the open... callbacks. The compose windows
// read the books through compose::NicknameBook: the entries of the book selected on the page, and
// nicknames looked up in every book (the selected one first, with its unsaved changes).
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <string>

#include "addressbook/address_book_page.h"
#include "addressbook/verify_form.h"
#include "compose/nickname_book.h"
#include "mime/message.h"
#include "platform/commands.h"
#include "profiles/external_page.h"

namespace velmora::core {

class TmainForm;

class AddressBookHooks final : public profiles::ExternalPage,
                               public addressbook::AddressBookEvents,
                               public addressbook::VerificationHost,
                               public compose::NicknameBook {
  public:
    explicit AddressBookHooks(TmainForm& main);

    addressbook::AddressBooksPage& page() { return page_; }
    // Reads the books (after the profiles).
    void load();
    // The folder windows' address-book commands, acting on the current folder window and the
    // book selected on the page: "addressbook.addSender" (the current message's sender),
    // "addressbook.harvest" (the selected messages' senders as a mailing list),
    // "addressbook.harvestRecipients" (the current message's To and CC as a mailing list) and
    // "addressbook.harvestRecipientsSeparate" (one entry each).
    void registerCommands(platform::Commands& commands);
    // The same commands with the book chosen from a submenu: the books for adding the sender,
    // and "&Messages (Sender) As Mailing List", "&Recipients (To:, CC:) As Mailing List" and
    // "Recipients (To:, CC:) As &Separate Entries" with theirs. Disabled where the current folder
    // window has nothing to take them from.
    platform::Menu addSenderBooks(const std::string& namePrefix);
    platform::Menu harvestEntries(const std::string& namePrefix);

    // profiles::ExternalPage
    void enterPage() override { page_.enterPage(); }
    void leavePage() override { page_.leavePage(); }

    // addressbook::AddressBookEvents
    void booksChanged() override;
    void showStatus(const std::string& text) override;
    void verifyAddresses() override;
    void importAddresses() override;
    void reorderBooks() override;

    // The windows the page opens, shown by the desktop (modal); unset: nothing opens.
    std::function<void()> openVerification;
    std::function<void()> openImport;
    std::function<void()> openReorder;
    // Told when the books change (compose windows rebuild their book lists).
    std::function<void()> onBooksChanged;

    // The verification window on the page's selected entries, with the DNS servers of the
    // settings and the completion sound.
    std::unique_ptr<addressbook::TckAddressForm> makeVerification();

    // compose::NicknameBook
    std::vector<compose::AddressBookEntry> entries() const override;
    std::string selectedBook() const override { return page_.selectedBook(); }
    // A book other than the selected one is read from its file.
    std::vector<compose::AddressBookEntry> bookEntries(const std::string& name) const override;
    bool hasBook(const std::string& name) const override { return page_.books().contains(name); }
    platform::Menu bookChoiceMenu(
        const std::string& namePrefix, const std::string& checked,
        const std::function<void(const std::string&)>& choose) const override;
    // The pointer stays valid until the books change (booksChanged).
    const compose::AddressBookEntry* findNickname(std::string_view nickName) const override;

    // addressbook::VerificationHost: the main window's busy flag and automatic check.
    bool busy() const override;
    void setBusy(bool busy) override;
    bool autoCheckRunning() const override;
    void stopAutoCheck() override;
    void restartAutoCheck() override;
    std::string applicationTitle() const override;
    void setApplicationTitle(const std::string& title) override;

  private:
    // The current folder window's loaded message, or nullptr.
    mime::TmsMessage* currentMessage() const;
    bool hasCurrentMessage() const;
    std::vector<std::string> selectedSenders() const;

    TmainForm& main_;
    addressbook::AddressBooksPage page_;
    // Nicknames found for the compose windows since the books last changed.
    mutable std::map<std::string, compose::AddressBookEntry> found_;
};

}  // namespace velmora::core
