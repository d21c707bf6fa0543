#include "net/pop3.h"

#include <algorithm>

#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/reply_parsing.h"

namespace velmora::net {

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
    std::string stream;
    // The size is the server's word: room is made for it only up to a bound, the text grows
    // past it as it arrives.
    constexpr std::int64_t kMaxReserve = 64 * 1024 * 1024;
    if (expected > 0) {
        const std::int64_t room = std::min(expected, kMaxReserve);
        stream.reserve(static_cast<std::size_t>(room + room / 32 + 16));
    }
    ReceiveToStream(stream, expected);
    undoByteStuffing(stream);
    if (OnRetrieved) OnRetrieved(*this, index);
    StoreMessage(index, stream);
}

void TmsCustomPOP::DeleteMessage(int index) {
    if (OnDeleting) OnDeleting(*this, index);
    SendLine("DELE " + std::to_string(index + 1));
    ReadLine(LastReply);  // a negative reply does not stop the session
}

}  // namespace velmora::net
