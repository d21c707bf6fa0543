#include "net/pop3.h"

#include <algorithm>

#include "base/text_file.h"
#include "mime/errors.h"
#include "net/internal/errors_bridge.h"
#include "net/internal/sasl.h"
#include "net/reply_parsing.h"
#include "net/transfer_limits.h"

namespace velmora::net {

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
    sendCommand(text);
    if (ReadLine(LastReply) != 1) raiseServerError(LastReply);
}

void TmsCustomPOP::sendCommand(const std::string& text) {
    drainOutstanding();
    SendLine(text);
}

void TmsCustomPOP::Login() {
    try {
        Reset();
        shortMessages_.clear();
        capabilities_ = {};
        capabilitiesAsked_ = false;
        sizes_.clear();
        sizesKnown_ = false;
        planned_.clear();
        outstanding_.clear();
        unsent_.clear();
        pipelining_ = false;
        position_ = 0;
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
    capabilitiesAsked_ = true;
    sendCommand("CAPA");
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

std::int64_t TmsCustomPOP::expectedSize(int index) {
    if (sizesKnown_) {
        const auto at = static_cast<std::size_t>(index);
        return index >= 0 && at < sizes_.size() ? sizes_[at] : 0;
    }
    return listSize(index);
}

void TmsCustomPOP::readListing(const std::function<void(const ListingLine&)>& take) {
    const std::int64_t count = std::max<std::int64_t>(messageCount_, 0);
    std::string line;
    // One line a message and the end line; a server sending more is cut off at the count.
    for (std::int64_t read = 0; read <= count; ++read) {
        ReadLine(line);
        if (line == ".") return;
        if (const auto entry = parseListingLine(line, count)) take(*entry);
    }
    raiseServerError("Listing longer than the mailbox");
}

bool TmsCustomPOP::ListSizes() {
    // Past any real mailbox the sizes are asked message by message instead of held for all.
    if (messageCount_ > kMaxMailboxMessages) return false;
    sendCommand("LIST");
    if (ReadLine(LastReply) != 1) return false;
    std::vector<std::int64_t> sizes(
        static_cast<std::size_t>(std::max<std::int64_t>(messageCount_, 0)));
    readListing([&sizes](const ListingLine& entry) {
        sizes[static_cast<std::size_t>(entry.number - 1)] = decimalNumber(entry.word).value_or(0);
    });
    sizes_ = std::move(sizes);
    sizesKnown_ = true;
    return true;
}

void TmsCustomPOP::PlanRetrievals(std::vector<int> indexes) {
    drainOutstanding();
    planned_.assign(indexes.begin(), indexes.end());
    if (planned_.empty()) return;
    if (!sizesKnown_) ListSizes();
    if (!capabilitiesAsked_) askCapabilities();
    pipelining_ = sizesKnown_ && capabilities_.offers("PIPELINING");
}

void TmsCustomPOP::topUpPipeline() {
    constexpr auto kDepth = static_cast<std::int64_t>(kPipelineDepth);
    std::size_t retrievals = 0;
    for (const Outstanding& command : outstanding_)
        if (command.kind == Outstanding::Retr) ++retrievals;
    // Refilled only once half the retrievals ahead are read, so that one write carries several
    // commands instead of one write (and one wake-up of the server) per message.
    if (retrievals > kPipelineDepth / 2) return;
    // Only messages close ahead: a DELE sent meanwhile waits behind each RETR sent, and this
    // keeps that queue short however many messages lie between two retrievals.
    std::string lines = std::move(unsent_);
    unsent_.clear();
    while (!planned_.empty() && retrievals < kPipelineDepth &&
           outstanding_.size() < kMaxOutstanding &&
           std::int64_t{planned_.front()} < std::int64_t{position_} + kDepth) {
        if (!lines.empty()) lines += "\r\n";
        lines += "RETR " + std::to_string(planned_.front() + 1);
        outstanding_.push_back({Outstanding::Retr, planned_.front()});
        planned_.pop_front();
        ++retrievals;
    }
    if (!lines.empty()) SendLine(lines);  // the commands in one write
}

void TmsCustomPOP::sendUnsent() {
    if (unsent_.empty()) return;
    const std::string lines = std::move(unsent_);
    unsent_.clear();
    SendLine(lines);
}

void TmsCustomPOP::readOutstanding() {
    sendUnsent();
    const Outstanding oldest = outstanding_.front();
    outstanding_.pop_front();
    if (ReadLine(LastReply) != 1 || oldest.kind == Outstanding::Dele) return;
    // A message retrieved ahead that the caller no longer wants: read past, not stored.
    const std::int64_t expected = expectedSize(oldest.index);
    ReceivedText dropped;
    ReceiveText(dropped, expected, messageSizeBound(expected));
}

void TmsCustomPOP::drainOutstanding() {
    while (!outstanding_.empty() && isOpen()) readOutstanding();
    outstanding_.clear();
    unsent_.clear();
}

void TmsCustomPOP::RetrieveMessage(int index) {
    const std::int64_t expected = expectedSize(index);
    const auto firstRetrieval =
        std::find_if(outstanding_.begin(), outstanding_.end(),
                     [](const Outstanding& command) { return command.kind == Outstanding::Retr; });
    const bool next = firstRetrieval != outstanding_.end()
                          ? firstRetrieval->index == index
                          : !planned_.empty() && planned_.front() == index;
    if (!next) {
        // Out of the planned order: the plan is given up, and this one asked for alone.
        drainOutstanding();
        planned_.clear();
    }
    position_ = index;
    if (next && pipelining_) {
        // DELE replies ahead of this RETR (or of the place it goes) are read first.
        while (!outstanding_.empty() && outstanding_.front().kind == Outstanding::Dele)
            readOutstanding();
        topUpPipeline();  // sends this message's RETR when it was not sent yet
        sendUnsent();
        outstanding_.pop_front();
        if (OnRetrieving) OnRetrieving(*this, index);
        if (ReadLine(LastReply) != 1) raiseServerError(LastReply);
    } else {
        if (next) planned_.pop_front();
        if (OnRetrieving) OnRetrieving(*this, index);
        command("RETR " + std::to_string(index + 1));
    }
    ReceivedText text;
    ReceiveText(text, expected, messageSizeBound(expected));
    // The end line is not part of the message.
    const std::int64_t received = text.size() - static_cast<std::int64_t>(kEndLine.size());
    if (expected > 0 && received < expected) {
        shortMessages_.insert(index);
        if (OnShortMessage) OnShortMessage(*this, index, expected, received);
    }
    if (OnRetrieved) OnRetrieved(*this, index);
    // The server goes on with the next messages while this one is stored.
    if (pipelining_) topUpPipeline();
    StoreReceived(index, text);
}

void TmsCustomPOP::StoreReceived(int index, ReceivedText& text) {
    std::string stream = text.release();
    StoreMessage(index, stream);
}

void TmsCustomPOP::DeleteMessage(int index) {
    if (ArrivedShort(index)) return;  // the server's copy may be the only whole one
    if (OnDeleting) OnDeleting(*this, index);
    const std::string line = "DELE " + std::to_string(index + 1);
    if (!pipelining_) {
        sendCommand(line);
        ReadLine(LastReply);  // a negative reply does not stop the session
        return;
    }
    position_ = std::max(position_, index);
    topUpPipeline();
    // Replies waiting ahead are read first; with a RETR ahead and the queue still full (a
    // caller far off the plan) the pipeline is emptied instead.
    while (outstanding_.size() >= kMaxOutstanding && outstanding_.front().kind == Outstanding::Dele)
        readOutstanding();
    if (outstanding_.size() >= kMaxOutstanding) drainOutstanding();
    // Sent with the next commands, or before the next reply is read: a batch of deletions goes
    // out in one write.
    if (!unsent_.empty()) unsent_ += "\r\n";
    unsent_ += line;
    outstanding_.push_back({Outstanding::Dele, index});
}

std::optional<std::vector<std::string>> TmsCustomPOP::UniqueIds() {
    if (messageCount_ > kMaxMailboxMessages) return std::nullopt;  // as a server without UIDL
    sendCommand("UIDL");
    if (ReadLine(LastReply) != 1) return std::nullopt;
    std::vector<std::string> ids(
        static_cast<std::size_t>(std::max<std::int64_t>(messageCount_, 0)));
    readListing([&ids](const ListingLine& entry) {
        ids[static_cast<std::size_t>(entry.number - 1)] = std::string(entry.word);
    });
    return ids;
}

}  // namespace velmora::net
