// Sending: the Send command for a compose window and for the selected rows of OutBox and Sent,
// delivering each message through the SMTP client (net::TmsSMTP) under the shared progress box,
// with the error texts, the rejected-recipient question, cancel, filing into Sent and retrieval
// after sending.
//
// Each message goes in an SMTP session of its own (the client connects, delivers and says QUIT
// per SendMail); with "Send with one To: recipient per message" each To line gets its own
// message and session. The box stays up from the first message to the last.
//
// Nothing unsent is ever filed as sent: a compose window is counted sent, filed into Sent and
// its source removed only after every message of it was delivered; of OutBox rows only those
// delivered move to Sent (found by file name). Cancel stops the run before the next message;
// the busy flag is cleared only when the run ends; the To fields and the title are restored on
// every way out.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "compose/compose_host.h"
#include "mime/message.h"
#include "net/smtp.h"
#include "platform/platform.h"

namespace velmora::compose {

class TcomposeForm;

// The message texts of a failed session, by the error's text.
std::string sendFailureText(const std::string& error);

inline constexpr const char* kNoToRecipientText = "You must have at least one To: recipient.";
inline constexpr const char* kMultipleToQuestion =
    "You have multiple To: recipients - however, Send One Per feature is disabled.\rIs this what "
    "you intended?";
inline constexpr const char* kMultipleToTitle = "Send One Message Per Recipient Check";

class Sending {
  public:
    Sending(platform::Platform& platform, std::filesystem::path home, ComposeHost& host);

    // The Send command of a compose window.
    void sendComposeWindow(TcomposeForm& window);
    // popListView_SendMessageClick: the selected rows of an OutBox or Sent folder window.
    // Returns the file names delivered.
    std::vector<std::string> sendSelectedRows(reading::TinboxForm& window);
    // The Send command of the main window: the compose window when one is active, else the
    // current folder window when it is OutBox or Sent.
    bool running() const { return running_; }
    // The progress box's Cancel.
    void cancel();
    bool cancelled() const { return cancelled_; }

    // Stored message files (".vlf", anywhere), each filled from its private block as an OutBox
    // message is, in one run. Returns how many were delivered; the run stops at the first
    // failed delivery (a file that cannot be read is reported and skipped).
    int sendMessageFiles(const std::vector<std::filesystem::path>& files);

    // Lets tests replace host-name lookups of the client.
    std::function<void(net::TmsSMTP&)> prepareClient;
    // The short pauses that let a user read the progress box; the command line runs without.
    void setReadingPauses(bool on) { readingPauses_ = on; }

  private:
    struct Delivery {
        bool ok = false;
        bool timedOut = false;
    };
    // One message in one SMTP session, under the box (opened for the first message of a run).
    Delivery deliver(mime::TmsMessage& message, const std::string& caption, int current, int total);
    // Offers to trust the certificate the connection profile's SMTP server showed; on Yes the
    // profile keeps its fingerprint and the client takes it for the next attempt.
    bool trustCertificate(net::TmsSMTP& client, const std::string& error);
    // A failed delivery: the box closed and the failure's text shown.
    Delivery failedDelivery(retrieval::TretrieveHeadersDialogForm& box, const std::string& error);
    void beginRun();
    void endRun();
    bool fillFromStored(reading::TinboxForm& window, const store::TObjListViewVLF& item,
                        mime::TmsMessage& message);
    // The stored message loaded into `message` made ready to send from its item.
    bool prepareStored(const store::TObjListViewVLF& item, bool fromSent,
                       mime::TmsMessage& message);
    void pause(int milliseconds);
    void sendAgain(reading::TinboxForm& sent, const std::vector<std::string>& fileNames);

    platform::Platform& platform_;
    std::filesystem::path home_;
    ComposeHost& host_;
    bool running_ = false;
    bool readingPauses_ = true;
    bool cancelled_ = false;
    bool boxOpen_ = false;
    bool autoCheckWasRunning_ = false;
    std::string savedTitle_;
    net::TmsSMTP* client_ = nullptr;
    TcomposeForm* onePerWindow_ = nullptr;
};

}  // namespace velmora::compose
