#include "compose/reply.h"

#include <algorithm>

#include "base/identity.h"
#include "base/text.h"
#include "base/text_file.h"
#include "compose/addresses.h"
#include "compose/compose_windows.h"
#include "compose/outgoing.h"
#include "compose/signatures.h"
#include "reading/folder_window.h"
#include "reading/read_window.h"
#include "reading/readable_text.h"
#include "store/folders.h"
#include "store/message_file.h"

namespace velmora::compose {

namespace fs = std::filesystem;

namespace {

constexpr platform::Milliseconds kInitialisationStep{250};
// Long enough for any initialisation; a window still loading then is initialised at once.
constexpr int kMaxInitialisationSteps = 40;
constexpr platform::Milliseconds kOperatorForwardPause{500};
// Shift without a selection takes the preview text from its sixth line on.
constexpr std::size_t kOperatorFirstLine = 5;
constexpr int kMaxProfileCommands = 32;

constexpr const char* kAbuseErrorText = "Selected Text Abuse Message Error";
constexpr const char* kMisspelledErrorText = "Selected Text Mis-spelled Username Error";

bool answerable(store::FolderKind kind) {
    return kind != store::FolderKind::Drafts && kind != store::FolderKind::OutBox &&
           kind != store::FolderKind::Sent;
}

std::string fromTextOf(const profiles::TUsersObjListBox& profile) {
    const std::string name(trimmed(profile.fromName));
    const std::string address(trimmed(profile.fromAddress));
    return name.empty() ? address : name + " <" + address + ">";
}

// The mail service of the operator forwards: the domain of the profile's own address.
std::string serviceDomain(const profiles::TUsersObjListBox& profile) {
    const std::string address(trimmed(profile.fromAddress));
    const std::size_t at = address.find('@');
    return at == std::string::npos ? std::string("localhost") : address.substr(at + 1);
}

void setAddressLines(TcomposeForm& window, AddressField field, std::vector<std::string> entries) {
    // The list is set and the plain field built from it: no entry is looked up as a nickname.
    window.setLines(field, std::move(entries));
    window.leaveLines(field);
}

std::string messageIdOf(const mime::TmsMessage& message) {
    std::string id(trimmed(oneLine(store::readPrivateValue(message.Headers(), "Message-ID"))));
    // Only an identifier in angle brackets without blanks is repeated.
    if (id.size() < 3 || id.front() != '<' || id.back() != '>' || id.find(' ') != std::string::npos)
        return {};
    return id;
}

// The operator forwards' windows: made from a report block instead of the answered message.
void initialiseOperatorForward(TcomposeForm& window, const ReplyRequest& request,
                               const profiles::TUsersObjListBox& profile) {
    const std::string postmaster = "postmaster@" + serviceDomain(profile);
    if (request.flag == MessageTextFlag::AbuseMessage) {
        std::string to;
        std::string subject;
        for (const std::string& line : request.block) {
            if (to.empty() && line.find("Sender:") != std::string::npos) {
                const std::size_t at = line.find('@');
                to = at == std::string::npos ? std::string("abuse@???????.???")
                                             : "abuse" + std::string(trimmed(line.substr(at)));
            }
            if (subject.empty() && line.find("Subject:") != std::string::npos) {
                const std::size_t blank = line.find(' ');
                subject = blank == std::string::npos ? std::string() : line.substr(blank + 1);
            }
        }
        if (to.empty() && subject.empty()) {
            setAddressLines(window, AddressField::To, {kAbuseErrorText});
            window.setSubject(kAbuseErrorText);
            window.setBody(kAbuseErrorText);
            return;
        }
        setAddressLines(window, AddressField::To, {replyAddressEntry("", to)});
        window.setSubject(subject);
        window.setBody(joinLines(request.block, false));
        window.setFrom(postmaster);
        return;
    }
    std::string recipient;
    std::string subject;
    for (std::size_t i = 0; i < request.block.size(); ++i) {
        if (recipient.empty() && request.block[i].find("ERR") != std::string::npos &&
            i + 1 < request.block.size())
            recipient = std::string(trimmed(request.block[i + 1]));
        if (subject.empty() && request.block[i].find("Subject:") != std::string::npos)
            subject = serviceDomain(profile) + " - Mis-spelled Username";
    }
    if (recipient.empty() && subject.empty()) {
        setAddressLines(window, AddressField::To, {kMisspelledErrorText});
        window.setSubject(kMisspelledErrorText);
        window.setBody(kMisspelledErrorText);
        return;
    }
    if (!recipient.empty()) {
        const mime::TmsMailAddress parsed = mime::ParseMailAddress(recipient);
        setAddressLines(window, AddressField::To,
                        {replyAddressEntry(parsed.Name(), parsed.Address())});
    }
    window.setSubject(subject);
    window.setBody(
        std::string("Our header audit log shows that someone attempted to send you email but "
                    "mis-spelled the username portion of your email address.\r\n") +
        "You may want to contact the Sender shown below and have them re-send you this "
        "message using the correct spelling of your address." +
        "\r\n\r\n" + joinLines(request.block, false));
}

}  // namespace

// --- the window's initialisation ---------------------------------------------------------------

std::vector<std::string> quotedLines(mime::TmsMessage& shown, const store::TObjListViewVLF& item,
                                     reading::HeaderMode mode, int wrapWidth,
                                     const std::string& indent, platform::Dialogs& dialogs) {
    // Blind copies are never quoted: the item's strings and any BCC header line go.
    auto& lines = shown.Headers().Lines();
    for (std::size_t i = 0; i < lines.size();) {
        if (!startsWithNoCase(lines[i], "BCC:")) {
            ++i;
            continue;
        }
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        while (i < lines.size() && !lines[i].empty() && (lines[i][0] == ' ' || lines[i][0] == '\t'))
            lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
    }
    shown.BCC().Clear();
    store::TObjListViewVLF withoutBcc = item;
    withoutBcc.bccList.clear();
    withoutBcc.bccCount = 0;
    // Quoted as the preview shows it: UTF-8 whatever the message's character set, as the
    // window's text is.
    const auto raw = reading::previewLines(shown, withoutBcc, mode, dialogs);
    auto text = reading::readableLines(raw, shown);
    // An attachment line names the file it is stored in here; the recipient gets its own name,
    // never a path of this machine.
    for (std::size_t i = 0; i < raw.size() && i < text.size(); ++i)
        for (const std::string& path : item.attachList)
            if (!path.empty() && raw[i].ends_with(path) && raw[i].rfind("Attachment", 0) == 0)
                text[i] = reading::readableBytes(
                    raw[i].substr(0, raw[i].size() - path.size()) +
                    store::attachmentOwnName(fs::path(path).filename().string()));
    return PrefixLines(reading::wrapLines(text, wrapWidth), indent);
}

void addForwardingAttachments(TcomposeForm& window, const store::TObjListViewVLF& item,
                              const fs::path& folderDirectory, platform::Platform& platform) {
    std::error_code ec;
    const fs::path folder = fs::weakly_canonical(folderDirectory, ec);
    std::vector<fs::path> found;
    for (const std::string& text : item.attachList) {
        const fs::path path(text);
        std::error_code e1, e2;
        const bool stored = store::isStoredAttachmentPath(path) &&
                            fs::weakly_canonical(path.parent_path(), e1) == folder && !e1 &&
                            fs::is_regular_file(fs::symlink_status(path, e2)) && !e2;
        if (stored) {
            found.push_back(path);
            continue;
        }
        platform.system.beep();
        platform.dialogs.information(kProductName,
                                     "Attachment file\r" + text + "\r" + "is missing.");
    }
    if (!found.empty()) window.addAttachments(found);
}

std::string referencesOf(const mime::TmsMessage& message) {
    std::vector<std::string> ids;
    const std::string references =
        oneLine(store::readPrivateValue(message.Headers(), "References"));
    for (std::size_t at = references.find('<'); at != std::string::npos;
         at = references.find('<', at)) {
        const std::size_t end = references.find('>', at);
        if (end == std::string::npos) break;
        const std::string id = references.substr(at, end - at + 1);
        if (id.find(' ') == std::string::npos && id.find('<', 1) == std::string::npos)
            ids.push_back(id);
        at = end;
    }
    const std::string own = messageIdOf(message);
    if (!own.empty()) ids.push_back(own);
    if (ids.size() > kMaxReferences)
        ids.erase(ids.begin() + 1, ids.end() - static_cast<std::ptrdiff_t>(kMaxReferences - 1));
    std::string joined;
    for (const auto& id : ids) joined += (joined.empty() ? "" : " ") + id;
    return joined;
}

bool initialiseReplyWindow(TcomposeForm& window, const ReplyRequest& request,
                           ComposeContext& context) {
    if (!request.message) return false;
    mime::TmsMessage& message = *request.message;
    const profiles::Settings& settings = context.host.settings();
    platform::Platform& platform = context.platform;
    const bool forward = isForwardMode(request.mode);

    // From, Reply To and the signatures of the profile answered with.
    const auto& lists = context.host.profiles();
    if (usesChosenProfile(request.mode) && request.profilePosition >= 0 &&
        static_cast<std::size_t>(request.profilePosition) < lists.size())
        window.changeProfile(
            lists.record(static_cast<std::size_t>(request.profilePosition)).profileName);
    const profiles::TUsersObjListBox profile = window.profile();
    window.setFrom(fromTextOf(profile));
    window.setReplyTo(std::string(trimmed(profile.replyToAddress)));

    if (request.flag == MessageTextFlag::AbuseMessage ||
        request.flag == MessageTextFlag::MisspelledUsername) {
        initialiseOperatorForward(window, request, profile);
        window.setCaretLine(0);
        window.showPage(ComposePage::Body);
        return true;
    }

    // Recipients.
    if (!forward) {
        const std::string replyTo =
            reading::readableHeaderValue(store::readPrivateValue(message.Headers(), "Reply-To"));
        const bool all = isReplyAllMode(request.mode);
        // The user's own address is the active profile's, also when answering from another.
        const auto* active = lists.activeProfile();
        const auto to = replyToEntries(message, replyTo, all,
                                       active ? active->fromAddress : profile.fromAddress);
        setAddressLines(window, AddressField::To, to);
        if (!trimmed(replyTo).empty()) {
            window.setReplyToInUse(true);
            if (settings.reply.notifyReplyTo) {
                platform.system.beep();
                platform.dialogs.information(kProductName, kReplyToInUseText);
            }
        }
        if (all) setAddressLines(window, AddressField::CC, replyCcEntries(message, to));
        window.options().inReplyTo = messageIdOf(message);
        window.options().references = referencesOf(message);
    } else if (request.mode == ReplyMode::ForwardAbuse) {
        setAddressLines(window, AddressField::To, {abuseAddress(message.Sender().Address())});
    }
    // From the header as written, so that a subject in any character set reads right.
    window.setSubject(replySubject(store::readableSubject(message.Headers()), forward));

    // The Body by its layout.
    const bool abuse = request.mode == ReplyMode::ForwardAbuse;
    const bool include = forward || request.forceQuote || settings.reply.includeOriginal;
    BodyLayoutInput layout;
    layout.signatures = settings.compose.useSignatureBlocks;
    layout.cursorAtEnd = settings.reply.cursorPosition == 1;
    layout.quote = include && request.flag == MessageTextFlag::TextOk;
    layout.greeting = settings.reply.useGreeting;
    layout.reply = !forward;
    if (layout.greeting && !forward)
        layout.greetingLine =
            addGreeting(settings.reply.greeting, reading::readableSenderOf(message).Name(),
                        message.Sender().Address(), window.addressBook());
    if (layout.signatures) layout.signatureLines = signatureLines(window.signatureText());
    if (layout.quote)
        layout.quoteLines = quotedLines(message, request.item,
                                        abuse ? reading::HeaderMode::Full : request.headerMode,
                                        reading::wordWrapWidth(settings.reply.wordWrap),
                                        settings.reply.indentCharacter, platform.dialogs);
    BodyLayout body = layoutReplyBody(layout);
    if (abuse) {
        finishAbuseBody(body.lines);
        body.caretLine = 0;
    }
    window.setBody(joinLines(body.lines, false));
    window.setCaretLine(body.caretLine);

    // Attachments: a forward always carries the stored ones (not the abuse report).
    if ((forward && !abuse) || (!forward && settings.reply.includeAttachments))
        addForwardingAttachments(window, request.item, request.folderDirectory, platform);

    if (forward) {
        window.showPage(abuse ? ComposePage::Body : ComposePage::Compose);
    } else if (settings.reply.openOnBodyTab) {
        window.showPage(ComposePage::Body);
    } else {
        window.showPage(context.shared.lastClickedPage.value_or(ComposePage::Compose));
    }
    return true;
}

// --- opening the windows ------------------------------------------------------------------------

ReplyForward::ReplyForward(ComposeWindows& windows) : windows_(windows) {}

ReplyForward::Target ReplyForward::target() const {
    ComposeHost& host = windows_.context().host;
    reading::FolderWindowHost& folders = host.folders();
    const auto children = folders.childWindows();
    // A read window in front answers its own message.
    if (!children.empty())
        if (auto* read = dynamic_cast<reading::TreadForm*>(children.front()))
            if (read->owner()) return {read->ownerPath(), {read->item().fileName}};
    reading::TinboxForm* folder = folders.currentFolderWindow();
    if (!folder) return {};
    Target target{folder->logicalPath(), {}};
    for (int row : folder->selectedRows())
        target.files.push_back(folder->rows()[static_cast<std::size_t>(row)].item.fileName);
    return target;
}

MessageTextFlag ReplyForward::textFlagOfKeys() const {
    return windows_.context().platform.system.shiftPressed() ? MessageTextFlag::TextNotOk
                                                             : MessageTextFlag::TextOk;
}

bool ReplyForward::available() const {
    if (windows_.context().host.busy()) return false;
    const Target t = target();
    return !t.files.empty() && answerable(store::folderKindOf(t.folder));
}

int ReplyForward::openReplyWindows(ReplyMode mode, MessageTextFlag flag, bool forceQuote,
                                   int profilePosition) {
    return open(mode, flag, forceQuote, profilePosition);
}

int ReplyForward::openForwardWindows(ReplyMode mode, MessageTextFlag flag, int profilePosition) {
    return open(mode, flag, false, profilePosition);
}

int ReplyForward::open(ReplyMode mode, MessageTextFlag flag, bool forceQuote, int profilePosition) {
    ComposeContext& context = windows_.context();
    platform::Platform& platform = context.platform;
    if (context.host.busy()) return 0;
    const Target t = target();
    if (t.files.empty() || !answerable(store::folderKindOf(t.folder))) return 0;
    const bool forward = isForwardMode(mode);
    if (t.files.size() > kAskBeyondWindows &&
        platform.dialogs.question(
            kProductName,
            "Open " + std::to_string(t.files.size()) + (forward ? " Forward" : " Reply") +
                " windows, one for each selected message?",
            platform::Buttons::YesNo, platform::Answer::No) != platform::Answer::Yes)
        return 0;

    int opened = 0;
    for (const std::string& file : t.files) {
        reading::TinboxForm* folder = context.host.folders().findFolderWindow(t.folder);
        if (!folder) break;  // closed during a wait
        const int row = findRowByFileName(*folder, file);
        const fs::path path = store::messageFilePath(folder->directory(), file);
        std::error_code ec;
        if (row < 0 || !fs::is_regular_file(path, ec)) {
            platform.dialogs.warning(kProductName,
                                     forward ? "File I/O Error 6577" : "File I/O Error 3857");
            break;
        }
        folder->setFirstVisibleRow(row);
        ReplyRequest request;
        request.mode = mode;
        request.flag = flag;
        request.forceQuote = forceQuote;
        request.profilePosition = profilePosition;
        request.headerMode = folder->headerMode();
        request.folder = t.folder;
        request.folderDirectory = folder->directory();
        request.item = folder->rows()[static_cast<std::size_t>(row)].item;
        request.message = std::make_shared<mime::TmsMessage>();
        if (auto failure = store::loadMessageFile(path, *request.message)) {
            platform.dialogs.warning(kProductName, "File I/O Error 1014\r" + *failure);
            break;
        }
        store::stripPrivateHeaders(*request.message, request.item);
        TcomposeForm* window = openWindow(std::move(request));
        if (!waitForWindow(window, !forward)) continue;
        // Marked only now that the window is open, on the row that holds the message now.
        if (reading::TinboxForm* after = context.host.folders().findFolderWindow(t.folder)) {
            const int now = findRowByFileName(*after, file);
            if (now >= 0) {
                after->markMailMessageRead(now);
                if (forward)
                    after->markMailMessageForwarded(now);
                else
                    after->markMailMessageReplied(now);
                context.host.folders().folderWindowChanged(*after);
            }
        }
        ++opened;
    }
    return opened;
}

TcomposeForm* ReplyForward::openWindow(ReplyRequest request) {
    ComposeContext& context = windows_.context();
    const ComposeMode mode =
        isForwardMode(request.mode) ? ComposeMode::Forward : ComposeMode::Reply;
    auto window = std::make_unique<TcomposeForm>(context, mode, ++context.shared.windowsOpened);
    window->setKey(windowKey(request.mode));
    window->setCaption("Compose " + std::to_string(window->number()) + " - " +
                       captionWord(request.mode) + " - [" + request.item.subject + "]");
    auto shared = std::make_shared<ReplyRequest>(std::move(request));
    window->setInitialiser(
        [shared, &context](TcomposeForm& w) { return initialiseReplyWindow(w, *shared, context); });
    TcomposeForm& added = context.host.addComposeWindow(std::move(window));
    added.start();
    return &added;
}

bool ReplyForward::waitForWindow(TcomposeForm* window, bool reply) {
    ComposeContext& context = windows_.context();
    auto open = [&context, window] {
        const auto all = context.host.composeWindows();
        return std::find(all.begin(), all.end(), window) != all.end();
    };
    for (int step = 0; step < kMaxInitialisationSteps && open() && window->loading(); ++step)
        context.platform.pause(kInitialisationStep);
    if (!open()) return false;
    if (window->loading()) window->initialise();
    if (window->initialisationFailed()) {
        context.host.closeComposeWindow(*window);
        return false;
    }
    if (reply) context.platform.pause(kInitialisationStep);
    return open();
}

// --- operator forwards
// ----------------------------------------------------------------------------

void ReplyForward::forwardCommand() {
    ComposeContext& context = windows_.context();
    const platform::System& system = context.platform.system;
    const bool shift = system.shiftPressed();
    const bool ctrl = system.ctrlPressed();
    reading::TinboxForm* folder = context.host.folders().currentFolderWindow();
    const auto children = context.host.folders().childWindows();
    const bool folderInFront = folder && !children.empty() && children.front() == folder;
    if ((shift || ctrl) && folderInFront && !folder->previewText().empty()) {
        auto lines = splitLines(folder->previewText());
        lines.erase(lines.begin(), lines.begin() + static_cast<std::ptrdiff_t>(
                                                       std::min(kOperatorFirstLine, lines.size())));
        operatorForwards(
            lines, shift ? MessageTextFlag::AbuseMessage : MessageTextFlag::MisspelledUsername);
        return;
    }
    openForwardWindows(ReplyMode::Forward, MessageTextFlag::TextOk);
}

int ReplyForward::operatorForwards(const std::vector<std::string>& lines, MessageTextFlag flag) {
    ComposeContext& context = windows_.context();
    platform::Platform& platform = context.platform;
    if (context.host.busy()) return 0;
    const auto blocks = operatorBlocks(lines);
    if (flag == MessageTextFlag::AbuseMessage) {
        // The closed blocks are what is created, so they are what the question counts.
        if (platform.dialogs.question(
                kProductName,
                "Total OutBox Messages To Create = " + std::to_string(blocks.size()) +
                    "  Continue?",
                platform::Buttons::YesNo, platform::Answer::Yes) != platform::Answer::Yes)
            return 0;
    }
    const Target t = target();
    reading::TinboxForm* folder = context.host.folders().findFolderWindow(t.folder);
    int opened = 0;
    for (const auto& block : blocks) {
        ReplyRequest request;
        request.mode = ReplyMode::Forward;
        request.flag = flag;
        request.folder = t.folder;
        if (folder) request.folderDirectory = folder->directory();
        request.item.subject = "Report";
        request.message = std::make_shared<mime::TmsMessage>();
        request.block = block;
        TcomposeForm* window = openWindow(std::move(request));
        if (!waitForWindow(window, false)) continue;
        ++opened;
        if (flag == MessageTextFlag::AbuseMessage) {
            window->moveTo("OutBox");
            platform.pause(kOperatorForwardPause);
        }
    }
    return opened;
}

// --- commands and menus
// ------------------------------------------------------------------------------

namespace {

std::string profileCommand(const char* stem, int position) {
    return std::string(stem) + std::to_string(position);
}

}  // namespace

void registerReplyCommands(platform::Commands& commands, std::shared_ptr<ReplyForward> replies,
                           ComposeHost& host) {
    namespace cmd = reading::folder_commands;
    ReplyForward* r = replies.get();
    auto available = [replies] { return replies->available(); };
    auto includeOriginal = [&host] { return host.settings().reply.includeOriginal; };
    commands.add(cmd::kReplySender,
                 {[r] { r->openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk); },
                  available});
    commands.add(
        cmd::kReplyAll,
        {[r] { r->openReplyWindows(ReplyMode::ReplyToAll, MessageTextFlag::TextOk); }, available});
    // "(no message text)" while the original is included, "(with message text)" while it is not.
    commands.add(cmd::kReplySenderOpposite,
                 {[r, includeOriginal] {
                      if (includeOriginal())
                          r->openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextNotOk);
                      else
                          r->openReplyWindows(ReplyMode::ReplyToSender, MessageTextFlag::TextOk,
                                              true);
                  },
                  available});
    commands.add(cmd::kReplyAllOpposite,
                 {[r, includeOriginal] {
                      if (includeOriginal())
                          r->openReplyWindows(ReplyMode::ReplyToAll, MessageTextFlag::TextNotOk);
                      else
                          r->openReplyWindows(ReplyMode::ReplyToAll, MessageTextFlag::TextOk, true);
                  },
                  available});
    commands.add(cmd::kForward, {[r] { r->forwardCommand(); }, available});
    commands.add(cmd::kForwardAbuse,
                 {[r] { r->openForwardWindows(ReplyMode::ForwardAbuse, MessageTextFlag::TextOk); },
                  available});
    // The "from different profile" submenus: one command per profile position. Shift held while
    // choosing a reply entry leaves the message text out.
    for (int i = 0; i < kMaxProfileCommands; ++i) {
        auto availableAt = [replies, &host, i] {
            return replies->available() && static_cast<std::size_t>(i) < host.profiles().size();
        };
        commands.add(profileCommand("reply.senderFrom.", i),
                     {[r, i] {
                          r->openReplyWindows(ReplyMode::ReplyToSenderFrom, r->textFlagOfKeys(),
                                              false, i);
                      },
                      availableAt});
        commands.add(profileCommand("reply.allFrom.", i), {[r, i] {
                                                               r->openReplyWindows(
                                                                   ReplyMode::ReplyToAllFrom,
                                                                   r->textFlagOfKeys(), false, i);
                                                           },
                                                           availableAt});
        commands.add(
            profileCommand("forward.from.", i),
            {[r, i] { r->openForwardWindows(ReplyMode::ForwardFrom, MessageTextFlag::TextOk, i); },
             availableAt});
    }
}

platform::Menu replyMenuEntries(const platform::Commands& commands,
                                const profiles::ProfileLists& profiles, bool includeOriginal,
                                bool answerable) {
    namespace cmd = reading::folder_commands;
    auto entry = [&commands](std::string name, std::string caption, const std::string& command,
                             std::string shortcut = "") {
        platform::MenuEntry e(std::move(name), std::move(caption));
        e.shortcut = std::move(shortcut);
        e.enabled = commands.available(command);
        if (const platform::Command* c = commands.find(command); c && c->run) e.command = c->run;
        return e;
    };
    auto profileMenu = [&](const std::string& name, const std::string& caption, const char* stem) {
        platform::MenuEntry menu(name, caption);
        const std::size_t count = std::min<std::size_t>(profiles.size(), kMaxProfileCommands);
        for (std::size_t i = 0; i < count; ++i)
            menu.entries.push_back(entry(name + "_" + std::to_string(i),
                                         profiles.record(i).profileName,
                                         profileCommand(stem, static_cast<int>(i))));
        menu.enabled = !menu.entries.empty() && commands.available(profileCommand(stem, 0));
        return menu;
    };
    const std::string opposite = includeOriginal ? " (no message text)" : " (with message text)";
    platform::MenuEntry fromProfile("mnuMail_ReplyFrom",
                                    "Reply To Sender/All (from different profile)");
    fromProfile.entries = {
        profileMenu("mnuMail_ReplyFrom_Sender", "&Sender (from different profile)",
                    "reply.senderFrom."),
        profileMenu("mnuMail_ReplyFrom_All", "&All (from different profile)", "reply.allFrom.")};
    fromProfile.enabled = fromProfile.entries[0].enabled;
    platform::Menu menu{
        entry("mnuMail_Forward", "&Forward", cmd::kForward, "F12"),
        profileMenu("mnuMail_ForwardFrom", "F&orward (from different profile)", "forward.from."),
        entry("mnuMail_ForwardAbuse", "Forward abuse@", cmd::kForwardAbuse),
        entry("mnuMail_ReplyToSender", "R&eply To Sender", cmd::kReplySender, "F11"),
        entry("mnuMail_ReplyToAll", "Reply To All", cmd::kReplyAll),
        entry("mnuMail_ReplyToSenderOpposite", "Reply To Sender" + opposite,
              cmd::kReplySenderOpposite),
        entry("mnuMail_ReplyToAllOpposite", "Reply To All" + opposite, cmd::kReplyAllOpposite),
        std::move(fromProfile),
    };
    for (auto& e : menu) e.visible = answerable;
    return menu;
}

}  // namespace velmora::compose
