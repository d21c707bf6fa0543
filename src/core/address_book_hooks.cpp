#include "core/address_book_hooks.h"

#include "base/text.h"
#include "core/main_form.h"
#include "core/main_retrieval.h"
#include "reading/readable_text.h"

namespace velmora::core {

AddressBookHooks::AddressBookHooks(TmainForm& main)
    : main_(main), page_(main.platform(), main.home(), this) {}

void AddressBookHooks::load() {
    page_.loadAtStartup();
}

mime::TmsMessage* AddressBookHooks::currentMessage() const {
    reading::TinboxForm* window = main_.currentFolderWindow();
    return window ? window->loadedMessage() : nullptr;
}

bool AddressBookHooks::hasCurrentMessage() const {
    // Menus ask often: the message is loaded only when a command runs.
    const reading::TinboxForm* window = main_.currentFolderWindow();
    return window && window->currentRow() >= 0;
}

std::vector<std::string> AddressBookHooks::selectedSenders() const {
    std::vector<std::string> senders;
    if (const reading::TinboxForm* window = main_.currentFolderWindow())
        for (int row : window->selectedRows())
            senders.push_back(window->rows().at(static_cast<std::size_t>(row)).item.senderAddress);
    return senders;
}

void AddressBookHooks::registerCommands(platform::Commands& commands) {
    auto withBook = [this] { return !page_.selectedBook().empty(); };
    auto withMessage = [this, withBook] { return withBook() && hasCurrentMessage(); };
    commands.add("addressbook.addSender", {[this] {
                                               if (mime::TmsMessage* message = currentMessage())
                                                   page_.addSender(
                                                       page_.selectedBook(),
                                                       reading::readableSenderOf(*message));
                                           },
                                           withMessage});
    commands.add("addressbook.harvest",
                 {[this] { page_.harvestSendersAsList(page_.selectedBook(), selectedSenders()); },
                  [this, withBook] { return withBook() && !selectedSenders().empty(); }});
    commands.add("addressbook.harvestRecipients", {[this] {
                                                       if (mime::TmsMessage* m = currentMessage())
                                                           page_.harvestRecipientsAsList(
                                                               page_.selectedBook(),
                                                               reading::readableListOf(*m, "TO:"),
                                                               reading::readableListOf(*m, "CC:"));
                                                   },
                                                   withMessage});
    commands.add("addressbook.harvestRecipientsSeparate",
                 {[this] {
                      if (mime::TmsMessage* m = currentMessage())
                          page_.harvestRecipientsAsEntries(page_.selectedBook(),
                                                           reading::readableListOf(*m, "TO:"),
                                                           reading::readableListOf(*m, "CC:"));
                  },
                  withMessage});
}

platform::Menu AddressBookHooks::addSenderBooks(const std::string& namePrefix) {
    platform::Menu books = page_.bookChoiceMenu(namePrefix, [this](const std::string& book) {
        if (mime::TmsMessage* message = currentMessage())
            page_.addSender(book, reading::readableSenderOf(*message));
    });
    const bool enabled = hasCurrentMessage();
    for (platform::MenuEntry& book : books) {
        book.enabled = enabled;
        book.checkable = false;
    }
    return books;
}

platform::Menu AddressBookHooks::harvestEntries(const std::string& namePrefix) {
    if (page_.books().books().empty()) return {};
    const bool withSenders = !selectedSenders().empty();
    const bool withMessage = hasCurrentMessage();
    auto kind = [&](const char* name, const char* caption, bool enabled,
                    std::function<void(const std::string&)> harvest) {
        platform::MenuEntry entry{namePrefix + name, caption};
        entry.entries = page_.bookChoiceMenu(namePrefix + name + "_", harvest);
        for (platform::MenuEntry& book : entry.entries) book.checkable = false;
        entry.enabled = enabled && !entry.entries.empty();
        return entry;
    };
    return {
        kind("Senders", "&Messages (Sender) As Mailing List", withSenders,
             [this](const std::string& book) {
                 page_.harvestSendersAsList(book, selectedSenders());
             }),
        kind("Recipients", "&Recipients (To:, CC:) As Mailing List", withMessage,
             [this](const std::string& book) {
                 if (mime::TmsMessage* m = currentMessage())
                     page_.harvestRecipientsAsList(book, reading::readableListOf(*m, "TO:"),
                                                   reading::readableListOf(*m, "CC:"));
             }),
        kind("Separate", "Recipients (To:, CC:) As &Separate Entries", withMessage,
             [this](const std::string& book) {
                 if (mime::TmsMessage* m = currentMessage())
                     page_.harvestRecipientsAsEntries(book, reading::readableListOf(*m, "TO:"),
                                                      reading::readableListOf(*m, "CC:"));
             }),
    };
}

namespace {

compose::AddressBookEntry composeEntry(const addressbook::TEmailNameObjListView& e) {
    compose::AddressBookEntry out;
    out.nickName = e.nickname;
    out.fullName = e.fullName;
    out.addresses = e.addresses;
    out.mailingList = e.isMailingList;
    out.listFrom = e.listFrom;
    out.listTo = e.listTo;
    out.listReplyTo = e.listReplyTo;
    return out;
}

}  // namespace

void AddressBookHooks::booksChanged() {
    found_.clear();
    if (onBooksChanged) onBooksChanged();
}

std::vector<compose::AddressBookEntry> AddressBookHooks::entries() const {
    std::vector<compose::AddressBookEntry> out;
    const auto& entries = page_.books().entries();
    out.reserve(entries.size());
    for (const auto& e : entries) out.push_back(composeEntry(e));
    return out;
}

std::vector<compose::AddressBookEntry> AddressBookHooks::bookEntries(
    const std::string& name) const {
    if (name == page_.selectedBook()) return entries();
    std::vector<compose::AddressBookEntry> out;
    if (!page_.books().contains(name)) return out;
    for (const auto& e : page_.books().readBook(name).entries) out.push_back(composeEntry(e));
    return out;
}

platform::Menu AddressBookHooks::bookChoiceMenu(
    const std::string& namePrefix, const std::string& checked,
    const std::function<void(const std::string&)>& choose) const {
    return page_.bookChoiceMenu(namePrefix, choose, checked,
                                addressbook::AddressBooksPage::BookCaptions::NamesWithCounts);
}

const compose::AddressBookEntry* AddressBookHooks::findNickname(std::string_view nickName) const {
    const std::string key = toLowerAscii(trimmed(nickName));
    if (key.empty()) return nullptr;
    if (auto it = found_.find(key); it != found_.end()) return &it->second;
    const std::optional<addressbook::NicknameMatch> match = page_.books().findNickname(key);
    if (!match) return nullptr;
    return &found_.emplace(key, composeEntry(match->entry)).first->second;
}

void AddressBookHooks::showStatus(const std::string& text) {
    main_.setStatusText(text);
}

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
        [&platform, servers] {
            return std::make_unique<addressbook::ResolverMxLookup>(platform.dialogs, servers);
        },
        page_.selectedBook(), page_.selectedForVerification(), other.verificationSoundFile);
}

bool AddressBookHooks::busy() const {
    return main_.busy();
}
void AddressBookHooks::setBusy(bool busy) {
    main_.setBusy(busy);
}
bool AddressBookHooks::autoCheckRunning() const {
    return main_.retrieval().autoCheck().running();
}
void AddressBookHooks::stopAutoCheck() {
    main_.retrieval().stopAutoCheck();
}
void AddressBookHooks::restartAutoCheck() {
    main_.retrieval().restartAutoCheck();
}

std::string AddressBookHooks::applicationTitle() const {
    return main_.applicationTitle();
}

void AddressBookHooks::setApplicationTitle(const std::string& title) {
    main_.setApplicationTitle(title);
}

}  // namespace velmora::core
