// The TCP client under the SMTP and POP3 clients. It resolves the server name, connects, sends
// command lines, reads reply lines and multi-line replies, receives a block that ends with a
// line of a single period, and sends a stream, all with a time-out, user cancellation, progress
// events and one error path.
//
// Every operation runs on the user-interface thread and looks synchronous to its caller. While
// it waits it polls the socket a few milliseconds at a time and lets the event loop run in
// between, so windows repaint and an event handler may call Cancel(); the host-name lookup runs
// on a worker thread meanwhile. Nothing here is thread-safe.
//
// Failures are thrown (the classes of mime/errors.h), after OnError has seen their text:
//   ESocketError    "[10061] Connection refused", "[11001] Host not found", numbered texts
//                   such as "You have to connect to the server first" (the handler may change it)
//   ETimedOutError  "Operation timed out": TimeOut seconds passed without progress
//   ETimedOutError  also when a command or transfer as a whole takes longer than the time-out
//                   plus its size at kMinimumTransferRate (transfer_limits.h): a server that
//                   trickles bytes cannot hold a session for ever
//   ECanceledError  "Operation has been canceled": Cancel() was called during the operation
//   ESocketError    for a server that breaks the bounds of transfer_limits.h: a reply line
//                   without an end, a reply of endless lines, a message far larger than
//                   announced; the connection is closed first, since the conversation is lost
// A refused or unreachable connection, and a peer that closes or resets the connection in the
// middle of a reply or a transfer, are reported at once, never as a time-out. An event handler
// run inside a wait may Close or Cancel; any other operation on the same socket raises
// "[10037] Operation already in progress" instead of taking the bytes the wait is reading.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <functional>
#include <istream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/connection_options.h"
#include "net/host_lookup.h"
#include "net/internal/input_buffer.h"
#include "net/time_counter.h"
#include "net/transfer_limits.h"
#include "platform/events.h"

namespace velmora::net {

class TagSocket;
class DotStuffer;
class ReceivedText;
namespace internal {
class TlsSession;
}

using TmsNotifyEvent = std::function<void(TagSocket& sender)>;
// The handler sees the text of every error before it is raised and may change it.
using TmsErrorEvent = std::function<void(TagSocket& sender, std::string& text)>;
// Perc: percent of the expected size, or -1 when no size is known. Transferred: bytes so far.
using TmsProgressEvent = std::function<void(TagSocket& sender, int Perc, std::int64_t Transferred)>;

class TagSocket {
  public:
    // Bulk transfers move up to this much per call.
    static constexpr std::size_t kReceiveBlockSize = 65536;
    static constexpr std::size_t kSendBlockSize = 65536;
    // How long one poll of the socket may block before the event loop runs again.
    static constexpr int kPollSliceMs = 5;
    // An address that has not answered by then gets company: the next one is tried alongside.
    static constexpr platform::Milliseconds kNextAddressDelay{250};

    TagSocket(platform::EventLoop& events, const platform::Clock& clock);
    // Closes the socket without firing events (the handlers may refer to objects already gone).
    virtual ~TagSocket();
    TagSocket(const TagSocket&) = delete;
    TagSocket& operator=(const TagSocket&) = delete;

    // "host", "host:port", "a.b.c.d:port", "::1" or "[::1]:995" (server_address.h). A port of 1
    // to 65535 after the host is used; no port, or anything else after the colon, means
    // DefaultTlsPort for implicit TLS, DefaultStartTlsPort for STARTTLS (when set), else the
    // service port or DefaultPort.
    std::string Server;
    std::uint16_t DefaultPort = 0;
    std::uint16_t DefaultTlsPort = 0;
    std::uint16_t DefaultStartTlsPort = 0;
    // Security, log-in and certificate choices (connection_options.h); read at Open and at the
    // protocols' log-in.
    ConnectionOptions Options;
    // The reply line last read by the protocol (ReadLine's variable, ReadReply's last line).
    std::string LastReply;

    TmsNotifyEvent OnOpen;
    TmsNotifyEvent OnClosing;
    TmsNotifyEvent OnClosed;
    TmsNotifyEvent OnCancel;
    TmsErrorEvent OnError;
    TmsProgressEvent OnProgress;

    int TimeOut() const { return counter_.Seconds(); }
    void setTimeOut(int seconds) { counter_.setSeconds(seconds); }
    const std::string& LocalHostName() const { return localHostName_; }
    // The address ("192.0.2.1", "::1") and port of the last connection (of the first address
    // to try, before the connection is made).
    const std::string& RemoteAddress() const { return remoteAddressText_; }
    // True while the connection runs over TLS.
    bool Encrypted() const { return tls_ != nullptr; }
    // True when its TLS handshake resumed an earlier connection's session with the server.
    bool TlsResumed() const;
    // The SHA-256 fingerprint ("AB:CD:...") of the certificate the server showed at the last
    // TLS handshake, also when it was refused: the one to show the user who may trust it.
    const std::string& PeerFingerprint() const { return peerFingerprint_; }
    std::uint16_t Port() const { return port_; }
    bool isOpen() const { return fd_ >= 0; }
    bool Canceled() const { return canceled_; }
    // Replaces the system resolver used for host names (tests, so that no lookup leaves the
    // machine). Dotted addresses are never looked up.
    void setHostResolver(HostResolver resolver) { resolver_ = std::move(resolver); }

    // Resolves the server and creates the socket (the connection itself is made by the connect
    // step of the protocols' Login). Fires OnOpen first. Raises 57002 for an empty Server, the
    // lookup's socket error ("[11001] Host not found"), or a time-out or cancel of the lookup.
    virtual void Open();
    // Fires OnClosing, closes, fires OnClosed; nothing when no socket is open. Anything still
    // buffered is dropped.
    virtual void Close();
    // Marks the operation canceled, fires OnCancel, abandons a pending lookup and closes. A wait
    // in progress raises ECanceledError at its next test.
    virtual void Cancel();
    // Clears the canceled flag, the time-out, a pending lookup and the stored error, so that a
    // new session can start. The protocols call it when they open and log in.
    virtual void Reset();
    // The first three characters as a decimal number; -1 when they are not one.
    virtual int ReplyCode(std::string_view line) const;

    // Reads one line; stores it without its line end into `line` and returns ReplyCode of it.
    // Raises 57008 without an open socket, ESocketError when the connection closes before the
    // line ends, and as above on time-out or cancel.
    int ReadLine(std::string& line);
    // Reads a possibly multi-line numeric reply ("250-a", "250 b") and returns its first line's
    // code; LastReply holds the last line.
    int ReadReply();
    // The same, keeping every line of the reply in `lines` (EHLO's list of extensions).
    int ReadReplyLines(std::vector<std::string>& lines);
    // Sends `text` and a carriage return and line feed in one write.
    void SendLine(std::string_view text);
    // Appends everything received to `stream` until it ends with CR LF "." CR LF (or the data
    // is a single ".\r\n" line); the end line stays in the stream. Fires OnProgress against
    // `expectedSize` (below 1: Perc -1). A connection closed before the end line raises
    // ESocketError at once. More than `limit` bytes raise ESocketError "The message is too
    // large: ..." and close the connection.
    void ReceiveToStream(std::string& stream, std::int64_t expectedSize,
                         std::int64_t limit = kMaxMessageSize);
    // The same transfer with the byte-stuffing undone as it arrives, into `text` (which may
    // spill to a temporary file); the end line stays. `limit` counts the bytes on the wire. Any
    // failure in the middle closes the connection, since the rest of the data would be taken
    // for replies.
    void ReceiveText(ReceivedText& text, std::int64_t expectedSize, std::int64_t limit);
    // Sends the stream's bytes from its start, through `stuffer` when given, firing OnProgress
    // with the share of the stream sent, then once with 0 and 0.
    void SendStream(std::istream& stream, DotStuffer* stuffer = nullptr);

  protected:
    // The service looked up for the port when Server names none ("pop3", "smtp").
    std::string ServiceName;

    // The connect step of the protocols: connects to the resolved addresses and port, waiting
    // with events; the next address is tried when one fails, or alongside when it has not
    // answered within kNextAddressDelay; the first to connect is kept. When every address fails
    // the last error is raised. With Options.security Tls the TLS handshake follows.
    void connectToServer();
    // The TLS handshake over the connection (implicit TLS, or after STLS / STARTTLS): anything
    // received before it is dropped; a certificate that does not verify, unless its fingerprint
    // is Options.trustedFingerprint, raises ESocketError "The certificate of HOST is not
    // trusted: REASON (SHA-256 fingerprint ...)", a failed handshake "The TLS handshake with
    // HOST failed: REASON"; both close the connection.
    void startTls();
    // The host part of Server (brackets removed), as the certificate must name it.
    const std::string& HostName() const { return host_; }

    // The error path: OnError may change the text; 10054 closes the socket first. Code 0 does
    // nothing. Numbered texts (57002 ...) go through here too.
    void raiseSocketError(int code);
    [[noreturn]] void raiseTimedOut();
    [[noreturn]] void raiseCanceled();
    // Raises EServerError with the reply line, after OnError has seen it (it may not change it).
    [[noreturn]] void raiseServerError(const std::string& reply);
    // A server that broke the conversation's bounds: OnError may change the text; the socket
    // is closed and ESocketError raised.
    [[noreturn]] void raiseProtocolError(const std::string& text);
    // A refusal of the client's own (a password not to be sent in clear, STARTTLS not offered):
    // OnError may change the text; ESocketError is raised and the connection stays, so the
    // session can still end with QUIT.
    [[noreturn]] void raiseRefusal(const std::string& text);
    // Starts the deadline of one command or transfer: the time-out plus `bytes` at the minimum
    // transfer rate, counted from now. Every wait until the operation ends checks it.
    void startDeadline(std::int64_t bytes);
    void stopDeadline() { deadlineRunning_ = false; }
    // Raises 57008 unless a socket is open.
    void requireOpen();
    // SendStream over any source of `size` bytes: `read` fills a block from the start on and
    // returns how many bytes it gave (fewer than asked only at the end).
    void sendBlocks(std::int64_t size, const std::function<std::size_t(char*, std::size_t)>& read,
                    DotStuffer* stuffer);
    // Lets pending events run and raises when the user canceled meanwhile.
    void letEventsRun();
    // Raises "[10037] Operation already in progress" when called from an event handler that
    // runs inside one of this socket's waits.
    void refuseNestedOperation();

    platform::EventLoop& eventLoop() { return events_; }

  private:
    void fire(const TmsNotifyEvent& handler);
    void stopClocks();
    bool deadlinePassed() const;
    int readLineWithin(std::string& line);
    int readReply(std::vector<std::string>* lines);
    [[noreturn]] void raiseTooLarge(std::int64_t limit, std::int64_t expectedSize);
    void runEvents(bool throttled);
    void closeSocket();
    // One round of waiting for `pollEvents`: events, the cancel and time-out tests, then a
    // short poll. Returns the poll result bits (0 when nothing happened yet).
    short waitRound(short pollEvents);
    // Receives what is available (at most `capacity` bytes). Returns the number of bytes, 0
    // when nothing is there yet; a closed or broken connection raises.
    std::size_t receiveSome(char* into, std::size_t capacity);
    void sendAll(std::string_view bytes);
    void resolveHost(const std::string& host);
    std::uint16_t findPort();
    std::size_t receiveTls(char* into, std::size_t capacity);
    void sendTls(std::string_view bytes);

    platform::EventLoop& events_;
    const platform::Clock& clock_;
    TTimeCounter counter_;
    platform::Milliseconds deadline_{0};
    bool deadlineRunning_ = false;
    platform::ThrottledEvents throttle_;
    std::string scratch_;  // receive buffer
    HostLookup lookup_;
    HostResolver resolver_ = resolveWithSystem;
    internal::InputBuffer input_;
    int fd_ = -1;
    std::unique_ptr<internal::TlsSession> tls_;
    std::string peerFingerprint_;
    bool canceled_ = false;
    bool inEvents_ = false;  // events run inside one of this socket's waits
    std::string host_;
    std::vector<SocketAddress> addresses_;
    std::string remoteAddressText_;
    std::uint16_t port_ = 0;
    std::string localHostName_;
};

}  // namespace velmora::net
