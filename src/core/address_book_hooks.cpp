#include "core/address_book_hooks.h"

#include "core/main_form.h"

namespace velmora::core {

AddressBookHooks::AddressBookHooks(TmainForm& main)
    : main_(main), page_(main.platform(), main.home(), this) {}

void AddressBookHooks::load() { page_.loadAtStartup(); }

void AddressBookHooks::booksChanged() {
    if (onBooksChanged) onBooksChanged();
}

void AddressBookHooks::showStatus(const std::string& text) { main_.setStatusText(text); }

void AddressBookHooks::verifyAddresses() {
    if (openVerification) openVerification();
}

void AddressBookHooks::importAddresses() {
    if (openImport) openImport();
}

void AddressBookHooks::reorderBooks() {
    if (openReorder) openReorder();
}

std::unique_ptr<addressbook::TckAddressForm> AddressBookHooks::makeVerification() {
    const profiles::OtherSettings& other = main_.settings().other;
    platform::Platform& platform = main_.platform();
    const std::string servers = other.dnsServer;
    return std::make_unique<addressbook::TckAddressForm>(
        platform, *this,
        [&platform, servers] { return std::make_unique<addressbook::ResolverMxLookup>(platform.dialogs, servers); },
        page_.selectedBook(), page_.selectedForVerification(), other.verificationSoundFile);
}

void AddressBookHooks::setBusy(bool busy) {
    busy_ = busy;
    if (setBusyFlag) setBusyFlag(busy);
}

std::string AddressBookHooks::applicationTitle() const { return main_.applicationTitle(); }

void AddressBookHooks::setApplicationTitle(const std::string& title) { main_.setApplicationTitleText(title); }

}  // namespace velmora::core
