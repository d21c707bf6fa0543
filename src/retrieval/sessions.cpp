#include "retrieval/sessions.h"

#include <algorithm>
#include <chrono>
#include <set>

#include "base/identity.h"
#include "base/text_file.h"
#include "mime/errors.h"
#include "mime/headers.h"
#include "net/remote_pop.h"
#include "profiles/settings_rules.h"
#include "retrieval/arrival.h"
#include "retrieval/certificate_trust.h"
#include "retrieval/connection_choices.h"
#include "retrieval/headers_form.h"
#include "store/folders.h"
#include "store/server_deletions.h"

namespace velmora::retrieval {

namespace {

const std::string kInBox = store::kDefaultFolderNames[0];
constexpr platform::Milliseconds kConnectedPause{500};
constexpr platform::Milliseconds kClosingPause{250};
// Stored files are flushed to disk in batches of this many messages or bytes, whichever comes
// first: a batch costs little once the disk has written the data (its writeback starts as each
// file is written), and the bound keeps what a crash could make the next session fetch again
// small.
constexpr std::size_t kSyncBatchMessages = 100;
constexpr std::int64_t kSyncBatchBytes = 32 * 1024 * 1024;

// The session's clients flush the folders that received messages before QUIT, the moment the
// server carries out the deletions; when that fails no QUIT is sent and the server keeps all.
template <class Base>
class DurableClient final : public Base {
  public:
    DurableClient(platform::Platform& platform, PendingSyncs& durable)
        : Base(platform.events, platform.clock), durable_(durable) {}

  protected:
    void Logout() override {
        if (this->isOpen() && durable_.pending()) {
            if (const auto error = durable_.syncAll())
                throw mime::EMessageError("Cannot save the retrieved messages: " +
                                          errorText(error));
        }
        Base::Logout();
    }

  private:
    PendingSyncs& durable_;
};

bool containsNoCase(const std::string& text, std::string_view word) {
    return toLowerAscii(text).find(word) != std::string::npos;
}

std::string shownName(const profiles::TUsersObjListBox& profile) {
    return profiles::cutName(profile.profileName);
}

}  // namespace

ConnectionFailure connectionFailure(const std::string& error) {
    if (error.find("11001") != std::string::npos)
        return {"Error 11001 Host not found.\r\rPossibly no internet connection.", true, false};
    if (containsNoCase(error, "bad password or unknown username"))
        return {"Bad Password or Unknown Username.", false, false};
    // Today's servers mark a refused log-in with the [AUTH] response code (RFC 3206) and a text
    // of their own, which follows for the details.
    if (error.find("[AUTH]") != std::string::npos)
        return {"Bad Password or Unknown Username.\r\r" + error, false, false};
    if (containsNoCase(error, "operation timed out")) return {"Operation timed out.", false, true};
    if (error.find("11004") != std::string::npos)
        return {"Error 11004 No data record.\r\rPossibly no internet connection.", true, false};
    return {error, false, false};
}

std::string groupedNumber(std::int64_t value) {
    if (value < 0) value = 0;
    std::string digits = std::to_string(value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return text;
}

// Steps 1 and 9 of every session: busy, title, timer, menus; and the end step on every path.
class Retrieval::Frame {
  public:
    Frame(Retrieval& retrieval, bool quiet) : retrieval_(retrieval) {
        RetrievalHost& host = retrieval.host_;
        if (host.busy()) return;
        active_ = true;
        host.setBusy(true);
        title_ = host.applicationTitle();
        host.setApplicationTitle(" Retrieving");
        timerWasRunning_ = host.autoCheckRunning();
        host.stopAutoCheck();
        host.setMailCommandsEnabled(false);
        retrieval.quiet_ = quiet;
    }
    ~Frame() {
        if (!active_) return;
        RetrievalHost& host = retrieval_.host_;
        retrieval_.progress_.onCancel = nullptr;
        retrieval_.progress_.close();
        host.setBusy(false);
        host.setApplicationTitle(title_);
        host.setMailCommandsEnabled(true);
        if (timerWasRunning_) host.restartAutoCheck();
        retrieval_.quiet_ = false;
    }
    Frame(const Frame&) = delete;
    Frame& operator=(const Frame&) = delete;
    bool active() const { return active_; }

  private:
    Retrieval& retrieval_;
    bool active_ = false;
    bool timerWasRunning_ = false;
    std::string title_;
};

Retrieval::Retrieval(platform::Platform& platform, std::filesystem::path home,
                     profiles::Settings& settings, profiles::ProfileLists& profiles,
                     const RuleList& rules, RetrievalHost& host)
    : platform_(platform),
      home_(std::move(home)),
      settings_(settings),
      profiles_(profiles),
      rules_(rules),
      host_(host) {}

void Retrieval::pauseToShow(platform::Milliseconds duration) {
    if (showPauses_) platform_.pause(duration);
}

const profiles::TUsersObjListBox* Retrieval::activeProfile() const {
    return profiles_.activeProfile();
}

void Retrieval::clearNewMailForUserSession() {
    host_.clearNewMailMarkers();
    newMail_.clear();
    host_.newMailListChanged();
}

void Retrieval::failed(SessionOutcome& outcome, const std::string& text, bool generalReport) {
    outcome.ok = false;
    outcome.error = text;
    progress_.close();
    if (quiet_) {
        host_.showStatus(text);
    } else if (generalReport) {
        host_.reportError(text);
    }
}

std::optional<Retrieval::Login> Retrieval::prepare(const std::string& caption, bool executionStep,
                                                   bool quiet) {
    const profiles::TUsersObjListBox* active = activeProfile();
    if (!active) return std::nullopt;
    Login login{*active, {}, {}};
    const std::string name = shownName(login.profile);
    auto refuse = [&](const std::string& what) {
        const std::string text = "User " + name + " does not have " + what + " defined.\r\r" +
                                 "Cannot connect to mail server.";
        if (quiet) {
            host_.showStatus(text);
        } else {
            platform_.system.beep();
            platform_.dialogs.warning(kProductName, text);
        }
    };
    if (profiles::trimBlanks(login.profile.accountName).empty()) {
        refuse("an ISP Login Name");
        return std::nullopt;
    }
    if (profiles::trimBlanks(login.profile.pop3Server).empty()) {
        refuse("a POP3 Mail Server name");
        return std::nullopt;
    }
    if (!quiet) progress_.start(caption);
    progress_.setUpperLine("Connecting to <" + login.profile.pop3Server + ">");

    login.server = pop3ServerAddress(login.profile, settings_.retrieve.pop3Port);
    if (login.profile.rememberPassword) {
        login.password = login.profile.password;
    } else if (auto cached = passwords_.find(login.profile.profileName, login.server);
               cached && (executionStep || quiet)) {
        login.password = *cached;
    } else if (quiet) {
        return std::nullopt;  // the automatic check asks before it counts
    } else {
        std::optional<std::string> typed;
        if (askPassword) {
            typed = askPassword(login.profile);
        } else if (auto answer =
                       platform_.dialogs.inputBox({"Password Entry Form For [" + name + "]",
                                                   {"Enter Password", "", true},
                                                   {}})) {
            typed = answer->first;
        }
        if (!typed || typed->empty()) {
            progress_.close();
            return std::nullopt;
        }
        login.password = *typed;
        passwords_.remember(login.profile.profileName, login.server, login.password);
    }
    progress_.setTimeoutLine(
        "Connection timeout in " +
        std::to_string(profiles::timeoutSeconds(settings_.retrieve.connectTimeout)) + " seconds");
    return login;
}

bool Retrieval::connect(net::TmsCustomPOP& client, const Login& login, bool quiet,
                        SessionOutcome& outcome) {
    client.UserName = login.profile.accountName;
    client.Password = login.password;
    client.Server = login.server;
    client.Options = pop3ConnectionOptions(login.profile);
    const int seconds = profiles::timeoutSeconds(settings_.retrieve.connectTimeout);
    client.setTimeOut(seconds);
    client.OnProgress = [this](net::TagSocket&, int percent, std::int64_t) {
        progress_.setUpperBar(percent);
    };
    progress_.onCancel = [&client] { client.Cancel(); };

    // Only shows the time left; the time-out itself is the client's.
    int left = seconds;
    auto countdown = platform_.timers.createTimer(platform::Milliseconds{1000}, false, [&] {
        if (left > 0) --left;
        progress_.setTimeoutLine(left > 0
                                     ? "Connection timeout in " + std::to_string(left) + " seconds"
                                     : std::string("Timed out"));
    });
    countdown->start();
    std::string error;
    for (bool retried = false;; retried = true) {
        error.clear();
        try {
            client.Connect();
        } catch (const mime::EServerError& e) {
            error = e.what();
            outcome.loginRejected = true;
        } catch (const std::exception& e) {
            error = e.what();
        }
        // A certificate that does not verify may be trusted once the user saw its fingerprint.
        if (error.empty() || quiet || retried || !trustCertificate(login, client, error)) break;
    }
    countdown->stop();
    if (!error.empty() || !client.isOpen()) {
        if (error.empty()) error = "Connection closed";
        // A refused log-in must not be retried with the same password by later sessions.
        if (outcome.loginRejected) passwords_.forget(login.profile.profileName, login.server);
        // The automatic check never asks: its status line says where the question comes.
        if (quiet && isCertificateRefusal(error, client.PeerFingerprint()))
            error += " Count or retrieve mail to review the certificate.";
        progress_.close();
        client.Cancel();
        reportConnectionFailure(error, login, quiet, outcome);
        return false;
    }
    outcome.connected = true;
    progress_.setUpperLine("Connected");
    pauseToShow(kConnectedPause);
    progress_.hideTimeoutLine();
    return true;
}

bool Retrieval::trustCertificate(const Login& login, net::TmsCustomPOP& client,
                                 const std::string& error) {
    const auto trusted =
        askToTrustCertificate(platform_, home_, profiles_, login.profile.profileName,
                              TrustedServer::Pop3, error, client.PeerFingerprint());
    if (!trusted) return false;
    client.Options.trustedFingerprint = *trusted;
    return true;
}

void Retrieval::reportConnectionFailure(const std::string& error, const Login&, bool quiet,
                                        SessionOutcome& outcome) {
    const ConnectionFailure failure = connectionFailure(error);
    outcome.ok = false;
    outcome.error = failure.text;
    if (failure.disableExecute)
        if (TheadersForm* window = host_.findHeadersWindow()) window->disableExecute();
    if (quiet) {
        host_.showStatus(failure.text);
        return;
    }
    platform_.system.beep();
    platform_.dialogs.information(kProductName, failure.text);
}

SessionOutcome Retrieval::count(bool quiet, bool keepNewMail) {
    SessionOutcome outcome;
    Frame frame(*this, quiet);
    if (!frame.active()) return outcome;
    if (!quiet) {
        host_.clearNewMailIndication();
        if (!keepNewMail) clearNewMailForUserSession();
    }
    const profiles::TUsersObjListBox* active = activeProfile();
    if (!active) return outcome;
    const std::string caption = "Message Count For [" + shownName(*active) + "]";
    auto login = prepare(caption, false, quiet);
    if (!login) return outcome;
    outcome.started = true;
    DurableClient<net::TmsPOP> client(platform_, durable_);
    if (!connect(client, *login, quiet, outcome)) return outcome;
    outcome.messageCount = std::max<std::int64_t>(client.MessageCount(), 0);
    outcome.totalSize = std::max<std::int64_t>(client.TotalSize(), 0);
    try {
        client.Disconnect();
    } catch (const std::exception&) {
        // Counting is done; a failed log-out changes nothing.
    }
    progress_.close();
    outcome.ok = true;
    if (quiet) return outcome;
    std::string text = caption + "\r\r";
    if (outcome.messageCount == 0)
        text += "Total Messages: 0\r\r       Total Bytes: 0";
    else
        text += "Total Messages: " + std::to_string(outcome.messageCount) +
                "\r\r       Total Bytes: " + groupedNumber(outcome.totalSize);
    platform_.system.beep();
    platform_.dialogs.information(kProductName, text);
    return outcome;
}

SessionOutcome Retrieval::fetchHeaders(const std::string& caption, bool automaticActions,
                                       Login& login, SessionOutcome outcome) {
    (void)caption;
    DurableClient<net::TmsRemotePOP> client(platform_, durable_);
    if (!connect(client, login, false, outcome)) {
        if (TheadersForm* window = host_.findHeadersWindow()) window->fetchFinished();
        return outcome;
    }
    const std::int64_t n = std::max<std::int64_t>(client.MessageCount(), 0);
    if (n > 0) {
        progress_.setLowerLine("Retrieving Header 1 of " + std::to_string(n));
        progress_.setUpperLine("Retrieving Header Data");
        progress_.setMessageCount(n);
    }
    const std::int64_t limit = profiles::sizeLimitBytes(settings_.retrieve.sizeLimit);
    std::optional<SeenMessages> seen;
    if (automaticActions && login.profile.leaveOnServer)
        seen.emplace(profiles::seenMessagesFilePath(home_, login.profile.profileName));
    client.OnNextInfoUpdated = [&](net::TagSocket&, int index) {
        const net::TmsRemoteInfoItem& item = client.RemoteInfo.Items(index);
        ServerAction action = defaultServerAction(login.profile.headersDefaultAction);
        if (automaticActions) {
            // Left on the server, a message known by its UIDL is fetched once, as by retrieve all.
            const bool leave = seen && isValidUidl(item.UIDL);
            action = settings_.retrieve.deleteFromServer && !leave ? ServerAction::RetAndDel
                                                                   : ServerAction::RetAndHold;
            if (leave && seen->contains(item.UIDL)) {
                action = ServerAction::Hold;
            } else if (limit > 0 && item.Size >= limit) {
                action = ServerAction::Hold;
                ++outcome.sizeHeld;
            }
        }
        HeadersRow row;
        row.columns = headersRowColumns(action, index, item, settings_.retrieve.dateFormat);
        row.action = action;
        row.serverIndex = index;
        row.info = item;
        // Looked up each time; the window cannot close while busy, but it may not be open.
        host_.showHeadersWindow().addRow(std::move(row));
        if (index + 1 < n)
            progress_.setLowerLine("Retrieving Header " + std::to_string(index + 2) + " of " +
                                   std::to_string(n));
        progress_.messageDone(index);
    };
    try {
        client.UpdateInfo();
    } catch (const std::exception& e) {
        if (TheadersForm* window = host_.findHeadersWindow()) window->clearRows();
        failed(outcome, e.what(), true);
        return outcome;
    }
    progress_.setUpperLine("Closing Connection");
    pauseToShow(kClosingPause);
    try {
        client.Disconnect();
    } catch (const std::exception& e) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, std::string("Close Error 8863\r") + e.what());
    }
    host_.showHeadersWindow().fetchFinished();
    outcome.ok = true;
    return outcome;
}

SessionOutcome Retrieval::headers() {
    SessionOutcome outcome;
    Frame frame(*this, false);
    if (!frame.active()) return outcome;
    host_.clearNewMailIndication();
    clearNewMailForUserSession();
    TheadersForm& window = host_.showHeadersWindow();
    window.clearRows();
    const profiles::TUsersObjListBox* active = activeProfile();
    if (!active) return outcome;
    const std::string caption = "Retrieving Headers For [" + shownName(*active) + "]";
    auto login = prepare(caption, false, false);
    if (!login) return outcome;
    outcome.started = true;
    outcome = fetchHeaders(caption, false, *login, outcome);
    progress_.close();
    return outcome;
}

SessionOutcome Retrieval::execute(const std::string& caption, const Login& login,
                                  SessionOutcome outcome) {
    TheadersForm* window = host_.findHeadersWindow();
    if (!window || window->rowCount() == 0) return outcome;
    newMail_.clear();
    host_.newMailListChanged();
    std::size_t toRetrieve = 0;
    for (const auto& row : window->rows())
        if (row.action == ServerAction::RetAndDel || row.action == ServerAction::RetAndHold)
            ++toRetrieve;
    {
        reading::TinboxForm& inbox = host_.folders().openFolderWindow(kInBox, toRetrieve > 0);
        if (toRetrieve > 0) host_.showFolderWindow(inbox);
    }
    if (!progress_.visible()) progress_.start(caption);
    progress_.setCaption(caption);

    DurableClient<net::TmsRemotePOP> client(platform_, durable_);
    if (!connect(client, login, false, outcome)) {
        if (connectionFailure(outcome.error).timedOut)
            host_.showHeadersWindow();
        else if (TheadersForm* open = host_.findHeadersWindow())
            open->clearRows();
        return outcome;
    }

    // The marks are made afresh from the rows: nothing left from an earlier, failed execution.
    std::vector<HeadersRow>& rows = window->mutableRows();
    int servers = 0;
    for (const auto& row : rows) servers = std::max(servers, row.serverIndex + 1);
    client.RemoteInfo.Clear();
    std::vector<int> executionOf(static_cast<std::size_t>(servers), -1);
    std::vector<const HeadersRow*> rowOf(static_cast<std::size_t>(servers), nullptr);
    for (const auto& row : rows) rowOf[static_cast<std::size_t>(row.serverIndex)] = &row;
    for (int index = 0; index < servers; ++index) {
        auto item = std::make_unique<net::TmsRemoteInfoItem>();
        if (const HeadersRow* row = rowOf[static_cast<std::size_t>(index)]) *item = row->info;
        item->Flags = 0;
        client.RemoteInfo.Add(std::move(item));
    }
    // Server copies of messages deleted from Trash go with this execution, as with retrieve all.
    std::set<std::string> queued;
    if (login.profile.leaveOnServer) {
        const store::ServerDeletions deletions(
            profiles::serverDeletionsFilePath(home_, login.profile.profileName));
        queued.insert(deletions.uidls().begin(), deletions.uidls().end());
    }
    int next = 0;
    int held = 0;
    for (auto& row : rows) {
        row.executionNumber = -1;
        const bool dropped = queued.count(row.info.UIDL) != 0;
        switch (row.action) {
            case ServerAction::RetAndDel:
                client.MarkForRetrieval(row.serverIndex);
                client.MarkForDeletion(row.serverIndex);
                break;
            case ServerAction::RetAndHold:
                client.MarkForRetrieval(row.serverIndex);
                break;
            case ServerAction::Delete:
                client.MarkForDeletion(row.serverIndex);
                break;
            case ServerAction::Hold:
                if (dropped) break;
                ++held;
                continue;
        }
        if (dropped) client.MarkForDeletion(row.serverIndex);
        row.executionNumber = next++;
        executionOf[static_cast<std::size_t>(row.serverIndex)] = row.executionNumber;
    }
    const std::int64_t total = static_cast<std::int64_t>(rows.size()) - held;
    progress_.setMessageCount(total);
    auto numberOf = [&](int index) -> std::int64_t {
        return index >= 0 && index < servers ? executionOf[static_cast<std::size_t>(index)] : 0;
    };

    ArrivalContext context{platform_, home_,    settings_,  rules_, host_.folders(),
                           newMail_,  durable_, &progress_, {}};
    context.bringToFront = [this](reading::TinboxForm& target) { host_.showFolderWindow(target); };
    std::string storeFailure;
    std::optional<SeenMessages> seen;
    if (login.profile.leaveOnServer)
        seen.emplace(profiles::seenMessagesFilePath(home_, login.profile.profileName));
    const std::int64_t today = dayOf(platform_.clock.localNow());
    client.OnRetrieving = [&](net::TagSocket&, int index) {
        const std::string k = std::to_string(numberOf(index) + 1);
        progress_.setUpperLine("Retrieving Message " + k + " Progress");
        progress_.setLowerLine("Processing Message " + k + " of " + std::to_string(total));
    };
    client.OnDeleting = [&](net::TagSocket&, int index) {
        progress_.setUpperLine("Deleting Message " + std::to_string(numberOf(index) + 1) +
                               " From Mail Server");
    };
    client.OnUserMessageSave = [&](net::TagSocket&, int index, std::string& contents) {
        mime::TmsMessage message;
        message.LoadFromString(contents);
        net::TmsRemoteInfoItem& item = client.RemoteInfo.Items(index);
        ArrivingMessage arriving{
            message, ArrivalPath::HeadersWindow, !item.Delete(), item.Size, numberOf(index), total};
        // Kept on the server by a profile that leaves mail there: retrieve all passes over it.
        const std::string id = seen && !item.Delete() && isValidUidl(item.UIDL) ? item.UIDL : "";
        if (!id.empty()) arriving.serverCopy = store::ServerCopy{id, login.profile.profileName};
        ArrivalResult result = storeArrivingMessage(context, arriving);
        if (result.safe && !id.empty()) {
            if (const std::string failure = recordFetched(*seen, id, today, login.profile);
                !failure.empty()) {
                result.safe = false;
                result.failure = failure;
            }
        }
        if (!result.safe) {
            // This message and every later one stay on the server, untouched.
            storeFailure = result.failure;
            for (int later = index; later < client.RemoteInfo.Count(); ++later)
                client.RemoteInfo.Items(later).Flags = 0;
            return;
        }
        ++outcome.stored;
        progress_.messageDone(numberOf(index));
    };
    try {
        client.ExecuteActions();
    } catch (const std::exception& e) {
        failed(outcome, e.what(), true);
        if (TheadersForm* open = host_.findHeadersWindow()) open->clearRows();
        selectFirstNewRow();
        return outcome;
    }
    if (TheadersForm* open = host_.findHeadersWindow()) open->clearRows();
    selectFirstNewRow();
    host_.minimizeHeadersWindow();
    if (reading::TinboxForm* current = host_.currentFolderWindow())
        host_.showFolderWindow(*current);
    else
        host_.showFolderWindow(host_.folders().openFolderWindow(kInBox, true));
    if (!storeFailure.empty()) {
        outcome.ok = false;
        outcome.error = storeFailure;
    } else {
        outcome.ok = true;
        // QUIT went through: what was queued is gone from the server (the rows listed it all).
        if (!queued.empty()) {
            const auto file = profiles::serverDeletionsFilePath(home_, login.profile.profileName);
            if (const auto error = store::ServerDeletions(file).remove(queued)) {
                outcome.error = "File I/O Error 9563\r" + file.string() + ": " + errorText(error);
                platform_.system.beep();
                platform_.dialogs.warning(kProductName, outcome.error);
            }
        }
    }
    return outcome;
}

SessionOutcome Retrieval::executeAction() {
    SessionOutcome outcome;
    Frame frame(*this, false);
    if (!frame.active()) return outcome;
    const profiles::TUsersObjListBox* active = activeProfile();
    if (!active) return outcome;
    const std::string caption = "Executing Actions For [" + shownName(*active) + "]";
    auto login = prepare(caption, true, false);
    if (!login) return outcome;
    outcome.started = true;
    return execute(caption, *login, outcome);
}

SessionOutcome Retrieval::retrieveFiltered() {
    SessionOutcome outcome;
    Frame frame(*this, false);
    if (!frame.active()) return outcome;
    host_.clearNewMailIndication();
    clearNewMailForUserSession();
    host_.showHeadersWindow().clearRows();
    const profiles::TUsersObjListBox* active = activeProfile();
    if (!active) return outcome;
    const std::string caption = "Retrieving Messages For [" + shownName(*active) + "]";
    auto login = prepare(caption, false, false);
    if (!login) return outcome;
    outcome.started = true;
    outcome = fetchHeaders(caption, true, *login, outcome);
    if (!outcome.ok) return outcome;
    const int sizeHeld = outcome.sizeHeld;
    const bool any = host_.findHeadersWindow() && host_.findHeadersWindow()->rowCount() > 0;
    if (any) {
        // The second step logs in with the password of this run.
        outcome = execute(caption, *login, outcome);
    }
    progress_.close();
    const std::size_t limitChoice = static_cast<std::size_t>(std::clamp(
        settings_.retrieve.sizeLimit, 0, static_cast<int>(profiles::kSizeLimitChoices.size()) - 1));
    const std::string limit = profiles::kSizeLimitChoices[limitChoice];
    if (sizeHeld == 1) {
        platform_.dialogs.information(kProductName,
                                      "1 message was not retrieved.\r\rIt exceeded the " + limit +
                                          " Retrieve limit.\r\rIt is still on the mail server.\r");
    } else if (sizeHeld > 1) {
        platform_.dialogs.information(
            kProductName, std::to_string(sizeHeld) +
                              " messages were not retrieved.\r\rEach one exceeded the " + limit +
                              " Retrieve limit.\r\rThey are still on the mail server.\r");
    }
    outcome.sizeHeld = sizeHeld;
    if (!any) {
        host_.minimizeHeadersWindow();
        if (reading::TinboxForm* current = host_.currentFolderWindow())
            host_.showFolderWindow(*current);
    }
    return outcome;
}

std::string Retrieval::recordFetched(SeenMessages& seen, const std::string& id, std::int64_t day,
                                     const profiles::TUsersObjListBox& profile) {
    // The message's names reach the disk before it is marked as fetched, so a crash between the
    // two fetches it again rather than never.
    std::error_code error = durable_.syncAll();
    if (!error) error = seen.record(id, day);
    if (!error) return {};
    const std::string text = "File I/O Error 9563\r" +
                             profiles::seenMessagesFilePath(home_, profile.profileName).string() +
                             ": " + errorText(error);
    platform_.system.beep();
    platform_.dialogs.warning(kProductName, text);
    return text;
}

Retrieval::LeftOnServer Retrieval::leftOnServer(net::TmsCustomPOP& client,
                                                const profiles::TUsersObjListBox& profile) {
    LeftOnServer left;
    left.ids = client.UniqueIds();
    if (!left.ids) return left;
    left.seen.emplace(profiles::seenMessagesFilePath(home_, profile.profileName));
    left.today = dayOf(platform_.clock.localNow());
    for (const std::string& id :
         left.seen->dueForDeletion(*left.ids, left.today, profile.deleteFromServerAfterDays))
        left.due.insert(id);
    // Server copies of messages deleted from Trash go in this session when the server still
    // lists them; they are never fetched again, whatever the list of fetched messages lost.
    const store::ServerDeletions deletions(
        profiles::serverDeletionsFilePath(home_, profile.profileName));
    const std::set<std::string> listed(left.ids->begin(), left.ids->end());
    for (const std::string& id : deletions.uidls()) {
        left.queued.insert(id);
        if (!listed.count(id)) continue;
        if (!left.seen->contains(id) && left.seen->record(id, left.today)) continue;
        left.due.insert(id);
    }
    return left;
}

void Retrieval::finishLeftOnServer(LeftOnServer& left, const profiles::TUsersObjListBox& profile,
                                   SessionOutcome& outcome) {
    // Only what the server keeps after this session's deletions stays in the list.
    std::vector<std::string> kept;
    for (const std::string& id : *left.ids)
        if (!left.due.count(id)) kept.push_back(id);
    std::error_code error = left.seen->keepOnly(kept);
    std::filesystem::path file = profiles::seenMessagesFilePath(home_, profile.profileName);
    if (!error && !left.queued.empty()) {
        // Whatever was queued is gone from the server now; what the user deleted from Trash
        // during this session stays for the next one.
        file = profiles::serverDeletionsFilePath(home_, profile.profileName);
        error = store::ServerDeletions(file).remove(left.queued);
    }
    if (!error) return;
    outcome.error = "File I/O Error 9563\r" + file.string() + ": " + errorText(error);
    platform_.system.beep();
    platform_.dialogs.warning(kProductName, outcome.error);
}

std::string Retrieval::LeftOnServer::idOf(std::int64_t index) const {
    if (!ids || index < 0 || static_cast<std::size_t>(index) >= ids->size()) return {};
    const std::string& id = (*ids)[static_cast<std::size_t>(index)];
    return isValidUidl(id) ? id : std::string();
}

SessionOutcome Retrieval::retrieveAllOfProfile(const profiles::TUsersObjListBox& profile,
                                               SessionOutcome outcome) {
    try {
        host_.showFolderWindow(host_.folders().openFolderWindow(kInBox, true));
    } catch (const std::exception&) {
        // Storing the first message reports the folder and keeps it on the server.
    }
    const std::string caption = "Retrieving All Messages For [" + shownName(profile) + "]";
    auto login = prepare(caption, false, false);
    if (!login) return outcome;
    outcome.started = true;
    DurableClient<net::TmsPOP> client(platform_, durable_);
    if (!connect(client, *login, false, outcome)) return outcome;
    const std::int64_t n = std::max<std::int64_t>(client.MessageCount(), 0);
    // Left on the server, each message is fetched once, told apart by its UIDL; a server that
    // gives no UIDL list is retrieved as without the choice.
    LeftOnServer left = profile.leaveOnServer ? leftOnServer(client, profile) : LeftOnServer{};
    const bool deleteAfter = !left.active() && settings_.retrieve.deleteFromServer;
    progress_.setMessageCount(n);
    progress_.setUpperLine("Retrieving Message 1 Progress");
    progress_.setLowerLine("Processing Message 1 of " + std::to_string(n));
    client.OnRetrieving = [&](net::TagSocket&, int index) {
        progress_.setUpperLine("Retrieving Message " + std::to_string(index + 1) + " Progress");
    };
    ArrivalContext context{platform_, home_,    settings_,  rules_, host_.folders(),
                           newMail_,  durable_, &progress_, {}};
    context.bringToFront = [this](reading::TinboxForm& target) { host_.showFolderWindow(target); };
    bool ok = true;
    // Stored messages whose files are not flushed yet: each is deleted on the server, or
    // recorded as fetched, only after the batch that makes its files durable.
    std::vector<int> unsyncedDeletes;
    std::vector<std::string> unsyncedIds;
    std::size_t unsyncedMessages = 0;
    const auto storageError = [&](const std::string& where, const std::error_code& error) {
        ok = false;
        outcome.error = "File I/O Error 9563\r" + where + errorText(error);
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, outcome.error);
    };
    // False after a failure (reported): the batch's messages stay on the server, unrecorded.
    const auto flushBatch = [&]() -> bool {
        unsyncedMessages = 0;
        if (const auto error = durable_.syncAll()) {
            unsyncedDeletes.clear();
            unsyncedIds.clear();
            storageError("", error);
            return false;
        }
        for (const int index : unsyncedDeletes) client.DeleteMessage(index);
        unsyncedDeletes.clear();
        if (unsyncedIds.empty()) return true;
        const auto error = left.seen->recordAll(unsyncedIds, left.today);
        unsyncedIds.clear();
        if (error) {
            storageError(profiles::seenMessagesFilePath(home_, profile.profileName).string() + ": ",
                         error);
            return false;
        }
        return true;
    };
    try {
        std::vector<int> plan;
        for (std::int64_t i = 0; i < n; ++i) {
            const std::string id = left.idOf(i);
            if (id.empty() || !left.seen->contains(id))
                plan.push_back(static_cast<int>(std::min<std::int64_t>(i, INT32_MAX - 1)));
        }
        client.PlanRetrievals(std::move(plan));
        for (std::int64_t i = 0; i < n; ++i) {
            const int index = static_cast<int>(std::min<std::int64_t>(i, INT32_MAX - 1));
            const std::string id = left.idOf(i);
            if (!id.empty() && left.seen->contains(id)) {
                if (left.due.count(id)) client.DeleteMessage(index);
                progress_.messageDone(i);
                continue;
            }
            client.RetrieveMessage(index);
            if (client.Messages.Count() == 0) continue;
            ArrivingMessage arriving{
                client.Messages.Items(0), ArrivalPath::WholeMessage, !deleteAfter, 0, i, n};
            if (!id.empty()) arriving.serverCopy = store::ServerCopy{id, profile.profileName};
            const ArrivalResult result = storeArrivingMessage(context, arriving);
            client.Messages.Clear();
            if (!result.safe) {
                // This message and the rest stay on the server; what was stored is kept.
                ok = false;
                outcome.error = result.failure;
                break;
            }
            ++outcome.stored;
            ++unsyncedMessages;
            if (deleteAfter) unsyncedDeletes.push_back(index);
            if (!id.empty()) unsyncedIds.push_back(id);
            progress_.messageDone(i);
            if ((unsyncedMessages >= kSyncBatchMessages || durable_.bytes() >= kSyncBatchBytes) &&
                !flushBatch())
                break;
        }
        // Also after a store failure: what was stored before it is deleted and recorded.
        if (ok || unsyncedMessages > 0) {
            const std::string storeFailure = outcome.error;
            if (!flushBatch()) ok = false;
            if (!storeFailure.empty()) outcome.error = storeFailure;
        }
    } catch (const std::exception& e) {
        // No QUIT: the server keeps every message of this session. What was stored is
        // recorded as fetched once its files are durable, so it is not fetched again.
        client.Cancel();
        if (!unsyncedIds.empty() && !durable_.syncAll())
            (void)left.seen->recordAll(unsyncedIds, left.today);
        failed(outcome, e.what(), true);
        selectFirstNewRow();
        return outcome;
    }
    progress_.setUpperLine("Closing Connection");
    pauseToShow(kClosingPause);
    try {
        client.Disconnect();
    } catch (const std::exception& e) {
        ok = false;
        outcome.error = std::string("Close Error 9889\r") + e.what();
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, outcome.error);
    }
    // The deletions took effect with QUIT: only then do they leave the lists.
    if (left.active() && ok) finishLeftOnServer(left, profile, outcome);
    selectFirstNewRow();
    if (reading::TinboxForm* inbox = host_.folders().findFolderWindow(kInBox))
        inbox->setIndexDirty();
    pauseToShow(kClosingPause);
    progress_.close();
    outcome.ok = ok;
    return outcome;
}

SessionOutcome Retrieval::retrieveAll(std::optional<int> namedProfile) {
    SessionOutcome outcome;
    Frame frame(*this, false);
    if (!frame.active()) return outcome;
    host_.clearNewMailIndication();
    clearNewMailForUserSession();
    if (profiles_.empty()) return outcome;
    const int before = profiles_.activeIndex();
    if (namedProfile) profiles_.selectActiveProfile(*namedProfile);
    const int commandProfile = profiles_.activeIndex();
    std::set<std::string> handledServers;
    int last = commandProfile;
    bool allOk = true;
    bool anyStarted = false;
    std::string firstError;
    for (std::size_t index = 0; index < profiles_.size(); ++index) {
        const profiles::TUsersObjListBox& record = profiles_.record(index);
        if (static_cast<int>(index) != commandProfile && !record.retrieveWhenNotActive) continue;
        const std::string server = toLowerAscii(profiles::trimBlanks(record.pop3Server));
        if (!server.empty() && !handledServers.insert(server).second) continue;
        profiles_.selectActiveProfile(static_cast<int>(index));
        last = static_cast<int>(index);
        SessionOutcome one = retrieveAllOfProfile(profiles_.record(index), SessionOutcome{});
        anyStarted = anyStarted || one.started;
        outcome.connected = outcome.connected || one.connected;
        outcome.stored += one.stored;
        if (one.started && !one.ok) {
            allOk = false;
            if (firstError.empty()) firstError = one.error;
        }
    }
    profiles_.selectActiveProfile(namedProfile ? last : before);
    outcome.started = anyStarted;
    outcome.ok = anyStarted && allOk;
    outcome.error = firstError;
    return outcome;
}

SessionOutcome Retrieval::messages() {
    if (settings_.retrieve.retrieveAllRegardlessOfSize) return retrieveAll();
    return retrieveFiltered();
}

void Retrieval::selectFirstNewRow() {
    try {
        showFirstNewRow();
    } catch (const std::exception& e) {
        // The mail is stored; only showing it failed.
        host_.reportError(e.what());
    }
}

void Retrieval::showFirstNewRow() {
    reading::FolderWindowHost& folders = host_.folders();
    std::vector<const NewMailList::Entry*> received;
    for (const auto& entry : newMail_.entries())
        if (!entry.folder.empty()) received.push_back(&entry);
    host_.newMailListChanged();
    if (received.empty()) {
        reading::TinboxForm& inbox = folders.openFolderWindow(kInBox, true);
        if (inbox.rowCount() > 0) inbox.clickRow(static_cast<int>(inbox.rowCount()) - 1);
        host_.showFolderWindow(inbox);
        return;
    }
    const NewMailList::Entry* first = received.front();
    for (const NewMailList::Entry* entry : received) {
        if (entry->folder == kInBox) first = entry;
        reading::TinboxForm& window = folders.openFolderWindow(entry->folder, true);
        window.clickRow(std::min(entry->lastRow + 1, static_cast<int>(window.rowCount()) - 1));
        host_.showFolderWindow(window);
    }
    // The folder shown last becomes the current one.
    host_.showFolderWindow(folders.openFolderWindow(first->folder, true));
}

void Retrieval::toggleDeleteOnServer() {
    settings_.retrieve.deleteFromServer = !settings_.retrieve.deleteFromServer;
    settings_.retrieve.messagesButtonMode = profiles::messagesButtonMode(
        settings_.retrieve.deleteFromServer, settings_.retrieve.retrieveAllRegardlessOfSize);
    settings_.changed.retrieve = true;
    buttonModeSetElsewhere_ = true;
}

void Retrieval::messagesButtonRightClick() {
    auto& retrieve = settings_.retrieve;
    if (buttonModeSetElsewhere_) {
        retrieve.deleteFromServer = !retrieve.deleteFromServer;
        buttonModeSetElsewhere_ = false;
    } else {
        // delete + all, leave + filtered, leave + all, delete + filtered, delete + all ...
        const bool del = retrieve.deleteFromServer;
        const bool all = retrieve.retrieveAllRegardlessOfSize;
        if (del && all) {
            retrieve.deleteFromServer = false;
            retrieve.retrieveAllRegardlessOfSize = false;
        } else if (!del && !all) {
            retrieve.retrieveAllRegardlessOfSize = true;
        } else if (!del && all) {
            retrieve.deleteFromServer = true;
            retrieve.retrieveAllRegardlessOfSize = false;
        } else {
            retrieve.retrieveAllRegardlessOfSize = true;
        }
    }
    retrieve.messagesButtonMode = profiles::messagesButtonMode(
        retrieve.deleteFromServer, retrieve.retrieveAllRegardlessOfSize);
    settings_.changed.retrieve = true;
}

}  // namespace velmora::retrieval
