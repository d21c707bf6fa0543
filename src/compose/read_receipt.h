// Read acknowledgements: when a message whose sender asked to be told it was read is read in
// InBox, the option "Acknowledge Read Requests" decides whether the user is asked (the question
// window TreadReceiptForm), and an acknowledgement message is created in OutBox, from where it is
// sent like any other. It is never sent by itself.
//
// The read acknowledgement status of the row ("ask", "later" undecided; "yes", "no" final) is
// stamped into the message file when it changes; "yes" only after the acknowledgement's own file
// was written, so a failed write leaves "ask" and no OutBox row. A message is acknowledged at
// most once. With the option "Yes", mail from a list (List-Id), automatic mail (Auto-Submitted)
// and a request whose address is not the sender's are asked about instead.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "compose/compose_host.h"
#include "mime/message.h"
#include "platform/commands.h"
#include "platform/platform.h"
#include "profiles/profile.h"

namespace velmora::compose {

enum class ReadReceiptButton { Yes, No, Later, Cancel };

// The question window, as a model its view draws: caption, two text lines, the profile choice
// labelled "User to respond with" and four buttons; the focus starts on "&Cancel".
class TreadReceiptForm {
  public:
    static constexpr const char* kCaption = "Read Acknowledgement";
    static constexpr const char* kRequestText =
        "Sender is requesting acknowledgement that you have read this message.";
    static constexpr const char* kQuestionText =
        "Do you want to create an acknowledgement message in the OutBox?";
    static constexpr const char* kProfileLabel = "User to respond with";
    static constexpr const char* kButtonCaptions[4] = {"&Yes", "&No", "&Later", "&Cancel"};
    static constexpr ReadReceiptButton kFocusButton = ReadReceiptButton::Cancel;

    // Fills the profile choice (the names in list order, the active one chosen); done each time
    // before the window is shown, so a profile added or renamed meanwhile is offered.
    void fill(std::vector<std::string> profileNames, int activePosition);
    const std::vector<std::string>& profileNames() const { return cboUserToRespondWith_; }
    int chosenProfile() const { return chosen_; }
    void chooseProfile(int position);

    // The modal question: the view answers with a button. "&Yes" sets the profile to respond
    // with to the chosen position; every other button to -1.
    ReadReceiptButton showModal();
    int profileToRespondWith() const { return profileToRespondWith_; }

    // The view that shows the window (the desktop registers one, tests a script). Without one,
    // a Yes/No/Cancel message box stands in, answering with the active profile.
    using View = std::function<ReadReceiptButton(TreadReceiptForm&)>;
    void setView(View view) { view_ = std::move(view); }
    void setFallbackDialogs(platform::Dialogs* dialogs) { fallback_ = dialogs; }

  private:
    std::vector<std::string> cboUserToRespondWith_;
    int chosen_ = -1;
    int profileToRespondWith_ = -1;
    View view_;
    platform::Dialogs* fallback_ = nullptr;
};

// The view the desktop registers for every question window of the program.
void setReadReceiptView(TreadReceiptForm::View view);

// The acknowledgement's profile display text: "name <address>", "name <unknown address>", the
// address alone, or "No Name <unknown address>".
std::string profileDisplayText(const profiles::TUsersObjListBox& profile);

// The acknowledgement's body lines.
std::vector<std::string> readAckBodyLines(const std::string& profileText, const std::string& toText,
                                          const std::string& date, const std::string& subject);

class ReadAcknowledgements {
  public:
    ReadAcknowledgements(platform::Platform& platform, ComposeHost& host);

    // checkReadAcknowledgement: the message of `fileName` in `folder` was read (a read window
    // showed it, or the user entered the preview pane: `fromPreview`). Acts only in InBox.
    // Entering the same preview again asks nothing until another message was read there.
    void checkReadAcknowledgement(reading::TinboxForm& folder, const std::string& fileName,
                                  bool fromPreview);
    // createReadAckOutBoxMessage: the acknowledgement of `answered` stored in OutBox with its
    // row; false (after the warning) when nothing was stored.
    bool createReadAckOutBoxMessage(mime::TmsMessage& answered, int profilePosition);

    TreadReceiptForm& form() { return form_; }

  private:
    bool mustAsk(const mime::TmsMessage& message) const;
    void acknowledge(reading::TinboxForm& folder, const std::string& fileName,
                     mime::TmsMessage& message, int profilePosition);
    void setStatus(reading::TinboxForm& folder, const std::string& fileName,
                   const std::string& status);

    platform::Platform& platform_;
    ComposeHost& host_;
    TreadReceiptForm form_;
    std::set<std::string> acknowledged_;  // folder + file name, this run
    std::string lastPreview_;
};

// Registers "readAck.check": the message in front (a read window's, or the InBox window's
// current row) was read.
void registerReadAcknowledgements(platform::Commands& commands,
                                  std::shared_ptr<ReadAcknowledgements> acks, ComposeHost& host);

}  // namespace velmora::compose
