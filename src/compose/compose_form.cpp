#include "compose/compose_form.h"

#include <algorithm>
#include <fstream>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "compose/addresses.h"
#include "compose/reply_text.h"
#include "mime/address.h"
#include "net/mx_resolver.h"
#include "profiles/profile.h"
#include "profiles/settings_rules.h"
#include "reading/display_text.h"
#include "reading/folder_window.h"
#include "reading/readable_text.h"
#include "store/folder_index.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::compose {

namespace {

constexpr platform::Milliseconds kInitialisationDelay{50};
constexpr std::size_t kAttachmentTabNameLength = 16;
constexpr std::size_t kSubjectInQuestion = 32;

const char* pageName(AddressField field) {
    switch (field) {
        case AddressField::To:
            return "To";
        case AddressField::CC:
            return "CC";
        case AddressField::BCC:
            return "BCC";
    }
    return "To";
}

std::vector<std::string> bodyLines(const std::string& body) {
    return splitLines(body);
}

// Opening for exclusive use is a Windows notion; here a file must be a regular file that can
// be read (a FIFO, a device or a folder would hang or fail the send).
bool canAttach(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) return false;
    std::ifstream in(path, std::ios::binary);
    return static_cast<bool>(in);
}

}  // namespace

ComposeMode modeOfFolder(const std::string& logicalPath) {
    switch (store::folderKindOf(logicalPath)) {
        case store::FolderKind::Drafts:
            return ComposeMode::Drafts;
        case store::FolderKind::OutBox:
            return ComposeMode::OutBox;
        case store::FolderKind::Sent:
            return ComposeMode::Sent;
        default:
            return ComposeMode::UserDefined;
    }
}

TcomposeForm::TcomposeForm(ComposeContext& context, ComposeMode mode, int number)
    : context_(context), platform_(context.platform), mode_(mode), number_(number) {
    setKey(kComposeKey);
    setCaption("Compose " + std::to_string(number));
    setState(platform::WindowState::Maximized);
    if (auto* current = context_.host.folders().currentFolderWindow())
        sourceFolderWindow_ = current->logicalPath();
}

TcomposeForm::~TcomposeForm() = default;

void TcomposeForm::changed() {
    context_.host.composeWindowChanged(*this);
}

void TcomposeForm::start() {
    initTimer_ = platform_.timers.createTimer(kInitialisationDelay, true, [this] { initialise(); });
    initTimer_->start();
}

profiles::TUsersObjListBox TcomposeForm::profile() const {
    const auto& lists = context_.host.profiles();
    if (!profileName_.empty())
        if (auto at = lists.findName(profileName_)) return lists.record(*at);
    if (const auto* active = lists.activeProfile()) return *active;
    return {};
}

std::string TcomposeForm::profileFromText() const {
    const auto p = profile();
    if (p.fromName.empty()) return p.fromAddress;
    return p.fromName + " <" + p.fromAddress + ">";
}

void TcomposeForm::initialise() {
    if (initialised_) return;
    initialised_ = true;
    if (initTimer_) initTimer_->stop();
    const profiles::Settings& settings = context_.host.settings();
    if (const auto* active = context_.host.profiles().activeProfile())
        profileName_ = active->profileName;

    refreshAddressBook();
    layout_ = readAddressListLayout(context_.home);
    auto others = context_.host.composeWindows();
    const bool alone =
        std::none_of(others.begin(), others.end(), [this](TcomposeForm* w) { return w != this; });
    if (alone) context_.shared.recent = readRecentAttachments(context_.home);
    buildSignatureDropDownList();

    const auto interval = profiles::autoSaveInterval(settings.compose.autoSave);
    if (interval.count() > 0) {
        autoSaveTimer_ = platform_.timers.createTimer(
            std::chrono::duration_cast<platform::Milliseconds>(interval), false,
            [this] { autoSaveTick(); });
        autoSaveTimer_->start();
    }

    fields_.saveToSent = settings.compose.saveToSent;
    fields_.deliveryAck = settings.send.requestDeliveryAck;
    fields_.readAck = settings.send.requestReadAck;
    fields_.closeAfterSending = settings.compose.closeAfterSending;
    fields_.priority = Priority::Normal;

    if (initialiser_) {
        initialisationFailed_ = !initialiser_(*this);
    } else if (source_) {
        loadStored();
    } else if (mode_ == ComposeMode::Compose) {
        from_ = profileFromText();
        replyTo_ = profile().replyToAddress;
        std::string body;
        if (settings.compose.useSignatureBlocks) {
            body = settings.compose.useGreeting ? "\r\n\r\n\r\n" : "\r\n\r\n";
            if (!signatureText_.empty()) body += signatureText_;
        } else if (settings.compose.useGreeting) {
            body = "\r\n";
        }
        body_ = body;
    }
    initialBody_ = body_;
    loading_ = false;
    changed();
}

void TcomposeForm::loadStored() {
    const MessageSource source = *source_;
    reading::TinboxForm& folder = context_.host.folders().openFolderWindow(source.folder, false);
    const int row = findRowByFileName(folder, source.fileName);
    if (row < 0) {
        platform_.dialogs.warning(
            kProductName, "File I/O Error 1014\rThe message is no longer in " + source.folder);
        source_.reset();
        return;
    }
    const store::TObjListViewVLF item = folder.rows()[static_cast<std::size_t>(row)].item;
    mime::TmsMessage message;
    if (auto failure = store::loadMessageFile(
            store::messageFilePath(folder.directory(), item.fileName), message)) {
        platform_.dialogs.warning(kProductName, "File I/O Error 1014\r" + *failure);
        return;
    }
    store::stripPrivateHeaders(message, item);
    from_ = item.composeFrom;
    replyTo_ = item.composeReplyTo;
    fields_.priority = priorityOf(item.priority);
    // The window's text is UTF-8: names, subject and body are read in their character sets
    // (a message of an older version may hold ISO-8859-1).
    setPlain(AddressField::To, reading::recipientListText(reading::readableListOf(message, "TO:")));
    leavePlain(AddressField::To);
    setPlain(AddressField::CC, reading::recipientListText(reading::readableListOf(message, "CC:")));
    leavePlain(AddressField::CC);
    setPlain(AddressField::BCC, reading::bccStringsText(item.bccList));
    leavePlain(AddressField::BCC);
    subject_ = reading::isValidUtf8(message.Subject()) ? message.Subject()
                                                       : store::readableSubject(message.Headers());
    auto body = message.Body();
    if (!body.empty() && body.back().empty()) body.pop_back();
    body_ = mime::toUtf8(joinLines(body, false), reading::messageCharset(message));
    fields_.attachments.clear();
    for (const std::string& path : item.attachList) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec))
            fields_.attachments.emplace_back(path);
        else
            platform_.dialogs.information(kProductName, "Attachment file not found:\r" + path);
    }
    if (item.sigBlockIndex >= 0 && item.sigBlockIndex < static_cast<int>(signatures_.blocks.size()))
        chooseSignature(item.sigBlockIndex);
    fields_.closeAfterSending = item.closeAfterSending;
    fields_.deliveryAck = item.deliveryAck;
    fields_.readAck = item.readAck;
    fields_.saveToSent = item.saveToSent;
    fields_.sendOnePer = item.sendOnePerRecipient;
    fields_.inReplyTo = store::readPrivateValue(message.Headers(), "In-Reply-To");
    fields_.references = store::readPrivateValue(message.Headers(), "References");
    setCaption("Compose " + std::to_string(number_) + " - " + source.folder + " - [" + subject_ +
               "]");
    loadedFields_ = fields();
}

void TcomposeForm::setMailTo(const std::string& address) {
    setPlain(AddressField::To, address);
    leavePlain(AddressField::To);
}

// --- fields -------------------------------------------------------------------------------

void TcomposeForm::setFrom(std::string text) {
    from_ = oneLine(text);
}
void TcomposeForm::setReplyTo(std::string text) {
    replyTo_ = oneLine(text);
}
void TcomposeForm::setPlain(AddressField field, std::string text) {
    plain_[index(field)] = oneLine(text);
}

void TcomposeForm::rebuildLines(AddressField field) {
    lines_[index(field)] = addressLines(plain_[index(field)]);
}

void TcomposeForm::leavePlain(AddressField field) {
    plain_[index(field)] = expandAddressField(plain_[index(field)], context_.host.addressBook());
    rebuildLines(field);
    if (field == AddressField::To && !plain_[0].empty()) insertGreeting();
    changed();
}

void TcomposeForm::setLines(AddressField field, std::vector<std::string> lines) {
    lastList_ = field;
    for (auto& line : lines) line = oneLine(line);
    lines_[index(field)] = std::move(lines);
}

void TcomposeForm::leaveLines(AddressField field) {
    plain_[index(field)] = joinAddressLines(lines_[index(field)]);
    changed();
}

void TcomposeForm::syncAddressFields() {
    for (AddressField f : {AddressField::To, AddressField::CC, AddressField::BCC}) {
        plain_[index(f)] = expandAddressField(plain_[index(f)], context_.host.addressBook());
        rebuildLines(f);
    }
}

void TcomposeForm::setSubject(std::string text) {
    subject_ = oneLine(text);
}

std::string TcomposeForm::captionStem() const {
    const std::string& c = caption();
    if (mode_ == ComposeMode::Compose && !source_) {
        // "Compose n": the caption up to its first blank-separated part after the number.
        const std::size_t dash = c.find(" - ");
        return c.substr(0, dash) + " - [";
    }
    const std::size_t bracket = c.find('[');
    return bracket == std::string::npos ? c + " - [" : c.substr(0, bracket + 1);
}

void TcomposeForm::leaveSubject() {
    const std::string subject(trimmed(subject_));
    setCaption(captionStem() + (subject.empty() ? "No Subject" : subject) + "]");
    changed();
}

void TcomposeForm::setBody(std::string text) {
    body_ = std::move(text);
}

void TcomposeForm::setSpellCheckedText(const std::string& text) {
    if (text == body_) return;
    setBody(text);
    changed();
}

void TcomposeForm::importTextFile() {
    if (page_ != ComposePage::Compose && page_ != ComposePage::Body) {
        platform_.system.beep();
        platform_.dialogs.information(
            kProductName, "The cursor must be placed in the Body of the compose message");
        return;
    }
    platform::FileDialogRequest request;
    request.title = "Import ASCII Text File";
    request.filters = {{"Text files (*.txt)", {"*.TXT", "*.txt"}}};
    const auto chosen = platform_.dialogs.openFiles(request);
    if (chosen.empty()) return;
    std::error_code ec;
    const auto text = std::filesystem::is_regular_file(chosen.front(), ec)
                          ? readWholeFile(chosen.front())
                          : std::nullopt;
    if (!text) {
        platform_.dialogs.warning(kProductName, "Load ASCII Text File Error 2393");
        return;
    }
    auto lines = bodyLines(body_);
    const auto inserted = splitLines(*text);
    const auto at =
        static_cast<std::size_t>(std::min<int>(caretLine_, static_cast<int>(lines.size())));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), inserted.begin(), inserted.end());
    body_ = joinLines(lines, false);
    caretLine_ = static_cast<int>(at + inserted.size());
    changed();
}

void TcomposeForm::setPriority(Priority priority) {
    fields_.priority = priority;
    changed();
}

void TcomposeForm::setSendOnePer(bool on) {
    fields_.sendOnePer = on;
    changed();
}

ComposeFields TcomposeForm::fields() const {
    ComposeFields f = fields_;
    f.from = from_;
    f.replyTo = replyTo_;
    f.to = lines_[0];
    f.cc = lines_[1];
    f.bcc = lines_[2];
    f.subject = subject_;
    f.body = body_;
    return f;
}

void TcomposeForm::insertGreeting() {
    const auto& settings = context_.host.settings();
    if (greetingDone_ || mode_ != ComposeMode::Compose || source_ || sending_ ||
        !settings.compose.useGreeting || lines_[0].empty())
        return;
    // A message with blind copies gets no personal greeting (as replies); a later visit of To
    // once BCC is empty may still add it.
    if (!trimmed(plain_[2]).empty()) return;
    greetingDone_ = true;
    // The first recipient greets: the text before its "<" (all of it without one) and its
    // address. The whole field would make "a@x.org, Bob <b@x.org>" greet Bob.
    const std::string& first = lines_[0].front();
    const std::string name(trimmed(first.substr(0, first.find('<'))));
    const std::string address = mime::ParseMailAddress(first).Address();
    const std::string greeting = addGreeting(settings.compose.greeting, name, address, book_);
    // The greeting takes the first of the empty lines a new message starts with.
    body_ = greeting + (body_.starts_with("\r\n") ? "" : "\r\n") + body_;
}

// --- pages ----------------------------------------------------------------------------------

void TcomposeForm::showPage(ComposePage page) {
    page_ = page;
    if (page == ComposePage::Attachments) {
        std::error_code ignored;  // "hidden" is a Windows attribute; here the folder just exists
        std::filesystem::create_directories(context_.home / store::kAttachDirectory, ignored);
    }
    changed();
}

void TcomposeForm::tabClicked(ComposePage page) {
    if (page == ComposePage::Compose || page == ComposePage::Body)
        context_.shared.lastClickedPage = page;
    showPage(page);
}

std::string TcomposeForm::tabCaption(ComposePage page) const {
    auto count = [this](AddressField f) { return std::to_string(lines_[index(f)].size()); };
    switch (page) {
        case ComposePage::Compose:
            return "Compose";
        case ComposePage::Body:
            return "Body";
        case ComposePage::Options:
            return fields_.priority == Priority::High  ? "Options [High]"
                   : fields_.priority == Priority::Low ? "Options [Low]"
                                                       : "Options [Normal]";
        case ComposePage::To:
            if (fields_.sendOnePer) return "To: One Per [" + count(AddressField::To) + "]";
            if (replyToInUse_) return "Reply To: [" + count(AddressField::To) + "]";
            return "To: [" + count(AddressField::To) + "]";
        case ComposePage::CC:
            return "CC: [" + count(AddressField::CC) + "]";
        case ComposePage::BCC:
            return "BCC: [" + count(AddressField::BCC) + "]";
        case ComposePage::Attachments: {
            if (fields_.attachments.empty()) return "Attachment";
            std::string name = fields_.attachments.front().filename().string();
            const std::string own = name.find(store::kAttachmentInfix) == std::string::npos
                                        ? name
                                        : store::attachmentOwnName(name);
            name = own.size() > kAttachmentTabNameLength
                       ? own.substr(own.size() - kAttachmentTabNameLength)
                       : own;
            return (fields_.attachments.size() > 1 ? "+" : "") + name;
        }
    }
    return {};
}

bool TcomposeForm::tabMarked(ComposePage page) const {
    switch (page) {
        case ComposePage::To:
            return !lines_[0].empty();
        case ComposePage::CC:
            return !lines_[1].empty();
        case ComposePage::BCC:
            return !lines_[2].empty();
        case ComposePage::Attachments:
            return !fields_.attachments.empty();
        default:
            return false;
    }
}

// --- attachments ----------------------------------------------------------------------------

void TcomposeForm::addAttachments(const std::vector<std::filesystem::path>& paths) {
    for (const auto& path : paths) {
        std::error_code ec;
        if (!std::filesystem::exists(path, ec)) continue;
        if (!canAttach(path)) {
            platform_.dialogs.information(kProductName,
                                          "File access error\rFile may be in use by another "
                                          "application\rCannot attach " +
                                              path.string());
            continue;
        }
        fields_.attachments.push_back(path);
        auto& recent = context_.shared.recent;
        if (recent.capture && std::find(recent.paths.begin(), recent.paths.end(), path.string()) ==
                                  recent.paths.end())
            recent.paths.push_back(path.string());
    }
    for (TcomposeForm* other : context_.host.composeWindows()) other->changed();
}

void TcomposeForm::addAttachmentsClick() {
    platform::FileDialogRequest request;
    request.title = "Attach Files";
    request.initialDirectory = context_.home / store::kAttachDirectory;
    request.multiple = true;
    addAttachments(platform_.dialogs.openFiles(request));
    changed();
}

void TcomposeForm::attachRecent(int index) {
    const auto& paths = context_.shared.recent.paths;
    if (index < 0 || index >= static_cast<int>(paths.size())) return;
    const std::filesystem::path path = paths[static_cast<std::size_t>(index)];
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        platform_.dialogs.information(kProductName,
                                      "File does not exist - cannot attach " + path.string());
        return;
    }
    addAttachments({path});
}

void TcomposeForm::setCapture(bool on) {
    context_.shared.recent.capture = on;
}

bool TcomposeForm::fromDraftsOrOutBox() const {
    return source_ && (mode_ == ComposeMode::Drafts || mode_ == ComposeMode::OutBox);
}

void TcomposeForm::removeAttachments(std::vector<int> indices) {
    std::sort(indices.begin(), indices.end());
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    std::erase_if(indices, [this](int i) {
        return i < 0 || i >= static_cast<int>(fields_.attachments.size());
    });
    if (indices.empty()) return;
    // Only the copy stored beside the source message is ever deleted.
    auto isStoredCopy = [this](const std::filesystem::path& path) {
        if (!source_ || !store::isStoredAttachmentPath(path)) return false;
        const auto directory = store::folderDirectory(context_.home, source_->folder);
        return path.parent_path() == directory &&
               path.filename().string().rfind(source_->fileName + store::kAttachmentInfix, 0) == 0;
    };
    bool deleteStored = false;
    if (fromDraftsOrOutBox()) {
        const std::string folder = mode_ == ComposeMode::Drafts ? "Drafts" : "OutBox";
        const std::string question =
            indices.size() == 1
                ? "Delete file attachment \"" +
                      fields_.attachments[static_cast<std::size_t>(indices[0])]
                          .filename()
                          .string() +
                      "\" from " + folder + " folder?"
                : "Delete all selected file attachments from " + folder + " folder?";
        const char* title = indices.size() == 1 ? "Delete File Attachment Confirmation"
                                                : "Delete File Attachments Confirmation";
        deleteStored = platform_.dialogs.question(title, question, platform::Buttons::YesNo,
                                                  platform::Answer::Yes) == platform::Answer::Yes;
    }
    for (auto it = indices.rbegin(); it != indices.rend(); ++it) {
        const auto path = fields_.attachments[static_cast<std::size_t>(*it)];
        if (deleteStored && isStoredCopy(path)) {
            std::error_code ignored;
            std::filesystem::remove(path, ignored);
        }
        fields_.attachments.erase(fields_.attachments.begin() + *it);
    }
    changed();
}

// --- address book ---------------------------------------------------------------------------

void TcomposeForm::insertEntry(const AddressBookEntry& entry, AddressField field) {
    auto append = [this](AddressField f, const std::string& text) {
        std::string& plain = plain_[index(f)];
        if (!plain.empty()) plain += ", ";
        plain += text;
        lines_[index(f)].push_back(text);
    };
    if (!entry.mailingList) {
        const std::string name(trimmed(entry.fullName));
        for (const std::string& raw : entry.addresses) {
            const std::string address(trimmed(raw));
            if (address.empty()) continue;
            append(field, name.empty() ? address : name + " <" + address + ">");
        }
    } else if (!entry.addresses.empty()) {
        from_ = entry.listFrom.empty() ? profileFromText() : entry.listFrom;
        append(AddressField::To, entry.listTo.empty() ? from_ : entry.listTo);
        if (!entry.listReplyTo.empty()) replyTo_ = entry.listReplyTo;
        std::vector<std::string> seen;
        for (const std::string& raw : entry.addresses) {
            const std::string member(trimmed(raw));
            if (member.empty() || std::find(seen.begin(), seen.end(), member) != seen.end())
                continue;
            seen.push_back(member);
            append(AddressField::BCC, member);
        }
    }
    changed();
}

void TcomposeForm::dropEntries(const std::vector<int>& rows, AddressField field) {
    // Copies first: inserting may let the view refresh the list it dragged from.
    std::vector<AddressBookEntry> entries;
    for (const int row : rows)
        if (row >= 0 && row < static_cast<int>(book_.size()))
            entries.push_back(book_[static_cast<std::size_t>(row)]);
    for (const auto& entry : entries) insertEntry(entry, field);
}

void TcomposeForm::insertMailToFromBuffer() {
    const std::string address = context_.host.capturedMailTo();
    if (address.empty() || sending_) return;
    setPlain(AddressField::To, address);
    leavePlain(AddressField::To);
}

void TcomposeForm::chooseAddressBook(const std::string& name) {
    if (!context_.host.addressBook().hasBook(name)) return;
    bookName_ = name;
    bookChosen_ = true;
    book_ = context_.host.addressBook().bookEntries(bookName_);
    resetTypeAhead();
}

void TcomposeForm::refreshAddressBook() {
    const NicknameBook& books = context_.host.addressBook();
    if (!bookChosen_ || !books.hasBook(bookName_)) {
        bookName_ = books.selectedBook();
        bookChosen_ = false;
    }
    book_ = books.bookEntries(bookName_);
    resetTypeAhead();
}

const profiles::FontSetting& TcomposeForm::bodyFont() const {
    const profiles::Settings& settings = context_.host.settings();
    const bool reply = mode_ == ComposeMode::Reply || mode_ == ComposeMode::Forward;
    return reply ? settings.reply.font : settings.compose.font;
}

const profiles::FontSetting& TcomposeForm::signatureFont() const {
    return context_.host.settings().reply.font;
}

platform::Menu TcomposeForm::addressBookMenu() {
    return context_.host.addressBook().bookChoiceMenu(
        "popAddressBooks_", bookName_,
        [this](const std::string& name) { chooseAddressBook(name); });
}

void TcomposeForm::typeAhead(char c) {
    if (typeAheadFailed_ || c < '0' || c > '~' || book_.empty()) return;
    typeAhead_ += lowerAscii(c);
    typeAheadBox_ = typeAhead_;
    auto key = [this](const AddressBookEntry& e) {
        switch (layout_.sortColumn) {
            case 1:
                return e.fullName;
            case 2:
                return e.addresses.empty() ? std::string() : e.addresses.front();
            default:
                return e.nickName;
        }
    };
    const std::size_t from = bookRow_ < 0 ? 0 : static_cast<std::size_t>(bookRow_);
    for (std::size_t i = from; i < book_.size(); ++i) {
        if (toLowerAscii(key(book_[i])).substr(0, typeAhead_.size()) == typeAhead_) {
            bookRow_ = static_cast<int>(i);
            changed();
            return;
        }
    }
    bookRow_ = 0;
    platform_.system.beep();
    typeAheadBox_ = "No Match - ESC To Reset";
    typeAheadFailed_ = true;
    changed();
}

void TcomposeForm::typeAheadBackspace() {
    if (typeAhead_.empty() || typeAheadFailed_) return;
    std::string text = typeAhead_.substr(0, typeAhead_.size() - 1);
    typeAhead_.clear();
    bookRow_ = 0;
    typeAheadBox_.clear();
    for (const char c : text) typeAhead(c);
    changed();
}

void TcomposeForm::resetTypeAhead() {
    typeAhead_.clear();
    typeAheadBox_.clear();
    typeAheadFailed_ = false;
    bookRow_ = book_.empty() ? -1 : 0;
    changed();
}

void TcomposeForm::sortAddresses(AddressField field) {
    if (platform_.dialogs.question(
            "Sort Addresses Confirmation",
            std::string("Sorting replaces every line of the ") + pageName(field) +
                ": list by its address alone: the name part of full addresses is "
                "dropped.\rSort the addresses?",
            platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
        return;
    auto& lines = lines_[index(field)];
    for (auto& line : lines) line = mime::ParseMailAddress(line).Address();
    std::stable_sort(lines.begin(), lines.end(), [](const std::string& a, const std::string& b) {
        return toLowerAscii(a) < toLowerAscii(b);
    });
    leaveLines(field);
}

// --- signatures -----------------------------------------------------------------------------

void TcomposeForm::buildSignatureDropDownList() {
    signatures_ = context_.shared.signatures ? context_.shared.signatures() : SignatureList{};
    signatureText_.clear();
    signatureEdited_ = false;
    fields_.sigBlockIndex = -1;
    if (!signatures_.blocks.empty()) chooseSignature(signatures_.defaultPosition);
}

void TcomposeForm::chooseSignature(int index) {
    if (index < 0 || index >= static_cast<int>(signatures_.blocks.size())) return;
    fields_.sigBlockIndex = index;
    signatureText_ = signatures_.blocks[static_cast<std::size_t>(index)].block.text;
    signatureEdited_ = false;
    changed();
}

void TcomposeForm::followSignatureList(const SignatureList& list, const std::vector<int>& moves) {
    const int old = fields_.sigBlockIndex;
    const int now = old >= 0 && old < static_cast<int>(moves.size())
                        ? moves[static_cast<std::size_t>(old)]
                        : -1;
    signatures_ = list;
    if (signatures_.blocks.empty()) {
        signatureText_.clear();
        signatureEdited_ = false;
        fields_.sigBlockIndex = -1;
    } else if (now < 0 || now >= static_cast<int>(signatures_.blocks.size())) {
        chooseSignature(0);
    } else {
        fields_.sigBlockIndex = now;
        if (!signatureEdited_)
            signatureText_ = signatures_.blocks[static_cast<std::size_t>(now)].block.text;
    }
    changed();
}

void TcomposeForm::editSignatureText(std::string text) {
    signatureText_ = std::move(text);
    signatureEdited_ = true;
}

void TcomposeForm::insertSignatureAtCaret(int index, int caretLine) {
    if (page_ != ComposePage::Compose && page_ != ComposePage::Body) return;
    chooseSignature(index);
    if (fields_.sigBlockIndex != index) return;
    auto lines = bodyLines(body_);
    const auto block = signatureLines(signatureText_);
    const auto at =
        static_cast<std::size_t>(std::clamp(caretLine, 0, static_cast<int>(lines.size())));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), block.begin(), block.end());
    body_ = joinLines(lines, false);
    changed();
}

void TcomposeForm::updateMasterSignature() {
    if (!signatureEdited_ || fields_.sigBlockIndex < 0) return;
    // A copy: writing the block lets the windows of the profile take the list again.
    const std::string name =
        signatures_.blocks[static_cast<std::size_t>(fields_.sigBlockIndex)].name;
    if (context_.shared.updateSignature &&
        context_.shared.updateSignature(profileName_, name, signatureText_)) {
        signatures_.blocks[static_cast<std::size_t>(fields_.sigBlockIndex)].block.text =
            signatureText_;
        signatureEdited_ = false;
        platform_.system.beep();
    }
    changed();
}

// --- commands -------------------------------------------------------------------------------

bool TcomposeForm::sendEnabled() const {
    return !loading_ && !sending_ && !trimmed(plain_[0]).empty();
}

void TcomposeForm::sendMessageClick() {
    if (!sendEnabled() || !context_.shared.send) return;
    context_.shared.send(*this);
}

bool TcomposeForm::checkAddresses() {
    const auto bad = checkAddressLists(lines_[0], lines_[1], lines_[2]);
    if (!bad) return true;
    page_ = static_cast<ComposePage>(static_cast<int>(ComposePage::To) + bad->list);
    selectedLine_ = bad->line;
    changed();
    platform_.dialogs.information(kProductName, kBadAddressText);
    return false;
}

bool TcomposeForm::fileInto(const std::string& folder, bool removeSource) {
    FilingContext filing{platform_, context_.home, context_.host.settings(),
                         context_.host.folders()};
    const auto outcome = fileComposeFields(fields(), profile(), folder,
                                           removeSource ? source_ : std::nullopt, filing);
    if (!outcome.filed) return false;
    if (removeSource && source_) {
        // The new copy is the source now, and the window is one of its folder.
        source_ = outcome.message;
        mode_ = modeOfFolder(folder);
    }
    return true;
}

bool TcomposeForm::moveTo(const std::string& folder) {
    if (loading_ || sending_) return false;
    syncAddressFields();
    if (!checkAddresses()) return false;
    if (!fileInto(folder, fromDraftsOrOutBox())) return false;
    saved_ = true;
    if (auto* window = context_.host.folders().findFolderWindow(folder))
        context_.host.showFolderWindow(*window);
    closeWindow();
    return true;
}

bool TcomposeForm::copyTo(const std::string& folder) {
    if (loading_ || sending_) return false;
    syncAddressFields();
    if (!checkAddresses()) return false;
    const bool removeSource = source_ && ((folder == "Drafts" && mode_ == ComposeMode::Drafts) ||
                                          (folder == "OutBox" && mode_ == ComposeMode::OutBox));
    const bool filed = fileInto(folder, removeSource);
    changed();
    return filed;
}

void TcomposeForm::saveBodyToComposeTxt() {
    if (auto ec = writeFileAtomically(context_.home / kComposeTextFile, body_))
        platform_.dialogs.warning(kProductName, "File I/O Error\r" + errorText(ec));
}

void TcomposeForm::appendFromComposeTxt() {
    const auto text = readWholeFile(context_.home / kComposeTextFile);
    if (!text) {
        platform_.dialogs.information(kProductName, kComposeTextMissing);
        return;
    }
    auto lines = bodyLines(body_);
    for (auto& line : splitLines(*text)) lines.push_back(std::move(line));
    body_ = joinLines(lines, false);
    changed();
}

std::string TcomposeForm::verifyAddresses() {
    if (verifying_ || loading_) return {};
    if (page_ == ComposePage::To || page_ == ComposePage::CC || page_ == ComposePage::BCC)
        lastList_ =
            static_cast<AddressField>(static_cast<int>(page_) - static_cast<int>(ComposePage::To));
    if (platform_.dialogs.question(
            "Internet Connection Confirmation",
            "Are you connected to the internet?\rPress ESC key to cancel address "
            "verification.",
            platform::Buttons::YesNo, platform::Answer::Yes) != platform::Answer::Yes)
        return {};
    const auto& settings = context_.host.settings();
    net::TMXResolver resolver(platform_.dialogs);
    resolver.FoundDNSServers = {settings.other.dnsServer};
    verifying_ = true;
    verifyCancelled_ = false;
    int unverified = 0;
    auto& lines = lines_[index(lastList_)];
    for (std::size_t i = 0; i < lines.size(); ++i) {
        platform_.events.processEvents();
        if (verifyCancelled_) {
            verifying_ = false;
            platform_.dialogs.information(kProductName, "Address Verification Cancelled");
            changed();
            return "Address Verification Cancelled";
        }
        selectedLine_ = static_cast<int>(i);
        if (lines[i].find('@') == std::string::npos) {
            lines[i] += " *** NickName? ***";
            ++unverified;
            continue;
        }
        std::vector<std::string> exchangers;
        const std::string domain = mailDomain(lines[i]);
        if (domain.empty() || !resolver.Resolve(domain, exchangers) || exchangers.empty()) {
            lines[i] += " *** Unverified ***";
            ++unverified;
        }
    }
    verifying_ = false;
    selectedLine_ = -1;
    if (!settings.other.verificationSoundFile.empty())
        platform_.system.playSound(settings.other.verificationSoundFile);
    const std::string result =
        unverified == 0   ? "All addresses were successfully verified!"
        : unverified == 1 ? "There was 1 unverified address."
                          : "There were " + std::to_string(unverified) + " unverified addresses.";
    platform_.dialogs.information(kProductName, result);
    changed();
    return result;
}

void TcomposeForm::changeProfile(const std::string& name) {
    const auto& lists = context_.host.profiles();
    const auto at = lists.findName(name);
    if (!at) return;
    profileName_ = lists.record(*at).profileName;
    from_ = profileFromText();
    replyTo_ = profile().replyToAddress;
    const auto file = profiles::signatureFilePath(context_.home, profileName_);
    signatures_ = readSignatureFile(file);
    signatureText_.clear();
    signatureEdited_ = false;
    fields_.sigBlockIndex = -1;
    if (!signatures_.blocks.empty()) chooseSignature(signatures_.defaultPosition);
    changed();
}

void TcomposeForm::pressEscape(bool shift) {
    if (verifying_) {
        verifyCancelled_ = true;
        return;
    }
    if (shift || page_ == ComposePage::Body || page_ == ComposePage::Options ||
        page_ == ComposePage::Attachments) {
        if (closeQuery()) closeWindow();
        return;
    }
    resetTypeAhead();
}

std::filesystem::path TcomposeForm::autoSavePath() const {
    return autoSaveFile(context_.home, caption());
}

void TcomposeForm::autoSaveTick() {
    if (context_.host.busy() || sending_ || body_.empty()) return;
    const auto file = autoSavePath();
    if (auto ec = writeFileAtomically(file, body_)) {
        context_.host.showStatus(file.string() + " not saved: " + errorText(ec));
        return;
    }
    platform_.pause(platform::Milliseconds{1000});
    context_.host.showStatus(file.string() + " saved.");
}

void TcomposeForm::setSending(bool on) {
    sending_ = on;
    changed();
}

void TcomposeForm::markSent(bool filed) {
    ++sentCount_;
    if (filed) saved_ = true;
    changed();
}

platform::Menu TcomposeForm::popupMenu() {
    using platform::MenuEntry;
    const bool ready = !loading_ && !sending_;
    auto entry = [](std::string name, std::string caption, std::function<void()> command,
                    bool enabled = true, std::string shortcut = "") {
        MenuEntry e(std::move(name), std::move(caption));
        e.command = std::move(command);
        e.enabled = enabled;
        e.shortcut = std::move(shortcut);
        return e;
    };
    static const char* kSortCaptions[] = {"[By NickName]", "[By Full Name]", "[By Email Address]"};
    MenuEntry insert = entry(
        "popInsertRecipient",
        std::string("Insert &Recipient  ") + kSortCaptions[layout_.sortColumn] + "  ",
        [this] {
            if (bookRow_ < 0 || bookRow_ >= static_cast<int>(book_.size())) return;
            AddressField field = AddressField::To;
            if (page_ == ComposePage::CC) field = AddressField::CC;
            if (page_ == ComposePage::BCC) field = AddressField::BCC;
            insertEntry(book_[static_cast<std::size_t>(bookRow_)], field);
        },
        bookRow_ >= 0);
    MenuEntry books = entry("popAddressBooks", "Address Boo&ks", nullptr, true);
    books.entries = addressBookMenu();
    books.enabled = !books.entries.empty();
    MenuEntry buffer = entry(
        "popInsertMailToFromBuffer", "Insert Mail To: Address From Buffer",
        [this] { insertMailToFromBuffer(); }, !sending_ && !context_.host.capturedMailTo().empty());
    MenuEntry signatures = entry("popInsertSignature", "&Insert Signature Block At Cursor", nullptr,
                                 !signatures_.blocks.empty());
    for (std::size_t i = 0; i < signatures_.blocks.size(); ++i) {
        MenuEntry block =
            entry("popInsertSignature" + std::to_string(i), signatures_.blocks[i].name,
                  [this, i] { insertSignatureAtCaret(static_cast<int>(i), caretLine_); });
        block.checkable = true;
        block.checked = static_cast<int>(i) == fields_.sigBlockIndex;
        signatures.entries.push_back(std::move(block));
    }
    MenuEntry copy = entry("popCopyMessage", "&Copy Message", nullptr, ready);
    copy.entries = {entry(
                        "popCopyMessage_Drafts", "&Drafts", [this] { copyTo("Drafts"); }, ready),
                    entry(
                        "popCopyMessage_OutBox", "&OutBox", [this] { copyTo("OutBox"); }, ready)};
    MenuEntry profilesMenu = entry("popChangeProfile", "Change &User Profile", nullptr, ready);
    const auto& lists = context_.host.profiles();
    for (std::size_t i = 0; i < lists.size(); ++i) {
        const std::string name = lists.record(i).profileName;
        std::error_code ec;
        std::string caption = name;
        if (std::filesystem::exists(profiles::signatureFilePath(context_.home, name), ec))
            caption += "  [sig]";
        if (caption.size() > 64) caption.resize(64);
        MenuEntry p = entry(
            "popChangeProfile" + std::to_string(i), caption, [this, name] { changeProfile(name); },
            ready);
        p.checkable = true;
        p.checked = name == profileName_;
        profilesMenu.entries.push_back(std::move(p));
    }
    MenuEntry sort = entry("popSortAddresses", "Sort Email Addresses", nullptr);
    sort.entries = {
        entry("popSortTo", "Sort To: Email Addresses", [this] { sortAddresses(AddressField::To); }),
        entry("popSortCC", "Sort CC: Email Addresses", [this] { sortAddresses(AddressField::CC); }),
        entry("popSortBCC", "Sort BCC: Email Addresses",
              [this] { sortAddresses(AddressField::BCC); })};
    return {
        std::move(insert),
        std::move(books),
        std::move(profilesMenu),
        std::move(buffer),
        MenuEntry::separator(),
        std::move(signatures),
        entry(
            "popUpdateSignature", "Update Master Signature Block",
            [this] { updateMasterSignature(); }, signatureEdited_),
        MenuEntry::separator(),
        entry(
            "popMoveDrafts", "Move Message To &Drafts", [this] { moveTo("Drafts"); }, ready),
        entry(
            "popMoveOutBox", "Move Message To &OutBox", [this] { moveTo("OutBox"); },
            ready && !trimmed(plain_[0]).empty()),
        std::move(copy),
        entry(
            "popSendMessage", "&Send Message", [this] { sendMessageClick(); }, sendEnabled(), "F5"),
        entry(
            "popVerifyAddresses", "&Verify Addresses", [this] { verifyAddresses(); }, ready,
            "Ctrl+A"),
        std::move(sort),
        platform::commandMenuEntry(context_.host.folders().registeredCommands(), "popPrintBody",
                                   printCaption(), platform::kPrintCommand),
        MenuEntry::separator(),
        entry(
            "popSaveBody", "Save Body To Compose.txt &File", [this] { saveBodyToComposeTxt(); },
            true, "Ctrl+S"),
        entry("popAppendBody", "Append To Body From Compose.txt File",
              [this] { appendFromComposeTxt(); }),
        selectedText().empty()
            ? entry("popCopyBody", "Copy Body Text To Clip&board",
                    [this] { platform_.system.setClipboardText(body_); })
            : entry("popCopyBody", "Copy Selected Body Text To Cli&pboard",
                    [this] { platform_.system.setClipboardText(selectedText()); }),
        MenuEntry::separator(),
        platform::commandMenuEntry(context_.host.folders().registeredCommands(), "popTips",
                                   "Floating &Tips", platform::kFloatingTipsCommand),
        entry("popClose", "&Close Window",
              [this] {
                  if (closeQuery()) closeWindow();
              }),
        platform::commandMenuEntry(context_.host.folders().registeredCommands(), "popHelp", "&Help",
                                   platform::kHelpCommand),
    };
}

std::string TcomposeForm::printCaption() const {
    return selectedText().empty() ? "&Print Body Text" : "&Print Selected Body Text";
}

std::optional<platform::Printout> TcomposeForm::printout() {
    return platform::Printout{subject_.empty() ? caption() : subject_,
                              selectedText().empty() ? body_ : selectedText()};
}

// --- closing --------------------------------------------------------------------------------

bool TcomposeForm::unsavedWork() const {
    if (saved_) return false;
    if (mode_ == ComposeMode::Reply || mode_ == ComposeMode::Forward) return true;
    // A reopened message left as it was loaded is still stored where it came from.
    if (source_ && loadedFields_ && fields() == *loadedFields_) return false;
    const bool addressed = !trimmed(plain_[0]).empty() || !trimmed(plain_[1]).empty() ||
                           !trimmed(plain_[2]).empty() || !trimmed(subject_).empty();
    if (mode_ == ComposeMode::Compose && !source_)
        return addressed ||
               (body_ != initialBody_ && body_.find_first_not_of(" \t\r\n") != std::string::npos);
    return addressed;
}

bool TcomposeForm::closeQuery() {
    if (sending_) return false;
    if (closing_) return true;
    if (autoSaveTimer_) autoSaveTimer_->stop();
    syncAddressFields();
    (void)writeAddressListLayout(context_.home, layout_);
    if (!unsavedWork()) {
        closing_ = true;
        return true;
    }
    if (mode_ == ComposeMode::Compose && !source_ && trimmed(plain_[0]).empty()) {
        plain_[0] = kPlaceholderTo;  // a filed draft has a recipient
        rebuildLines(AddressField::To);
    }
    const std::string target = mode_ == ComposeMode::OutBox && source_ ? "OutBox" : "Drafts";
    // While the program is being ended (a termination signal) nobody answers, and Trash may be
    // emptied on the way out: the message is kept where Yes keeps it, addresses as they are.
    if (platform_.events.quitRequested()) {
        if (fileInto(target, fromDraftsOrOutBox()) || fileInto("Trash", false)) {
            saved_ = true;
            closing_ = true;
            return true;
        }
        if (autoSaveTimer_) autoSaveTimer_->start();
        return false;
    }
    platform_.system.beep();
    std::string subject(trimmed(subject_));
    subject = subject.empty() ? "NO SUBJECT" : subject.substr(0, kSubjectInQuestion);
    const auto answer = platform_.dialogs.question(
        "Save Compose Message Confirmation",
        "Save Compose Message [" + subject + "] To " + target + " Folder?",
        platform::Buttons::YesNo, platform::Answer::Yes);
    if (answer == platform::Answer::Yes) {
        if (!checkAddresses() || !fileInto(target, fromDraftsOrOutBox())) {
            if (autoSaveTimer_) autoSaveTimer_->start();
            return false;
        }
        saved_ = true;
        if (auto* window = context_.host.folders().findFolderWindow(target))
            context_.host.showFolderWindow(*window);
    } else if (!fileInto("Trash", false)) {
        if (autoSaveTimer_) autoSaveTimer_->start();
        return false;
    }
    closing_ = true;
    return true;
}

void TcomposeForm::closeWindow() {
    closing_ = true;
    context_.host.closeComposeWindow(*this);
}

void TcomposeForm::onClose() {
    if (auto closed = std::move(onClosed)) closed();
    if (autoSaveTimer_) autoSaveTimer_->stop();
    if (initTimer_) initTimer_->stop();
    (void)writeRecentAttachments(context_.home, context_.shared.recent);
}

std::optional<std::pair<std::string, int>> TcomposeForm::sessionRecord() const {
    if (!source_) return std::nullopt;
    int row = -1;
    if (const auto* window = context_.host.folders().findFolderWindow(source_->folder)) {
        row = findRowByFileName(*window, source_->fileName);
    } else {
        // No window to ask (and none may be opened while the session is recorded): the row the
        // folder window will give the message when it opens, sorted by date as it opens.
        const auto index =
            store::readFolderIndex(store::folderIndexFile(context_.home, source_->folder));
        if (index) {
            auto rows = index->rows;
            std::stable_sort(rows.begin(), rows.end(), [](const auto& a, const auto& b) {
                return reading::compareRows(a, b, store::Column::Date) < 0;
            });
            for (std::size_t i = 0; i < rows.size(); ++i)
                if (rows[i].item.fileName == source_->fileName) row = static_cast<int>(i);
        }
    }
    if (row < 0) return std::nullopt;
    return std::pair{source_->folder, row};
}

}  // namespace velmora::compose
