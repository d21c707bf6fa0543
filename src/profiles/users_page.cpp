#include "profiles/users_page.h"

#include <algorithm>
#include <array>
#include <system_error>

#include "base/identity.h"
#include "base/text_file.h"

namespace velmora::profiles {

namespace {

constexpr std::array<const char*, kUsersFieldCount> kFieldLabels = {
    "Profile Name",
    "Internet Connect Name",
    "From Name",
    "From Address",
    "Reply-To Address",
    "Organization",
    "(Pop3) Account Name",
    "Password",
    "Remember Password",
    "POP3 Mail Server",
    "SMTP Mail Server",
    "Retrieve When Not Active (Messages - All)",
    "Retrieve default action",
    "POP3 Security",
    "POP3 Port",
    "POP3 Log-in",
    "SMTP Security",
    "SMTP Port",
    "SMTP Log-in",
    "Allow plain-text password",
    "Leave mail on the server",
    "Delete from the server after (days)",
    "Delete from the server when deleted from Trash",
};

constexpr UsersFocus kLastField = UsersFocus::DeleteWithTrash;

bool isField(UsersFocus focus) {
    return focus <= kLastField;
}

// For a record or a const record alike.
template <class Record>
auto checkOf(Record& r, UsersFocus field) -> decltype(&r.rememberPassword) {
    switch (field) {
        case UsersFocus::RememberPassword:
            return &r.rememberPassword;
        case UsersFocus::RetrieveWhenNotActive:
            return &r.retrieveWhenNotActive;
        case UsersFocus::AllowPlainTextPassword:
            return &r.allowPlainTextPassword;
        case UsersFocus::LeaveOnServer:
            return &r.leaveOnServer;
        case UsersFocus::DeleteWithTrash:
            return &r.deleteFromServerWithTrash;
        default:
            return nullptr;
    }
}

template <class Record>
auto numberOf(Record& r, UsersFocus field) -> decltype(&r.pop3Port) {
    switch (field) {
        case UsersFocus::Pop3Port:
            return &r.pop3Port;
        case UsersFocus::SmtpPort:
            return &r.smtpPort;
        case UsersFocus::DeleteAfterDays:
            return &r.deleteFromServerAfterDays;
        default:
            return nullptr;
    }
}

std::vector<std::string> captions(const char* const* first, int count) {
    return {first, first + count};
}

template <class Record>
auto textOf(Record& r, UsersFocus field) -> decltype(&r.profileName) {
    switch (field) {
        case UsersFocus::ProfileName:
            return &r.profileName;
        case UsersFocus::ConnectName:
            return &r.connectName;
        case UsersFocus::FromName:
            return &r.fromName;
        case UsersFocus::FromAddress:
            return &r.fromAddress;
        case UsersFocus::ReplyToAddress:
            return &r.replyToAddress;
        case UsersFocus::Organization:
            return &r.organization;
        case UsersFocus::AccountName:
            return &r.accountName;
        case UsersFocus::Password:
            return &r.password;
        case UsersFocus::Pop3Server:
            return &r.pop3Server;
        case UsersFocus::SmtpServer:
            return &r.smtpServer;
        default:
            return nullptr;
    }
}

[[noreturn]] void throwWriteError(const std::error_code& error, const std::filesystem::path& file) {
    throw std::system_error(error, "Cannot write " + file.string());
}

}  // namespace

const char* usersFieldLabel(UsersFocus field) {
    return isField(field) ? kFieldLabels[static_cast<std::size_t>(field)] : "";
}

bool isTextField(UsersFocus focus) {
    TUsersObjListBox probe;
    return textOf(probe, focus) != nullptr;
}

bool isCheckField(UsersFocus focus) {
    TUsersObjListBox probe;
    return checkOf(probe, focus) != nullptr;
}

bool isNumberField(UsersFocus focus) {
    TUsersObjListBox probe;
    return numberOf(probe, focus) != nullptr;
}

int numberFieldMax(UsersFocus focus) {
    return focus == UsersFocus::DeleteAfterDays ? kMaxLeaveDays : kMaxPort;
}

const std::vector<std::string>& choicesOf(UsersFocus focus) {
    static const std::vector<std::string> none;
    static const std::vector<std::string> actions =
        captions(kHeadersActionChoices, kHeadersActionCount);
    static const std::vector<std::string> security = captions(kSecurityChoices, kSecurityCount);
    static const std::vector<std::string> pop3 = captions(kPop3LoginChoices, kPop3LoginCount);
    static const std::vector<std::string> smtp = captions(kSmtpLoginChoices, kSmtpLoginCount);
    switch (focus) {
        case UsersFocus::HeadersDefaultAction:
            return actions;
        case UsersFocus::Pop3Security:
        case UsersFocus::SmtpSecurity:
            return security;
        case UsersFocus::Pop3Login:
            return pop3;
        case UsersFocus::SmtpLogin:
            return smtp;
        default:
            return none;
    }
}

const std::string* fieldText(const TUsersObjListBox& record, UsersFocus field) {
    return textOf(record, field);
}

int fieldValue(const TUsersObjListBox& r, UsersFocus field) {
    if (const bool* check = checkOf(r, field)) return *check ? 1 : 0;
    if (const int* number = numberOf(r, field)) return *number;
    switch (field) {
        case UsersFocus::HeadersDefaultAction:
            return r.headersDefaultAction;
        case UsersFocus::Pop3Security:
            return static_cast<int>(r.pop3Security);
        case UsersFocus::SmtpSecurity:
            return static_cast<int>(r.smtpSecurity);
        case UsersFocus::Pop3Login:
            return static_cast<int>(r.pop3Login);
        case UsersFocus::SmtpLogin:
            return static_cast<int>(r.smtpLogin);
        default:
            return 0;
    }
}

UsersPage::UsersPage(platform::Platform& platform, std::filesystem::path home, ProfileLists& lists,
                     Settings& settings)
    : platform_(platform), home_(std::move(home)), lists_(lists), settings_(settings) {}

bool UsersPage::deleteEnabled() const {
    if (lists_.empty()) return false;
    return focus_ == UsersFocus::RankList ||
           (focus_ == UsersFocus::DeleteButton && previousFocus_ == UsersFocus::RankList);
}

void UsersPage::enterPage() {
    if (lists_.empty()) {
        clearFields();
    } else {
        showRecord(selected());
    }
}

void UsersPage::leavePage() {
    setFocus(UsersFocus::None);
    saveEdits();
    if (orderChanged_) writeMasterUsr();
    if (settings_.changed.users) {
        if (auto error = saveUsersPageSettings(home_, settings_.users))
            throwWriteError(error, home_ / kUsersFile);
        settings_.changed.users = false;
    }
    lists_.refreshActiveLogin();
}

void UsersPage::setFocus(UsersFocus focus) {
    if (focus == focus_) return;
    const UsersFocus old = focus_;
    // The focus has moved before the rules run, as in the window system.
    previousFocus_ = old;
    focus_ = focus;
    leaveFocus(old, focus);
    enterFocus(focus);
}

void UsersPage::pressEnter() {
    if (!isField(focus_)) return;
    const auto next = focus_ == kLastField ? UsersFocus::ProfileName
                                           : static_cast<UsersFocus>(static_cast<int>(focus_) + 1);
    setFocus(next);
}

void UsersPage::enterFocus(UsersFocus focus) {
    if (isField(focus) && !lists_.empty()) edited_ = true;
    if (focus == UsersFocus::SmtpServer && fields_.smtpServer.empty())
        fields_.smtpServer = fields_.pop3Server;
    if (focus == UsersFocus::RankList) saveEdits();
}

void UsersPage::leaveFocus(UsersFocus focus, UsersFocus /*next*/) {
    switch (focus) {
        case UsersFocus::ProfileName:
            leaveProfileName();
            break;
        case UsersFocus::ConnectName:
            if (!lists_.empty())
                lists_.setConnectionText(static_cast<std::size_t>(selected()), fields_.connectName);
            break;
        case UsersFocus::RankList:
            if (orderChanged_) writeMasterUsr();
            break;
        default:
            break;
    }
}

void UsersPage::setText(UsersFocus field, std::string text) {
    std::string* target = textOf(fields_, field);
    if (!target) return;
    if (field == UsersFocus::ProfileName && text.size() > kMaxProfileNameLength)
        text.resize(kMaxProfileNameLength);
    *target = std::move(text);
    if (!lists_.empty()) edited_ = true;
}

void UsersPage::setChecked(UsersFocus box, bool checked) {
    bool* target = checkOf(fields_, box);
    if (!target) return;
    *target = checked;
    if (!lists_.empty()) edited_ = true;
}

void UsersPage::setChoice(UsersFocus field, int index) {
    if (field == UsersFocus::HeadersDefaultAction) return setHeadersAction(index);
    if (lists_.empty() || index < 0 || index >= static_cast<int>(choicesOf(field).size())) return;
    switch (field) {
        case UsersFocus::Pop3Security:
            fields_.pop3Security = static_cast<Security>(index);
            break;
        case UsersFocus::SmtpSecurity:
            fields_.smtpSecurity = static_cast<Security>(index);
            break;
        case UsersFocus::Pop3Login:
            fields_.pop3Login = static_cast<Pop3Login>(index);
            break;
        case UsersFocus::SmtpLogin:
            fields_.smtpLogin = static_cast<SmtpLogin>(index);
            break;
        default:
            return;
    }
    edited_ = true;
}

void UsersPage::setNumber(UsersFocus field, int value) {
    int* target = numberOf(fields_, field);
    if (!target || lists_.empty()) return;
    *target = std::clamp(value, 0, numberFieldMax(field));
    edited_ = true;
}

void UsersPage::setHeadersAction(int action) {
    if (lists_.empty()) return;
    fields_.headersDefaultAction = std::clamp(action, 0, kHeadersActionCount - 1);
    edited_ = true;
}

std::optional<std::string> UsersPage::acceptedRename(std::size_t index,
                                                     const std::string& trimmed) {
    if (trimmed.empty()) {
        // A profile always keeps a name: its files are named by it.
        platform_.system.beep();
        return std::nullopt;
    }
    if (auto problem = profileNameProblem(trimmed)) {
        platform_.system.beep();
        platform_.dialogs.warning(kProductName, "User name '" + cutName(trimmed) +
                                                    "' cannot be used as a file name: " + *problem +
                                                    ".");
        return std::nullopt;
    }
    if (auto other = lists_.findName(trimmed); other && *other != index) {
        // Two profiles of one name would share (and overwrite) one profile file.
        platform_.system.beep();
        platform_.dialogs.information(
            kProductName,
            "User name '" + cutName(lists_.rankListTexts()[*other]) + "'" + " already in use.");
        return std::nullopt;
    }
    return trimmed;
}

void UsersPage::leaveProfileName() {
    if (lists_.empty() || selected() < 0) return;
    const auto index = static_cast<std::size_t>(selected());
    const std::string oldText = lists_.rankListTexts()[index];
    const std::string trimmed = trimBlanks(fields_.profileName);
    // The file system tells names apart by case, so any difference renames.
    if (trimmed == oldText) return;
    const auto accepted = acceptedRename(index, trimmed);
    if (!accepted) {
        fields_.profileName = oldText;
        return;
    }
    lists_.setListText(index, *accepted);
    fields_.profileName = *accepted;
    // Mail already stored names its server copies by the old name.
    addFormerName(fields_, oldText);
    std::error_code ignored;
    const auto oldSignature = signatureFilePath(home_, oldText);
    if (std::filesystem::exists(oldSignature, ignored))
        std::filesystem::rename(oldSignature, signatureFilePath(home_, *accepted), ignored);
    // Without its list of retrieved messages, the profile would fetch them all again.
    const auto oldSeen = seenMessagesFilePath(home_, oldText);
    if (std::filesystem::exists(oldSeen, ignored))
        std::filesystem::rename(oldSeen, seenMessagesFilePath(home_, *accepted), ignored);
    const auto oldDeletions = serverDeletionsFilePath(home_, oldText);
    if (std::filesystem::exists(oldDeletions, ignored))
        std::filesystem::rename(oldDeletions, serverDeletionsFilePath(home_, *accepted), ignored);
}

void UsersPage::saveEdits() {
    if (!edited_) return;
    if (lists_.empty() || selected() < 0) {
        edited_ = false;
        return;
    }
    const auto index = static_cast<std::size_t>(selected());
    leaveProfileName();  // the name field may not have been left yet
    TUsersObjListBox record = fields_;
    record.profileName = lists_.rankListTexts()[index];
    record.headersDefaultAction =
        std::clamp(record.headersDefaultAction, 0, kHeadersActionCount - 1);
    const std::string oldName = lists_.record(index).profileName;
    lists_.record(index) = record;
    fields_ = record;
    writeProfile(record);
    writeMasterUsr();
    if (record.profileName != oldName) {
        std::error_code ignored;
        std::filesystem::remove(profileFilePath(home_, oldName), ignored);
        writeMasterUsr();
    }
    edited_ = false;
    lists_.refreshActiveLogin();
}

void UsersPage::clickRankList(int index) {
    setFocus(UsersFocus::RankList);
    saveEdits();
    if (index < 0 || static_cast<std::size_t>(index) >= lists_.size()) return;
    if (index != selected()) lists_.selectActiveProfile(index);
    showRecord(index);
}

bool UsersPage::rankKey(RankKey key, bool shift) {
    if (lists_.empty()) return false;
    const int last = static_cast<int>(lists_.size()) - 1;
    if (key == RankKey::Delete) {
        if (shift) return false;
        deleteClick();
        return true;
    }
    int target = selected();
    switch (key) {
        case RankKey::Up:
            target = std::max(0, selected() - 1);
            break;
        case RankKey::Down:
            target = std::min(last, selected() + 1);
            break;
        case RankKey::Home:
            target = 0;
            break;
        case RankKey::End:
            target = last;
            break;
        case RankKey::Delete:
            break;
    }
    if (shift)
        moveSelected(target);
    else
        clickRankList(target);
    return true;
}

void UsersPage::moveSelected(int to) {
    const int from = selected();
    if (from < 0 || to == from) return;
    if (lists_.move(static_cast<std::size_t>(from), static_cast<std::size_t>(to)))
        orderChanged_ = true;
}

void UsersPage::dragRankEntry(int from, int to) {
    if (from < 0 || to < 0 || from == to) return;
    if (lists_.move(static_cast<std::size_t>(from), static_cast<std::size_t>(to)))
        orderChanged_ = true;
    if (selected() >= 0) showRecord(selected());
}

void UsersPage::addClick() {
    saveEdits();
    platform::InputBoxRequest request;
    request.caption = kAddUserCaption;
    request.first.prompt = kAddUserPrompt;
    std::string name;
    for (;;) {
        request.first.value.clear();  // every question starts empty
        const auto answer = platform_.dialogs.inputBox(request);
        if (!answer) {
            setFocus(UsersFocus::AddButton);
            return;
        }
        name = trimBlanks(answer->first);
        if (name.size() > kMaxProfileNameLength)
            name = trimBlanks(name.substr(0, kMaxProfileNameLength));
        if (name.empty()) {
            // Nothing to add. The fields are cleared only when no profile is shown: clearing
            // them over a profile would let the next typing overwrite that profile.
            if (lists_.empty())
                clearFields();
            else
                showRecord(selected());
            return;
        }
        if (auto problem = profileNameProblem(name)) {
            platform_.system.beep();
            platform_.dialogs.warning(kProductName,
                                      "User name '" + cutName(name) +
                                          "' cannot be used as a file name: " + *problem + ".");
            continue;
        }
        if (auto existing = lists_.findName(name)) {
            platform_.system.beep();
            platform_.dialogs.information(
                kProductName, "User name '" + cutName(lists_.rankListTexts()[*existing]) + "'" +
                                  " already in use.");
            continue;
        }
        break;
    }
    TUsersObjListBox record;
    record.profileName = name;
    lists_.append(record);
    const int last = static_cast<int>(lists_.size()) - 1;
    lists_.selectActiveProfile(last);
    lists_.selectConnectionProfile(last);
    showRecord(last);
    // The new profile is written at the next save, even when the focus was already in the name
    // field (entering it would set the flag anyway).
    setFocus(UsersFocus::ProfileName);
    edited_ = true;
}

void UsersPage::deleteClick() {
    if (!deleteEnabled()) return;
    saveEdits();
    const int index = selected();
    const std::string shownName =
        trimBlanks(lists_.rankListTexts()[static_cast<std::size_t>(index)]);
    const auto answer = platform_.dialogs.question(
        kProductName, "Are you sure you want to delete user " + shownName + "?",
        platform::Buttons::YesNo, platform::Answer::No);
    if (answer != platform::Answer::Yes) return;

    if (auto* events = lists_.events()) events->loadSignatureFile("");
    const std::string fileName = lists_.record(static_cast<std::size_t>(index)).profileName;
    lists_.removeAt(static_cast<std::size_t>(index));
    std::error_code ignored;
    std::filesystem::remove(signatureFilePath(home_, fileName), ignored);
    std::filesystem::remove(seenMessagesFilePath(home_, fileName), ignored);
    std::filesystem::remove(serverDeletionsFilePath(home_, fileName), ignored);
    std::filesystem::remove(profileFilePath(home_, fileName), ignored);
    edited_ = false;

    if (!lists_.empty()) {
        writeMasterUsr();
        const int next = index == 0 ? 0 : index - 1;
        lists_.selectActiveProfile(next);
        lists_.selectConnectionProfile(next);
        showRecord(next);
        return;
    }
    orderChanged_ = false;
    std::filesystem::remove(home_ / kMasterUsrFile, ignored);
    clearFields();
    setFocus(UsersFocus::AddButton);
}

bool UsersPage::signatureMarked() const {
    if (lists_.empty() || selected() < 0) return false;
    std::error_code ec;
    return std::filesystem::is_regular_file(
        signatureFilePath(home_, lists_.record(static_cast<std::size_t>(selected())).profileName),
        ec);
}

void UsersPage::signatureClick() {
    if (lists_.empty()) return;
    saveEdits();
    if (auto* events = lists_.events())
        events->openSignatureEditor(lists_.rankListTexts()[static_cast<std::size_t>(selected())]);
}

void UsersPage::fontClick() {
    platform::FontChoice initial;
    initial.family = settings_.users.font.name;
    try {
        initial.pointSize = std::stoi(settings_.users.font.size);
    } catch (const std::exception&) {
        initial.pointSize = 10;
    }
    initial.colour = colourName(settings_.users.font.colour);
    const auto chosen = platform_.dialogs.chooseFont(initial);
    if (!chosen) return;
    settings_.users.font.name = chosen->family;
    settings_.users.font.size = std::to_string(chosen->pointSize);
    settings_.users.font.colour = colourFromName(chosen->colour);
    settings_.changed.users = true;
}

void UsersPage::showRecord(int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= lists_.size()) {
        clearFields();
        return;
    }
    fields_ = lists_.record(static_cast<std::size_t>(index));
    fields_.profileName = lists_.rankListTexts()[static_cast<std::size_t>(index)];
    edited_ = false;
}

void UsersPage::clearFields() {
    fields_ = {};
    edited_ = false;
}

void UsersPage::writeMasterUsr() {
    if (auto error = profiles::writeMasterUsr(home_, lists_.names()))
        throwWriteError(error, home_ / kMasterUsrFile);
    orderChanged_ = false;
}

void UsersPage::writeProfile(const TUsersObjListBox& record) {
    const auto file = profileFilePath(home_, record.profileName);
    if (auto error = writeProfileFile(file, record)) throwWriteError(error, file);
}

}  // namespace velmora::profiles
