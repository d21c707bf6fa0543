#include "profiles/profile_lists.h"

#include <algorithm>

namespace velmora::profiles {

namespace {

template <typename T>
void moveEntry(std::vector<T>& list, std::size_t from, std::size_t to) {
    if (from < to)
        std::rotate(list.begin() + from, list.begin() + from + 1, list.begin() + to + 1);
    else if (to < from)
        std::rotate(list.begin() + to, list.begin() + from, list.begin() + from + 1);
}

}  // namespace

std::string connectionText(const TUsersObjListBox& record) {
    return record.connectName.empty() ? record.profileName : record.connectName;
}

void ProfileLists::loadProfileNames(const std::filesystem::path& home) {
    clear();
    users_ = readMasterUsr(home);
    active_ = users_.empty() ? -1 : 0;
}

std::optional<std::string> ProfileLists::loadProfiles(const std::filesystem::path& home) {
    const std::vector<std::string> wanted = users_;
    const int selected = active_;
    users_.clear();
    rank_.clear();
    rankTexts_.clear();
    connections_.clear();
    std::optional<std::string> failure;
    for (const auto& name : wanted) {
        // A hand-edited master.usr may name a path; only files of the home folder are read.
        if (profileNameProblem(trimBlanks(name))) continue;
        std::optional<TUsersObjListBox> record;
        try {
            record = readProfileFile(profileFilePath(home, name));
        } catch (const std::exception& e) {
            failure = e.what();
            break;
        }
        if (!record) continue;  // a missing file drops its name silently
        if (trimBlanks(record->profileName).empty()) record->profileName = name;
        appendEntry(std::move(*record));
    }
    active_ = rank_.empty() ? -1 : std::clamp(selected, 0, static_cast<int>(rank_.size()) - 1);
    connection_ = rank_.empty() ? -1 : 0;
    if (events_) {
        events_->profileListChanged();
        events_->profileCountChanged(rank_.size());
    }
    return failure;
}

const TUsersObjListBox* ProfileLists::activeProfile() const {
    if (active_ < 0 || static_cast<std::size_t>(active_) >= rank_.size()) return nullptr;
    return &rank_[static_cast<std::size_t>(active_)];
}

std::string ProfileLists::connectionSmtpServer() const {
    const TUsersObjListBox* profile = connectionProfile();
    return profile ? profile->smtpServer : std::string();
}

const TUsersObjListBox* ProfileLists::connectionProfile() const {
    if (connection_ < 0 || static_cast<std::size_t>(connection_) >= rank_.size()) return nullptr;
    return &rank_[static_cast<std::size_t>(connection_)];
}

void ProfileLists::selectActiveProfile(int index) {
    if (rank_.empty()) return;
    if (index < 0 || static_cast<std::size_t>(index) >= rank_.size()) index = 0;
    active_ = index;
    if (events_) events_->loadSignatureFile(rank_[static_cast<std::size_t>(index)].profileName);
    refreshActiveLogin();
    if (events_) events_->activeProfileChanged(index);
}

void ProfileLists::selectConnectionProfile(int index) {
    if (rank_.empty()) return;
    if (index < 0 || static_cast<std::size_t>(index) >= rank_.size()) index = 0;
    connection_ = index;
}

void ProfileLists::refreshActiveLogin() {
    const TUsersObjListBox* p = activeProfile();
    if (!p) {
        login_ = {};
        return;
    }
    login_.accountName = p->accountName;
    login_.pop3Server = p->pop3Server;
    login_.password = p->password;
    login_.rememberPassword = p->rememberPassword;
    login_.headersDefaultAction = p->headersDefaultAction;
}

void ProfileLists::appendEntry(TUsersObjListBox record) {
    rankTexts_.push_back(record.profileName);
    users_.push_back(record.profileName);
    connections_.push_back(connectionText(record));
    rank_.push_back(std::move(record));
}

void ProfileLists::append(TUsersObjListBox record) {
    appendEntry(std::move(record));
    if (events_) {
        events_->profileListChanged();
        events_->profileCountChanged(rank_.size());
    }
}

void ProfileLists::removeAt(std::size_t index) {
    if (index >= rank_.size()) return;
    rank_.erase(rank_.begin() + static_cast<long>(index));
    rankTexts_.erase(rankTexts_.begin() + static_cast<long>(index));
    users_.erase(users_.begin() + static_cast<long>(index));
    connections_.erase(connections_.begin() + static_cast<long>(index));
    const int last = static_cast<int>(rank_.size()) - 1;
    if (active_ > last) active_ = last;
    if (connection_ > last) connection_ = last;
    if (rank_.empty()) login_ = {};
    if (events_) {
        events_->profileListChanged();
        events_->profileCountChanged(rank_.size());
    }
}

bool ProfileLists::move(std::size_t from, std::size_t to) {
    if (from >= rank_.size() || to >= rank_.size()) return false;
    if (from == to) return true;
    // Indices follow the entries they point at.
    auto follow = [&](int index) {
        if (index < 0) return index;
        const auto i = static_cast<std::size_t>(index);
        if (i == from) return static_cast<int>(to);
        if (from < to && i > from && i <= to) return index - 1;
        if (to < from && i >= to && i < from) return index + 1;
        return index;
    };
    moveEntry(rank_, from, to);
    moveEntry(rankTexts_, from, to);
    moveEntry(users_, from, to);
    moveEntry(connections_, from, to);
    active_ = follow(active_);
    connection_ = follow(connection_);
    if (events_) events_->profileListChanged();
    return true;
}

void ProfileLists::setListText(std::size_t index, const std::string& name) {
    if (index >= rank_.size()) return;
    // A connection entry that shows the profile name follows the rename.
    if (connections_[index] == rankTexts_[index]) connections_[index] = name;
    rankTexts_[index] = name;
    users_[index] = name;
    if (events_) events_->profileListChanged();
}

void ProfileLists::setConnectionText(std::size_t index, const std::string& connectName) {
    if (index >= rank_.size()) return;
    connections_[index] = connectName.empty() ? rankTexts_[index] : connectName;
    if (events_) events_->profileListChanged();
}

std::optional<std::size_t> ProfileLists::findName(const std::string& name) const {
    const std::string key = profileNameKey(name);
    for (std::size_t i = 0; i < rankTexts_.size(); ++i)
        if (profileNameKey(rankTexts_[i]) == key) return i;
    return std::nullopt;
}

void ProfileLists::clear() {
    rank_.clear();
    rankTexts_.clear();
    users_.clear();
    connections_.clear();
    active_ = -1;
    connection_ = -1;
    login_ = {};
}

}  // namespace velmora::profiles
