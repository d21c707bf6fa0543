// The POP3 client: logs in (USER and PASS as the classic client; with the connection options
// also over TLS or after STLS, with AUTH PLAIN or APOP), learns the mailbox's message count and
// size from STAT, retrieves messages with LIST and RETR, deletes them with DELE and ends with QUIT.
// Operations take message indexes from 0 and send index + 1. TmsCustomPOP holds the protocol
// and hands each retrieved text to StoreMessage; TmsPOP decodes each into its message list;
// TmsRemotePOP (remote_pop.h) hands the raw text to the application.
//
// Failures (see socket.h for the socket errors, time-outs and cancellation):
//   ESocketError "UserName property is required" / "Password property is required"
//   EServerError with the server's reply line for a negative or unexpected greeting, USER, PASS,
//                STAT, LIST, RETR or QUIT reply (a STAT reply whose count or size is not a
//                number too); a negative DELE reply is ignored.
// Log-in with Options (connection_options.h): implicit TLS happens in the connect step; for
// any choice beyond the classic one CAPA is asked first. Security::StartTls sends STLS, and a
// server that does not list it, or refuses it, ends the log-in with an ESocketError (not the
// server's error: it says nothing about the password); nothing goes over the plain connection.
// AuthMethod::Default logs in with AUTH PLAIN over TLS when the server lists SASL PLAIN, else
// USER/PASS; Apop needs the greeting's timestamp. A password never goes over a connection without
// TLS unless Options.allowPlainTextPassword is set (the classic Default log-in on Security::None
// excepted): ESocketError "The password is not sent: ...". A socket error during log-in closes the
// connection; other failures leave the socket open for the caller's Disconnect (QUIT) or Close.
//
// Retrieving many messages: PlanRetrievals names the messages the caller retrieves next, in
// order. Their sizes then come from one LIST of the whole mailbox instead of one LIST each,
// and when the server lists PIPELINING (RFC 2449; CAPA is asked for it when the log-in did
// not) up to kPipelineDepth RETR commands are kept outstanding: the RETR of the next messages is
// sent before the current one is stored, so the server sends while the client stores, and
// DELE is sent without waiting for its reply. Replies are read in the order of the commands;
// any other command first reads every outstanding reply (a RETR's message is then read and
// dropped, not stored, and so never deleted). Without PIPELINING each command waits for its
// reply as before.
//
// A STAT count beyond kMaxMailboxMessages is reported as it is, but the client then keeps no
// size or identifier per message: sizes are asked one by one and UniqueIds() gives nothing, as
// from a server without UIDL. What a message may take is bounded by the size LIST announces
// (messageSizeBound in transfer_limits.h); past it the session ends with ESocketError "The message
// is too large:
// ...". A message that arrives shorter than announced is stored as received, reported through
// OnShortMessage, and never deleted on the server in that session: DeleteMessage passes over
// it, so a copy the server may still hold whole is not lost.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "mime/message.h"
#include "net/capabilities.h"
#include "net/mail_base.h"
#include "net/received_text.h"
#include "net/reply_parsing.h"

namespace velmora::net {

// Num: the message's index, counted from 0.
using TmsNumNotifyEvent = std::function<void(TagSocket& sender, int Num)>;
using TmsShortMessageEvent =
    std::function<void(TagSocket& sender, int Num, std::int64_t Announced, std::int64_t Received)>;

class TmsCustomPOP : public TmsMailBase {
  public:
    static constexpr std::uint16_t kDefaultPop3Port = 110;
    static constexpr std::uint16_t kDefaultPop3sPort = 995;
    // RETR commands outstanding at most while pipelining: enough for the server to stream the
    // next messages while one is stored. They are sent in groups once half of them are read.
    static constexpr std::size_t kPipelineDepth = 16;
    // Commands outstanding at most (a batch of DELE after a flush joins the RETR ahead): about
    // 10 KB of commands and 30 KB of replies, far below the socket buffers, so neither side's
    // writing can block while the other is not reading.
    static constexpr std::size_t kMaxOutstanding = 1000;

    TmsCustomPOP(platform::EventLoop& events, const platform::Clock& clock);

    std::string UserName;
    std::string Password;
    TmsNumNotifyEvent OnRetrieving;
    TmsNumNotifyEvent OnRetrieved;
    TmsNumNotifyEvent OnDeleting;
    // A message arrived with fewer octets than LIST announced (it is stored all the same).
    TmsShortMessageEvent OnShortMessage;

    // What the server listed in reply to CAPA in this session (empty when not asked).
    const Capabilities& ServerCapabilities() const { return capabilities_; }

    // From the last successful STAT; -1 until the first. Kept after Disconnect.
    std::int64_t MessageCount() const { return messageCount_; }
    std::int64_t TotalSize() const { return totalSize_; }

    // Checks UserName and Password, then resets and opens the socket.
    void Open() override;
    // 1 for a line starting with "+", -1 for "-", 0 for anything else or an empty line.
    int ReplyCode(std::string_view line) const override;

    // LIST for the expected size, OnRetrieving, RETR, the text received up to its end line with
    // the server's byte-stuffing undone (the end line stays), OnRetrieved, then StoreMessage.
    void RetrieveMessage(int index);
    // OnDeleting, then DELE; the reply is read but not checked. A message that arrived shorter
    // than announced in this session is not deleted: nothing is sent, no event fires.
    void DeleteMessage(int index);
    // UIDL of the whole mailbox: one identifier per message index ("" where the server gave
    // none for it), or nullopt when the server does not answer UIDL positively. Lines whose
    // number is outside the mailbox are ignored; at most MessageCount() lines are read.
    std::optional<std::vector<std::string>> UniqueIds();
    // True when message `index` arrived shorter than LIST announced in this session.
    bool ArrivedShort(int index) const { return shortMessages_.count(index) != 0; }

    // The messages to be retrieved next, in the order RetrieveMessage will be called for them
    // (see above). Asks LIST of the whole mailbox unless known from this session, and CAPA when
    // the log-in did not. A RetrieveMessage out of this order is served without pipelining.
    void PlanRetrievals(std::vector<int> indexes);
    // True while planned retrievals are pipelined (the server listed PIPELINING).
    bool Pipelining() const { return pipelining_; }
    // The sizes of the whole mailbox from one LIST (0 where the server gave no number); false,
    // and nothing kept, when the server does not answer LIST positively. At most MessageCount()
    // lines are read; lines whose number is outside the mailbox are ignored.
    bool ListSizes();

  protected:
    // Takes the retrieved text of message `index` (ending in the ".\r\n" line).
    virtual void StoreMessage(int index, std::string& stream) = 0;
    // Takes the text as it was received (in memory or in a temporary file); by default hands
    // it to StoreMessage as one string.
    virtual void StoreReceived(int index, ReceivedText& text);
    virtual void CheckLoginData();

    void Login() override;
    void Logout() override;

    // Sends `command` and reads one reply line into LastReply; a reply that is not positive
    // raises EServerError with it.
    void command(const std::string& text);
    // Sends a command line once every outstanding reply is read (see PlanRetrievals).
    void sendCommand(const std::string& text);
    // LIST of one message: the size the server gives (0 when it gives no plain number).
    std::int64_t listSize(int index);

  private:
    // A command whose reply is still to be read.
    struct Outstanding {
        enum Kind { Retr, Dele } kind;
        int index;
    };

    void stat();
    void askCapabilities();
    void authenticate(const std::string& greeting);
    // Reads the lines of a multi-line listing after its positive reply, up to the end line.
    void readListing(const std::function<void(const ListingLine&)>& take);
    // The size from this session's LIST of the mailbox, else from LIST of the one message.
    std::int64_t expectedSize(int index);
    // Sends, in one write, RETR for the next planned messages until kPipelineDepth of them are
    // outstanding.
    void topUpPipeline();
    // Writes the DELE commands held back for the next write, if any.
    void sendUnsent();
    // Reads the reply of the oldest outstanding command (after sending what is held back): a
    // DELE's line, or a RETR's line and message, which is dropped.
    void readOutstanding();
    // Reads every outstanding reply, so that the next reply read belongs to the next command.
    void drainOutstanding();
    void receiveMessage(int index, std::int64_t expected);

    Capabilities capabilities_;
    bool capabilitiesAsked_ = false;
    std::vector<std::int64_t> sizes_;  // from LIST of the mailbox, when sizesKnown_
    std::deque<int> planned_;          // planned retrievals whose RETR is not sent yet
    std::deque<Outstanding> outstanding_;
    std::string unsent_;  // DELE lines outstanding but not yet written, joined by CR LF
    bool pipelining_ = false;
    bool sizesKnown_ = false;
    int position_ = 0;  // the message last retrieved or deleted

    std::set<int> shortMessages_;
    std::int64_t messageCount_ = -1;
    std::int64_t totalSize_ = -1;
};

// Keeps every retrieved message, decoded, in Messages (in retrieval order); the application
// reads them and clears the list when done.
class TmsPOP : public TmsCustomPOP {
  public:
    using TmsCustomPOP::TmsCustomPOP;

    mime::TmsMessageList Messages;

  protected:
    void StoreMessage(int index, std::string& stream) override;
};

}  // namespace velmora::net
