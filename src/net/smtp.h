// The SMTP client: delivers one message per SendMail. It encodes the message, greets the
// server (HELO with the local host name, or a bare HELO when that is refused), gives the
// envelope (MAIL FROM, then RCPT TO for every recipient, carbon-copy and blind-copy address in
// list order), sends the encoded text through DATA and says QUIT.
//
// The text goes out with SMTP transparency: every line that begins with a period gets one more
// on the wire, so lines of a single period and lines like ".x" arrive unchanged; the message and
// its encoded file are not changed for it. The text arrives exactly as encoded: when it does not
// end with a line end one is added before the final period line.
//
// With Options beyond the classic ones (connection_options.h) it greets with EHLO (HELO when
// EHLO is refused) and reads the extensions: Security::StartTls sends STARTTLS and greets again
// over TLS, and a server that does not offer it, or refuses it, ends the session with an error
// (nothing is sent in clear); AuthMethod Plain or Login logs in with AUTH (RFC 4954), only over
// TLS unless Options.allowPlainTextPassword; a server's SIZE limit is checked before MAIL FROM
// (which then carries SIZE=) and a larger message is refused with EMessageError before any of
// it is sent. An envelope address beyond ASCII (RFC 6531) goes as it is to a server that offers
// SMTPUTF8, with MAIL FROM saying SMTPUTF8; other servers get its domain in ASCII form (IDNA),
// in the envelope and in the From, To and CC lines, and when a local part is beyond ASCII they
// get nothing, and EMessageError says why. Replies are kept whole in the errors, so "535 5.7.8 ..."
// keeps its enhanced code.
//
// Failures (socket errors, time-outs and cancellation: socket.h):
//   ESocketError "MailMessage property must be assigned" (also seen by OnError)
//   EMessageError from the message's own check (no sender address, no recipient at all)
//   EServerError with the server's reply line for a negative greeting, HELO (after the retry),
//                MAIL FROM, DATA, end-of-data or QUIT reply, and for a rejected recipient
//                unless OnAddressRejected sets Proceed (then that address is skipped).
// Whatever fails, the session ends with QUIT (when the socket is still usable) and Close; the
// first error is the one raised, never one of the clean-up. Once the server has accepted the
// data the message is sent: a QUIT that fails then raises nothing (a caller that retried would
// send the message twice) and its text is kept in QuitFailure.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "mime/message.h"
#include "net/capabilities.h"
#include "net/mail_base.h"

namespace velmora::net {

using TmsAddressRejectedEvent = std::function<void(TagSocket& sender, const std::string& TheAddress,
                                                   const std::string& ServerReply, bool& Proceed)>;

class TmsSMTP : public TmsMailBase {
  public:
    static constexpr std::uint16_t kDefaultSmtpPort = 25;
    static constexpr std::uint16_t kDefaultSubmissionPort = 587;  // STARTTLS, RFC 6409
    static constexpr std::uint16_t kDefaultSmtpsPort = 465;       // implicit TLS, RFC 8314

    TmsSMTP(platform::EventLoop& events, const platform::Clock& clock);

    // The log-in of AUTH (used only when Options.auth is Plain or Login).
    std::string UserName;
    std::string Password;
    // The message to send; referenced, not owned: it must outlive SendMail.
    mime::TmsMessage* MailMessage = nullptr;
    TmsNotifyEvent OnPrepare;
    TmsNotifyEvent OnSending;
    TmsNotifyEvent OnMailSent;
    TmsAddressRejectedEvent OnAddressRejected;

    // Connects, sends MailMessage and disconnects; raises on any failure (see above).
    void SendMail();
    // The error of a QUIT that failed after the message was accepted; empty otherwise.
    const std::string& QuitFailure() const { return quitFailure_; }
    // The extensions of the last EHLO (empty after HELO).
    const Capabilities& Extensions() const { return extensions_; }

    void Open() override;

  protected:
    void Login() override;
    void Logout() override;

  private:
    void sendMessage();
    // Sends `text` and checks that the reply's class (code / 100) is `expectedClass`.
    bool commandAnswered(const std::string& text, int expectedClass);
    void greet();
    void authenticate();

    std::string quitFailure_;
    Capabilities extensions_;
};

}  // namespace velmora::net
