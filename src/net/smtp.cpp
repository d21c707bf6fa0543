#include "net/smtp.h"

#include <exception>

#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/reply_parsing.h"

namespace velmora::net {

namespace {

bool hasClass(int code, int expectedClass) { return code / 100 == expectedClass; }

}  // namespace

TmsSMTP::TmsSMTP(platform::EventLoop& events, const platform::Clock& clock) : TmsMailBase(events, clock) {
    DefaultPort = kDefaultSmtpPort;
    ServiceName = "smtp";
}

void TmsSMTP::Open() {
    if (Server.empty()) raiseSocketError(mime::kTextServerRequired);
    Reset();
    TmsMailBase::Open();
}

bool TmsSMTP::commandAnswered(const std::string& text, int expectedClass) {
    SendLine(text);
    return hasClass(ReadReply(), expectedClass);
}

void TmsSMTP::Login() {
    connectToServer();
    if (!hasClass(ReadReply(), 2)) raiseServerError(LastReply);
    if (!commandAnswered("HELO " + LocalHostName(), 2) && !commandAnswered("HELO", 2))
        raiseServerError(LastReply);
}

void TmsSMTP::Logout() {
    letEventsRun();
    if (!commandAnswered("QUIT", 2)) raiseServerError(LastReply);
}

void TmsSMTP::SendMail() {
    quitFailure_.clear();
    try {
        Connect();
        sendMessage();
    } catch (...) {
        // End the session, but report what went wrong first rather than a failing QUIT.
        try {
            Disconnect();
        } catch (...) {
            Close();
        }
        throw;
    }
    try {
        Disconnect();
    } catch (const std::exception& error) {
        quitFailure_ = error.what();
    }
}

void TmsSMTP::sendMessage() {
    if (!MailMessage) raiseSocketError(mime::kTextMailMessageRequired);
    mime::TmsMessage& message = *MailMessage;
    message.CheckRequiredFields();

    // The encoder builds the whole text in memory anyway; a temporary file would only copy it
    // to disk and back.
    if (OnPrepare) OnPrepare(*this);
    const std::string encoded = message.SaveToString();
    if (OnSending) OnSending(*this);

    const std::string sender = message.Sender().Address();
    if (!sender.empty() && !commandAnswered("MAIL FROM:<" + sender + ">", 2))
        raiseServerError(LastReply);
    for (const mime::TmsAddressList* list :
         {&message.Recipients(), &message.CC(), &message.BCC()}) {
        for (int i = 0; i < list->Count(); ++i) {
            const std::string address = list->Items(i).Address();
            if (commandAnswered("RCPT TO:<" + address + ">", 2)) continue;
            bool proceed = false;
            if (OnAddressRejected) OnAddressRejected(*this, address, LastReply, proceed);
            if (!proceed) raiseServerError(LastReply);
        }
    }
    if (!commandAnswered("DATA", 3)) raiseServerError(LastReply);

    DotStuffer stuffer;
    requireOpen();
    std::size_t sent = 0;
    sendBlocks(static_cast<std::int64_t>(encoded.size()),
               [&](char* into, std::size_t capacity) {
                   const std::size_t count = encoded.copy(into, capacity, sent);
                   sent += count;
                   return count;
               },
               &stuffer);
    if (!stuffer.atLineStart()) SendLine("");
    if (!commandAnswered(".", 2)) raiseServerError(LastReply);
    if (OnMailSent) OnMailSent(*this);
}

}  // namespace velmora::net
