#include "net/pop3.h"


#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/reply_parsing.h"

namespace velmora::net {

namespace {

constexpr std::string_view kEndLine = ".\r\n";

}  // namespace

TmsCustomPOP::TmsCustomPOP(platform::EventLoop& events, const platform::Clock& clock)
    : TmsMailBase(events, clock) {
    DefaultPort = kDefaultPop3Port;
    ServiceName = "pop3";
}

int TmsCustomPOP::ReplyCode(std::string_view line) const { return pop3ReplyCode(line); }

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
        connectToServer();
        if (ReadLine(LastReply) != 1) raiseServerError(LastReply);
        command("USER " + UserName);
        command("PASS " + Password);
        stat();
    } catch (const mime::ESocketError&) {
        Close();
        throw;
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
    std::string stream = text.str();
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
