#include "net/pop3.h"

#include "base/text_file.h"
#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/internal/sasl.h"
#include "net/reply_parsing.h"

namespace velmora::net {

namespace {

constexpr std::string_view kEndLine = ".\r\n";

}  // namespace

TmsCustomPOP::TmsCustomPOP(platform::EventLoop& events, const platform::Clock& clock)
    : TmsMailBase(events, clock) {
    DefaultPort = kDefaultPop3Port;
    DefaultTlsPort = kDefaultPop3sPort;
    ServiceName = "pop3";
}

int TmsCustomPOP::ReplyCode(std::string_view line) const {
    return pop3ReplyCode(line);
}

void TmsCustomPOP::CheckLoginData() {
    if (UserName.empty()) raiseSocketError(mime::kTextUserNameRequired);
    if (Password.empty()) raiseSocketError(mime::kTextPasswordRequired);
}

void TmsCustomPOP::Open() {
    CheckLoginData();
    Reset();
    TmsMailBase::Open();
}

void TmsCustomPOP::command(const std::string& text) {
    SendLine(text);
    if (ReadLine(LastReply) != 1) raiseServerError(LastReply);
}

void TmsCustomPOP::Login() {
    try {
        Reset();
        shortMessages_.clear();
        capabilities_ = {};
        connectToServer();
        if (ReadLine(LastReply) != 1) raiseServerError(LastReply);
        const std::string greeting = LastReply;
        const bool classic =
            Options.security == Security::None && Options.auth == AuthMethod::Default;
        if (!classic) askCapabilities();
        if (Options.security == Security::StartTls) {
            if (!capabilities_.offers("STLS"))
                raiseRefusal(
                    "The server " + HostName() +
                    " does not offer STLS: nothing is sent over the unencrypted connection");
            // A refusal is no verdict on the password: an ESocketError, not the server's error.
            SendLine("STLS");
            if (ReadLine(LastReply) != 1)
                raiseRefusal("The server " + HostName() + " refused STLS: " + LastReply);
            startTls();
            askCapabilities();  // what the server lists may change once the session is private
        }
        authenticate(greeting);
        stat();
    } catch (const mime::ESocketError&) {
        Close();
        throw;
    }
}

void TmsCustomPOP::askCapabilities() {
    SendLine("CAPA");
    if (ReadLine(LastReply) != 1) {
        capabilities_ = {};  // a server from before RFC 2449 lists nothing
        return;
    }
    std::string text;
    ReceiveToStream(text, -1, kMaxReplyLineBytes);
    undoByteStuffing(text);
    std::vector<std::string> lines = splitLines(text);
    if (!lines.empty() && lines.back() == ".") lines.pop_back();
    capabilities_ = Capabilities::fromCapaLines(lines);
}

void TmsCustomPOP::authenticate(const std::string& greeting) {
    AuthMethod method = Options.auth;
    if (method == AuthMethod::Default)
        method = Encrypted() && capabilities_.offersMechanism("PLAIN") ? AuthMethod::Plain
                                                                       : AuthMethod::UserPass;
    if (method == AuthMethod::Apop) {
        const std::string timestamp = apopTimestamp(greeting);
        if (timestamp.empty()) raiseRefusal("The server " + HostName() + " does not offer APOP");
        command("APOP " + UserName + " " + internal::apopDigest(timestamp, Password));
        return;
    }
    const bool classic = Options.security == Security::None && Options.auth == AuthMethod::Default;
    if (!Encrypted() && !classic && !Options.allowPlainTextPassword)
        raiseRefusal("The password is not sent: the connection to " + HostName() +
                     " is not encrypted (allow plain-text password to send it all the same)");
    switch (method) {
        case AuthMethod::Plain:
            command("AUTH PLAIN " + internal::saslPlainResponse(UserName, Password));
            break;
        case AuthMethod::Login:
            SendLine("AUTH LOGIN");
            for (const std::string* answer : {&UserName, &Password}) {
                ReadLine(LastReply);
                if (!authChallenge(LastReply)) raiseServerError(LastReply);
                SendLine(internal::base64Of(*answer));
            }
            if (ReadLine(LastReply) != 1) raiseServerError(LastReply);
            break;
        default:
            command("USER " + UserName);
            command("PASS " + Password);
            break;
    }
}

void TmsCustomPOP::stat() {
    command("STAT");
    StatValues values;
    switch (parseStatReply(LastReply, values)) {
        case StatParse::Values:
            messageCount_ = values.count;
            totalSize_ = values.size;
            break;
        case StatParse::NoSize:
            break;  // a count without a size changes neither value
        case StatParse::NotNumbers:
            raiseServerError(LastReply);
    }
}

void TmsCustomPOP::Logout() {
    if (!isOpen()) return;
    command("QUIT");
}

std::int64_t TmsCustomPOP::listSize(int index) {
    command("LIST " + std::to_string(index + 1));
    return listReplySize(LastReply);
}

void TmsCustomPOP::RetrieveMessage(int index) {
    const std::int64_t expected = listSize(index);
    if (OnRetrieving) OnRetrieving(*this, index);
    command("RETR " + std::to_string(index + 1));
    ReceivedText text;
    ReceiveText(text, expected, messageSizeBound(expected));
    // The end line is not part of the message.
    const std::int64_t received = text.size() - static_cast<std::int64_t>(kEndLine.size());
    if (expected > 0 && received < expected) {
        shortMessages_.insert(index);
        if (OnShortMessage) OnShortMessage(*this, index, expected, received);
    }
    if (OnRetrieved) OnRetrieved(*this, index);
    StoreReceived(index, text);
}

void TmsCustomPOP::StoreReceived(int index, ReceivedText& text) {
    std::string stream = text.release();
    StoreMessage(index, stream);
}

void TmsCustomPOP::DeleteMessage(int index) {
    if (ArrivedShort(index)) return;  // the server's copy may be the only whole one
    if (OnDeleting) OnDeleting(*this, index);
    SendLine("DELE " + std::to_string(index + 1));
    ReadLine(LastReply);  // a negative reply does not stop the session
}

std::optional<std::vector<std::string>> TmsCustomPOP::UniqueIds() {
    SendLine("UIDL");
    if (ReadLine(LastReply) != 1) return std::nullopt;
    const std::int64_t count = std::max<std::int64_t>(messageCount_, 0);
    std::vector<std::string> ids(static_cast<std::size_t>(count));
    std::string line;
    // One line a message and the end line; a server sending more is cut off at the count.
    for (std::int64_t read = 0; read <= count; ++read) {
        ReadLine(line);
        if (line == ".") return ids;
        const auto space = line.find(' ');
        std::int64_t number = 0;
        for (std::size_t i = 0; i < space && i < line.size(); ++i) {
            if (line[i] < '0' || line[i] > '9' || number > count) {
                number = 0;
                break;
            }
            number = number * 10 + (line[i] - '0');
        }
        if (space == std::string::npos || number < 1 || number > count) continue;
        const std::size_t begin = line.find_first_not_of(' ', space);
        if (begin == std::string::npos) continue;
        const std::size_t end = line.find(' ', begin);
        ids[static_cast<std::size_t>(number - 1)] = line.substr(begin, end - begin);
    }
    raiseServerError("UIDL listing longer than the mailbox");
}

}  // namespace velmora::net
