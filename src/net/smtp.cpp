#include "net/smtp.h"

#include <exception>
#include <optional>
#include <utility>
#include <vector>

#include "base/text.h"
#include "mime/errors.h"
#include "net/idna.h"
#include "net/internal/errors_bridge.h"
#include "net/internal/sasl.h"
#include "net/reply_parsing.h"

namespace velmora::net {

namespace {

bool hasClass(int code, int expectedClass) {
    return code / 100 == expectedClass;
}

// The envelope addresses of the message in the order they are given: sender, recipients,
// carbon copies, blind copies.
std::vector<mime::TmsMailAddress*> envelopeAddresses(mime::TmsMessage& message) {
    std::vector<mime::TmsMailAddress*> addresses{&message.Sender()};
    for (mime::TmsAddressList* list : {&message.Recipients(), &message.CC(), &message.BCC()})
        for (int i = 0; i < list->Count(); ++i) addresses.push_back(&list->Items(i));
    return addresses;
}

// The first envelope address of the message with a byte beyond ASCII; "" when there is none.
std::string firstAddressBeyondAscii(const mime::TmsMessage& message) {
    if (hasHighBytes(message.Sender().Address())) return message.Sender().Address();
    for (const mime::TmsAddressList* list : {&message.Recipients(), &message.CC(), &message.BCC()})
        for (int i = 0; i < list->Count(); ++i)
            if (hasHighBytes(list->Items(i).Address())) return list->Items(i).Address();
    return {};
}

// An address's form for a server without SMTPUTF8: its domain in ASCII form; nothing when the
// local part is beyond ASCII too, or the ASCII form would not fit a path (RFC 5321: 256 octets
// with the brackets).
std::optional<std::string> asciiFormOf(const std::string& address) {
    std::string ascii = addressWithAsciiDomain(address);
    if (hasHighBytes(ascii) || ascii.size() > 254) return std::nullopt;
    return ascii;
}

// For as long as it lives, the message's addresses carry their domains in ASCII form, in the
// envelope and in the header lines the encoder writes; the message then gets its own back.
class AsciiDomains {
  public:
    explicit AsciiDomains(mime::TmsMessage& message) {
        for (mime::TmsMailAddress* address : envelopeAddresses(message)) {
            if (!hasHighBytes(address->Address())) continue;
            saved_.emplace_back(address, address->Address());
            address->SetAddress(*asciiFormOf(address->Address()));
        }
    }
    ~AsciiDomains() {
        for (auto& [address, original] : saved_) address->SetAddress(original);
    }
    AsciiDomains(const AsciiDomains&) = delete;
    AsciiDomains& operator=(const AsciiDomains&) = delete;

  private:
    std::vector<std::pair<mime::TmsMailAddress*, std::string>> saved_;
};

}  // namespace

TmsSMTP::TmsSMTP(platform::EventLoop& events, const platform::Clock& clock)
    : TmsMailBase(events, clock) {
    DefaultPort = kDefaultSmtpPort;
    DefaultTlsPort = kDefaultSmtpsPort;
    DefaultStartTlsPort = kDefaultSubmissionPort;
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
    extensions_ = {};
    connectToServer();
    if (!hasClass(ReadReply(), 2)) raiseServerError(LastReply);
    // The classic greeting is HELO; a message to an address beyond ASCII asks with EHLO whether
    // the server takes it.
    const bool wideAddress = MailMessage && !firstAddressBeyondAscii(*MailMessage).empty();
    const bool classic =
        Options.security == Security::None && Options.auth == AuthMethod::Default && !wideAddress;
    if (classic) {
        if (!commandAnswered("HELO " + LocalHostName(), 2) && !commandAnswered("HELO", 2))
            raiseServerError(LastReply);
        return;
    }
    greet();
    if (Options.security == Security::StartTls) {
        if (!extensions_.offers("STARTTLS"))
            raiseRefusal(
                "The server " + HostName() +
                " does not offer STARTTLS: nothing is sent over the unencrypted connection");
        if (!commandAnswered("STARTTLS", 2))
            raiseRefusal("The server " + HostName() + " refused STARTTLS: " + LastReply);
        startTls();
        greet();  // RFC 3207: what the server offers is learnt again over TLS
    }
    authenticate();
}

void TmsSMTP::greet() {
    SendLine("EHLO " + LocalHostName());
    std::vector<std::string> lines;
    if (hasClass(ReadReplyLines(lines), 2)) {
        extensions_ = Capabilities::fromEhloLines(lines);
        return;
    }
    extensions_ = {};  // a server from before EHLO
    if (!commandAnswered("HELO " + LocalHostName(), 2) && !commandAnswered("HELO", 2))
        raiseServerError(LastReply);
}

void TmsSMTP::authenticate() {
    if (Options.auth != AuthMethod::Plain && Options.auth != AuthMethod::Login) return;
    if (!Encrypted() && !Options.allowPlainTextPassword)
        raiseRefusal("The password is not sent: the connection to " + HostName() +
                     " is not encrypted (allow plain-text password to send it all the same)");
    const bool plain = Options.auth == AuthMethod::Plain;
    if (!extensions_.offersMechanism(plain ? "PLAIN" : "LOGIN"))
        raiseRefusal("The server " + HostName() + " does not offer AUTH " +
                     (plain ? "PLAIN" : "LOGIN"));
    if (plain) {
        if (!commandAnswered("AUTH PLAIN " + internal::saslPlainResponse(UserName, Password), 2))
            raiseServerError(LastReply);
        return;
    }
    SendLine("AUTH LOGIN");
    for (const std::string* answer : {&UserName, &Password}) {
        ReadReply();
        if (!authChallenge(LastReply)) raiseServerError(LastReply);
        SendLine(internal::base64Of(*answer));
    }
    if (!hasClass(ReadReply(), 2)) raiseServerError(LastReply);
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

    // RFC 6531: an address beyond ASCII goes as it is to a server that offers SMTPUTF8, and MAIL
    // FROM then says so. Any other server gets the domains in their ASCII form (IDNA); a local
    // part beyond ASCII has none, and such a server could only refuse it, maybe after the other
    // recipients had been accepted, so nothing is sent.
    if (OnPrepare) OnPrepare(*this);
    std::string utf8Parameter;
    std::optional<AsciiDomains> asciiDomains;
    if (!firstAddressBeyondAscii(message).empty()) {
        if (extensions_.offers("SMTPUTF8")) {
            utf8Parameter = " SMTPUTF8";
        } else {
            for (const mime::TmsMailAddress* address : envelopeAddresses(message))
                if (hasHighBytes(address->Address()) && !asciiFormOf(address->Address()))
                    internal::throwMessageError("The address " + address->Address() +
                                                " has letters beyond ASCII, which the server " +
                                                HostName() +
                                                " does not accept (it offers no SMTPUTF8)");
            asciiDomains.emplace(message);
        }
    }

    // The encoder builds the whole text in memory anyway; a temporary file would only copy it
    // to disk and back.
    const std::string encoded = message.SaveToString();
    if (OnSending) OnSending(*this);

    // RFC 1870: a message the server would refuse for its size is refused before it is sent.
    const std::int64_t limit = extensions_.sizeLimit();
    const auto size = static_cast<std::int64_t>(encoded.size());
    if (limit > 0 && size > limit)
        internal::throwMessageError("The message (" + std::to_string(size) +
                                    " octets) is larger than the server " + HostName() +
                                    " accepts (" + std::to_string(limit) + " octets)");
    const std::string sizeParameter =
        extensions_.offers("SIZE") ? " SIZE=" + std::to_string(size) : std::string();
    const std::string sender = message.Sender().Address();
    if (!sender.empty() &&
        !commandAnswered("MAIL FROM:<" + sender + ">" + sizeParameter + utf8Parameter, 2))
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
    sendBlocks(
        static_cast<std::int64_t>(encoded.size()),
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
