// A mail server played from a script on 127.0.0.1, for conversation tests of the clients: each
// script line says what the server sends or what the client must send next.
//
//   "S: text"   the server sends text and CR LF
//   "R: bytes"  the server sends the bytes as they are (write \r\n yourself)
//   "C: text"   the client's next line must be exactly this
//   "C~ text"   the client's next line must begin with this
//   "DATA"      reads the client's data through its CR LF "." CR LF line into data()
//   "CLOSE"     closes the connection; "RESET" resets it (the client sees ECONNRESET)
//   "ACCEPT"    closes the connection (if open) and accepts the next one
//   "SLEEP ms"  pauses
//   "HOLD"      keeps the connection open, sending nothing, until the client closes it
//   "FLOOD bytes"     sends the bytes (escaped as for "R: ") again and again until the client
//                     closes the connection or stops reading (at most kFloodLimit in all)
//   "DRIP ms bytes"   sends the bytes one at a time, `ms` milliseconds apart, until they are
//                     gone or the client has closed the connection
//
// The server runs on its own thread with real time limits, so a faulty client cannot hang a
// test. With `oneByteAtATime` every byte goes out in a segment of its own, which flushes out
// buffer-boundary faults in the client.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace velmora::testing {

class ScriptedServer {
  public:
    explicit ScriptedServer(std::vector<std::string> script, bool oneByteAtATime = false);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    std::uint16_t port() const { return port_; }
    // "127.0.0.1:<port>", the client's server text.
    std::string address() const;

    // Waits for the script to end and the client to close (a few seconds at most), then returns
    // what went wrong, one problem per line: a client line that differed from the script, a
    // script step the client never reached, a line the client sent after the script ended.
    // Empty when the conversation went exactly as scripted. Close the client first.
    std::string finish();
    // Every line the client sent, in order (complete after finish()).
    std::vector<std::string> received() const;
    // The raw data of each DATA step, as it came over the wire (still byte-stuffed).
    std::vector<std::string> data() const;

  private:
    void run();
    void problem(const std::string& text);

    std::vector<std::string> script_;
    bool oneByteAtATime_;
    int listener_ = -1;
    std::uint16_t port_ = 0;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::vector<std::string> problems_;
    std::vector<std::string> received_;
    std::vector<std::string> data_;
};

}  // namespace velmora::testing
