// The address books in the main window: the Address Books page model (loaded at start-up, after
// the profiles), filled into the configuration window's page interface, the File menu backups,
// and what the page and the verification window need of the main window (status bar,
// application title, busy flag, automatic checking). The windows the page opens (verification,
// import, re-order) are shown by the desktop through the open... callbacks.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "addressbook/address_book_page.h"
#include "addressbook/verify_form.h"
#include "profiles/external_page.h"

namespace velmora::core {

class TmainForm;

class AddressBookHooks final : public profiles::ExternalPage,
                               public addressbook::AddressBookEvents,
                               public addressbook::VerificationHost {
public:
    explicit AddressBookHooks(TmainForm& main);

    addressbook::AddressBooksPage& page() { return page_; }
    // Reads the books (after the profiles).
    void load();

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

    // addressbook::VerificationHost. The busy flag and the automatic-check timer belong to the
    // mail transfers; until they report here through the functions below, no transfer runs.
    bool busy() const override { return busyFlag ? busyFlag() : busy_; }
    void setBusy(bool busy) override;
    bool autoCheckRunning() const override { return autoCheckIsRunning ? autoCheckIsRunning() : false; }
    void stopAutoCheck() override {
        if (stopAutoCheckTimer) stopAutoCheckTimer();
    }
    void restartAutoCheck() override {
        if (restartAutoCheckTimer) restartAutoCheckTimer();
    }
    std::string applicationTitle() const override;
    void setApplicationTitle(const std::string& title) override;

    std::function<bool()> busyFlag;
    std::function<void(bool)> setBusyFlag;
    std::function<bool()> autoCheckIsRunning;
    std::function<void()> stopAutoCheckTimer;
    std::function<void()> restartAutoCheckTimer;

private:
    TmainForm& main_;
    addressbook::AddressBooksPage page_;
    bool busy_ = false;
};

}  // namespace velmora::core
