// The profile list and the two lists that run beside it, index for index, at all times once the
// profiles are loaded: the profile selector `cboTBUsersListBox` of the main window's profile
// toolbar (its selected index is the active profile), the connection selector
// `cboTBInternetConnection` (its selected index is the connection profile, whose SMTP server
// carries all outgoing mail), and the rank list `csRankUsersListBox` of the Users page, which
// owns the records. Every change goes through this class, so the three never fall out of step.
//
// The main window owns one ProfileLists, fills the profile selector with loadProfileNames when
// it is created and the records with loadProfiles when the configuration window is built; its
// widgets render the two selectors from here and forward the user's choices to
// selectActiveProfile and selectConnectionProfile.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "profiles/profile.h"

namespace velmora::profiles {

// The active profile's login values, where the mail operations read them. Refreshed whenever the
// active profile changes, when a profile is added and when the Users page is left.
struct ActiveLogin {
    std::string accountName;
    std::string password;
    bool rememberPassword = false;
    std::string pop3Server;
    int headersDefaultAction = 0;

    bool operator==(const ActiveLogin&) const = default;
};

// What the rest of the program does when the profiles change; the main window implements it.
// Every call has an empty default, so a window that does not care needs no code.
class ProfileEvents {
  public:
    virtual ~ProfileEvents() = default;
    // The active profile changed (or was set again): give the Headers command F2, rebuild the
    // main window title, empty an open retrieve-headers window ("Retrieve Headers - 0 Headers",
    // Execute and the server action group disabled), rebuild the signature lists of open
    // compose windows.
    virtual void activeProfileChanged(int /*index*/) {}
    // The number of profiles changed: Compose, Count, Headers and Messages buttons and the
    // "Compose Using Profile" menu are enabled exactly when at least one profile exists.
    virtual void profileCountChanged(std::size_t /*count*/) {}
    // The texts or the order of the profile and connection selectors changed (a rename, a new
    // connect name, a reordering): render them again.
    virtual void profileListChanged() {}
    // The signature editor loads the signature file of `profileName` (empty: it is emptied).
    virtual void loadSignatureFile(const std::string& /*profileName*/) {}
    // The signature editor opens, modal, on the signature blocks of `profileName`.
    virtual void openSignatureEditor(const std::string& /*profileName*/) {}
};

class ProfileLists {
  public:
    void setEvents(ProfileEvents* events) { events_ = events; }
    ProfileEvents* events() const { return events_; }

    // Clears both selectors and fills the profile selector from master.usr, selecting the first
    // entry; a missing file leaves both empty. The records are read later by loadProfiles.
    void loadProfileNames(const std::filesystem::path& home);

    // Reads the profile file of every name in the profile selector, in order, into a record of
    // the rank list and a connection selector entry. A name whose file is missing, or that is no
    // plain file name ("../x"), is dropped from the selector and loading goes on. A file that
    // exists but cannot be read stops loading: the profiles read so far stay and the error text is
    // returned (shown as "Create Error 0746"). Afterwards the connection selector selects its first
    // entry and the rank list the profile selector's index; the active login values are not touched
    // (see selectActiveProfile).
    std::optional<std::string> loadProfiles(const std::filesystem::path& home);

    std::size_t size() const { return rank_.size(); }
    bool empty() const { return rank_.empty(); }
    const TUsersObjListBox& record(std::size_t index) const { return rank_.at(index); }
    TUsersObjListBox& record(std::size_t index) { return rank_.at(index); }

    // Item texts of the three lists.
    const std::vector<std::string>& usersListBox() const { return users_; }
    const std::vector<std::string>& connectionListBox() const { return connections_; }
    const std::vector<std::string>& rankListTexts() const { return rankTexts_; }

    // Selected indices; -1 while the lists are empty.
    int activeIndex() const { return active_; }
    int rankIndex() const { return active_; }
    int connectionIndex() const { return connection_; }

    // The active profile's record, or nullptr without profiles.
    const TUsersObjListBox* activeProfile() const;
    const ActiveLogin& activeLogin() const { return login_; }
    // The SMTP server of the connection profile, which every sending uses; empty without profiles.
    std::string connectionSmtpServer() const;
    // The connection profile's record, or nullptr without profiles.
    const TUsersObjListBox* connectionProfile() const;

    // Makes the profile at `index` the active one: selects it in the profile selector and the
    // rank list, copies its login values, has its signature file loaded and reports the change.
    // An index outside the list selects the first profile; without profiles nothing happens.
    void selectActiveProfile(int index);
    // Records the connection profile; an index outside the list selects the first.
    void selectConnectionProfile(int index);

    // Copies the active record's login values again (after the Users page edited them).
    void refreshActiveLogin();

    // The changes below keep the three lists in step and report profileListChanged (and
    // profileCountChanged when the number changed).
    // Appends a record to the three lists (without selecting it).
    void append(TUsersObjListBox record);
    // Removes the entry at `index` from the three lists; the selection is left for the caller.
    void removeAt(std::size_t index);
    // Moves the entry at `from` to `to` in all three lists (the entries between shift by one);
    // the moved profile stays selected and active when it was. Returns false for a bad index.
    bool move(std::size_t from, std::size_t to);
    // Sets the list text of an entry in the rank list and the profile selector (a rename).
    void setListText(std::size_t index, const std::string& name);
    // Sets the connection selector's text of an entry; empty shows the profile name.
    void setConnectionText(std::size_t index, const std::string& connectName);

    // The position of the profile whose name matches `name` without case and surrounding blanks.
    std::optional<std::size_t> findName(const std::string& name) const;
    // The names in list order, as master.usr lists them.
    std::vector<std::string> names() const { return rankTexts_; }

    // Drops every entry and selection (as when the configuration window is destroyed).
    void clear();

  private:
    void appendEntry(TUsersObjListBox record);

    ProfileEvents* events_ = nullptr;
    std::vector<TUsersObjListBox> rank_;
    std::vector<std::string> rankTexts_;
    std::vector<std::string> users_;
    std::vector<std::string> connections_;
    int active_ = -1;
    int connection_ = -1;
    ActiveLogin login_;
};

// The connection selector's text for a record: its connect name, or the profile name until a
// connect name has been entered.
std::string connectionText(const TUsersObjListBox& record);

}  // namespace velmora::profiles
