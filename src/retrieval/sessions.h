// The retrieval sessions: Count, the header fetch for the retrieve-headers window, Execute
// Action, the size-filtered retrieval and retrieve all across profiles, each inside the same
// frame (busy flag, title, timer, menus, progress box, password, connection, error texts), and
// the choice of the first new row afterwards.
//
// Every session copies the profile's login values when it starts, so a profile edited or
// switched during a network wait cannot change the session under way; the main window refuses
// profile changes while busy() anyway. Deletions on the server take effect at QUIT, and QUIT is
// sent only after the folders that received messages are flushed to disk: a session that fails
// before, or whose storing failed, closes without QUIT and the server keeps everything.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "base/pending_syncs.h"
#include "net/pop3.h"
#include "platform/platform.h"
#include "profiles/profile.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"
#include "retrieval/new_mail.h"
#include "retrieval/password_cache.h"
#include "retrieval/progress_box.h"
#include "retrieval/retrieval_host.h"
#include "retrieval/rules.h"
#include "retrieval/seen_messages.h"

namespace velmora::retrieval {

// How a session ended.
struct SessionOutcome {
    bool started = false;  // false: busy, a profile check failed, or no password was given
    bool connected = false;
    bool ok = false;  // the whole session went through
    bool loginRejected = false;
    std::int64_t messageCount = 0;  // STAT, for Count
    std::int64_t totalSize = 0;
    int stored = 0;     // messages stored (copies not counted twice)
    int sizeHeld = 0;   // held back by the size limit
    std::string error;  // the text reported, when not ok
};

// The message box text for a connection failure (first match): the host-not-found and no-data
// codes, a rejected password (also by the [AUTH] response code), a time-out, else the error
// itself. `disableExecute` is set for the two codes that mean no connection to the Internet.
struct ConnectionFailure {
    std::string text;
    bool disableExecute = false;
    bool timedOut = false;
};
ConnectionFailure connectionFailure(const std::string& error);

// "###,###,###,###" of a count: digits grouped by commas.
std::string groupedNumber(std::int64_t value);

class Retrieval {
  public:
    Retrieval(platform::Platform& platform, std::filesystem::path home,
              profiles::Settings& settings, profiles::ProfileLists& profiles, const RuleList& rules,
              RetrievalHost& host);

    TretrieveHeadersDialogForm& progressBox() { return progress_; }
    NewMailList& newMail() { return newMail_; }
    PasswordCache& passwords() { return passwords_; }

    // Asks for a profile's password ("Password Entry Form For [" name "]", "Enter Password",
    // masked); nullopt or empty ends the session without a message. The desktop uses the input
    // box; the command line its own source.
    std::function<std::optional<std::string>(const profiles::TUsersObjListBox&)> askPassword;

    // The commands, for the active profile. Each does nothing while busy.
    SessionOutcome count(bool quiet = false, bool keepNewMail = false);
    SessionOutcome headers();
    // By the settings: retrieve all, or size-filtered.
    SessionOutcome messages();
    SessionOutcome retrieveAll(std::optional<int> namedProfile = std::nullopt);
    SessionOutcome retrieveFiltered();
    SessionOutcome executeAction();

    // The pauses that let the user read "Connected" and "Closing Connection" in the progress box;
    // without a window to show them (the command line, cron) they are left out.
    void setShowPauses(bool show) { showPauses_ = show; }

    // The Messages button's mode and the right-click cycle through the four modes.
    void messagesButtonRightClick();
    // "Delete Mail On Server": toggles delete-after-retrieving.
    void toggleDeleteOnServer();
    // The configuration window changed the two settings: the next right-click switches delete
    // and leave first.
    void messagesModeSetElsewhere() { buttonModeSetElsewhere_ = true; }

    // After a retrieval that stored messages: the folder windows of the new-mail list show their
    // first new row, InBox first when it received mail; with nothing stored InBox shows its last
    // row.
    void selectFirstNewRow();

  private:
    class Frame;
    friend class Frame;
    struct Login {
        profiles::TUsersObjListBox profile;
        std::string server;
        std::string password;
    };

    // Frame steps 3 to 5: the profile checks, the progress box, the password.
    std::optional<Login> prepare(const std::string& caption, bool executionStep, bool quiet);
    const profiles::TUsersObjListBox* activeProfile() const;
    // Connects `client` with the count-down; reports a failure (unless quiet) and returns false.
    bool connect(net::TmsCustomPOP& client, const Login& login, bool quiet,
                 SessionOutcome& outcome);
    // Offers to trust the certificate a connection refused; on Yes the profile keeps its
    // fingerprint and the client takes it for the next attempt.
    bool trustCertificate(const Login& login, net::TmsCustomPOP& client, const std::string& error);
    void reportConnectionFailure(const std::string& error, const Login& login, bool quiet,
                                 SessionOutcome& outcome);
    // Header fetch into the window; the actions of the rows by `automaticActions`.
    SessionOutcome fetchHeaders(const std::string& caption, bool automaticActions, Login& login,
                                SessionOutcome outcome);
    SessionOutcome execute(const std::string& caption, const Login& login, SessionOutcome outcome);
    SessionOutcome retrieveAllOfProfile(const profiles::TUsersObjListBox& profile,
                                        SessionOutcome outcome);
    // A retrieve-all that leaves mail on the server: the server's UIDL list, the messages
    // already fetched, today, and the identifiers whose time on the server is up.
    struct LeftOnServer {
        std::optional<std::vector<std::string>> ids;  // nullopt: no UIDL from this server
        std::optional<SeenMessages> seen;
        std::int64_t today = 0;
        std::set<std::string> due;
        std::set<std::string> queued;  // deletions asked for from Trash when the session began
        bool active() const { return ids.has_value(); }
        // The valid UIDL of message `index`, or "" (fetched as without the choice).
        std::string idOf(std::int64_t index) const;
    };
    LeftOnServer leftOnServer(net::TmsCustomPOP& client, const profiles::TUsersObjListBox& profile);
    // After QUIT went through: the list of fetched messages cut to what the server keeps, and
    // the queued deletions dropped.
    void finishLeftOnServer(LeftOnServer& left, const profiles::TUsersObjListBox& profile,
                            SessionOutcome& outcome);
    // Records a message kept on the server as fetched (its folders flushed first); the warning
    // text shown when that failed, else "".
    std::string recordFetched(SeenMessages& seen, const std::string& id, std::int64_t day,
                              const profiles::TUsersObjListBox& profile);
    void clearNewMailForUserSession();
    void pauseToShow(platform::Milliseconds duration);
    void showFirstNewRow();
    void failed(SessionOutcome& outcome, const std::string& text, bool generalReport);

    platform::Platform& platform_;
    std::filesystem::path home_;
    profiles::Settings& settings_;
    profiles::ProfileLists& profiles_;
    const RuleList& rules_;
    RetrievalHost& host_;
    TretrieveHeadersDialogForm progress_;
    NewMailList newMail_;
    PasswordCache passwords_;
    PendingSyncs durable_;
    bool quiet_ = false;
    bool showPauses_ = true;
    bool buttonModeSetElsewhere_ = true;
};

}  // namespace velmora::retrieval
