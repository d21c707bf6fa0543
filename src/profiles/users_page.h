// The "Users" page of the configuration window: the fields of the profile selected in the rank
// list, the commands "&Add", "&Delete", "&Signature" and the font button, and reordering in the
// rank list. The page works on the main window's ProfileLists, so the rank list, the profile
// selector and the connection selector stay in step; the selected rank entry is the active
// profile.
//
// The widget forwards focus changes (setFocus), typing (setText), clicks and keys; the page
// keeps an edited flag (set when a field is entered, the headers action changes or a check box
// is clicked) and saves the profile file and "master.usr" when the rank list is entered or
// clicked, before "&Add", before the signature editor opens and when the page is left.
// Write failures throw std::system_error, for the program's general error report.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "profiles/profile_lists.h"
#include "profiles/settings.h"

namespace velmora::profiles {

// The page's fields in tab order, then the other places the focus can be.
enum class UsersFocus {
    ProfileName,
    ConnectName,
    FromName,
    FromAddress,
    ReplyToAddress,
    Organization,
    AccountName,
    Password,
    RememberPassword,
    Pop3Server,
    SmtpServer,
    RetrieveWhenNotActive,
    HeadersDefaultAction,
    // How the servers are reached.
    Pop3Security,
    Pop3Port,
    Pop3Login,
    SmtpSecurity,
    SmtpPort,
    SmtpLogin,
    AllowPlainTextPassword,
    LeaveOnServer,
    DeleteAfterDays,
    DeleteWithTrash,
    RankList,
    AddButton,
    DeleteButton,
    SignatureButton,
    FontButton,
    None,  // the focus is outside the page
};

// The fields come first in UsersFocus, the rank list right after them.
inline constexpr int kUsersFieldCount = static_cast<int>(UsersFocus::RankList);

// Keys of the rank list.
enum class RankKey { Up, Down, Home, End, Delete };

inline constexpr const char* kAddUserCaption = "Add User Name Profile";
inline constexpr const char* kAddUserPrompt = "Enter User Profile Name";

// The labels of the page's fields, in field order.
const char* usersFieldLabel(UsersFocus field);
bool isTextField(UsersFocus focus);
// The check boxes, the choices (with their captions) and the number fields of the page.
bool isCheckField(UsersFocus focus);
const std::vector<std::string>& choicesOf(UsersFocus focus);  // empty for no choice
bool isNumberField(UsersFocus focus);
// The largest value a number field takes (0 and up).
int numberFieldMax(UsersFocus focus);
// A field's value as the page shows it: a check box's state, a choice's index, a number.
int fieldValue(const TUsersObjListBox& record, UsersFocus field);
// A text field's value; null for the other fields.
const std::string* fieldText(const TUsersObjListBox& record, UsersFocus field);

class UsersPage {
  public:
    UsersPage(platform::Platform& platform, std::filesystem::path home, ProfileLists& lists,
              Settings& settings);

    // --- what the page shows ------------------------------------------------------------------
    // The field values (a record's worth; profileName as typed).
    const TUsersObjListBox& fields() const { return fields_; }
    UsersFocus focus() const { return focus_; }
    bool edited() const { return edited_; }
    bool orderChanged() const { return orderChanged_; }
    const FontSetting& font() const { return settings_.users.font; }

    // Enabled states. "&Signature", "&Add User", "&Signature Block" and the headers-action
    // choice need a profile; "&Delete" (and "&Delete User") also needs the focus in the rank
    // list, or on "&Delete" coming from the rank list.
    bool signatureEnabled() const { return !lists_.empty(); }
    bool addUserMenuEnabled() const { return !lists_.empty(); }
    bool signatureBlockEnabled() const { return !lists_.empty(); }
    bool headersActionEnabled() const { return !lists_.empty(); }
    bool deleteEnabled() const;
    // The "&Signature" button's marker: the selected profile has a signature file.
    bool signatureMarked() const;

    // --- user actions -------------------------------------------------------------------------
    // The page becomes the visible one: it shows the active profile.
    void enterPage();
    // The page is left (another page, "Close"): saves pending edits, the order and users.cfg,
    // and refreshes the active login values.
    void leavePage();

    // Moves the focus, running the leave rule of the old place and the enter rule of the new.
    void setFocus(UsersFocus focus);
    // Enter in a field: the focus moves to the next field.
    void pressEnter();
    // Typing in a text field; the two check boxes and the action choice take their own calls.
    void setText(UsersFocus field, std::string text);
    void setChecked(UsersFocus box, bool checked);
    void setHeadersAction(int action);
    // The other choices (security, log-in method); an index out of range is ignored.
    void setChoice(UsersFocus field, int index);
    // A port or a number of days; clamped to 0..numberFieldMax.
    void setNumber(UsersFocus field, int value);

    // Click on a rank list entry: pending edits are saved and that profile becomes the active one.
    void clickRankList(int index);
    // Shift+Up/Down/Home/End move the selected profile; Delete deletes it. Returns false for a
    // key the list does not handle.
    bool rankKey(RankKey key, bool shift);
    // Dragging an entry from one place to another.
    void dragRankEntry(int from, int to);

    void addClick();
    void deleteClick();
    void signatureClick();
    void fontClick();

    // Saves pending edits (when the edited flag is set): list texts, record, profile file and
    // master.usr; the old profile file goes when the name changed.
    void saveEdits();

  private:
    void enterFocus(UsersFocus focus);
    void leaveFocus(UsersFocus focus, UsersFocus next);
    void leaveProfileName();
    void showRecord(int index);
    void clearFields();
    // The trimmed name field when it may replace the name at `index`; otherwise the user is told
    // why and nullopt is returned.
    std::optional<std::string> acceptedRename(std::size_t index, const std::string& trimmed);
    void moveSelected(int to);
    void writeMasterUsr();
    void writeProfile(const TUsersObjListBox& record);
    int selected() const { return lists_.rankIndex(); }

    platform::Platform& platform_;
    std::filesystem::path home_;
    ProfileLists& lists_;
    Settings& settings_;
    TUsersObjListBox fields_;
    UsersFocus focus_ = UsersFocus::None;
    UsersFocus previousFocus_ = UsersFocus::None;
    bool edited_ = false;
    bool orderChanged_ = false;
};

}  // namespace velmora::profiles
