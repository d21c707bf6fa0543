// One DNS question asked of the configured servers in turn over UDP (or TCP), each given at most
// three seconds. The servers are not discovered from the system: the caller lists them in
// AlternativeDNS ("10.0.0.1 10.0.0.2", or a name; "127.0.0.1:5353" asks another port than 53).
// The query blocks its caller while it waits; it never throws.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialogs.h"

namespace velmora::net {

inline constexpr std::uint16_t kDnsPort = 53;
// How long one server may take to answer before the next one is asked.
inline constexpr std::chrono::milliseconds kDnsServerWait{3000};

// One question and what came back.
struct TDNSResultSet {
    std::string Name;              // the name asked for (lower-cased by Query)
    std::string AnswerMarker;      // the server text that answered; empty while none has
    std::uint16_t QueryType = 15;  // 15 MX, 12 reverse lookup
    std::uint16_t QueryClass = 1;
    std::string Answer;  // the raw reply of the last server asked
};

class TDNSQuery {
  public:
    explicit TDNSQuery(platform::Dialogs& dialogs) : dialogs_(dialogs) {}
    virtual ~TDNSQuery() = default;

    bool UseUDP = true;
    // The servers to ask, in order. Setting AlternativeDNS appends to it.
    std::vector<std::string> FoundDNSServers;
    // How long each server may take (three seconds; tests shorten it).
    std::chrono::milliseconds ServerWait = kDnsServerWait;

    const char* ReleaseDate() const { return "2001-05-15"; }
    const std::string& AlternativeDNS() const { return alternativeDNS_; }
    // A text that is not empty and differs from the current one is stored and split into server
    // texts appended to FoundDNSServers (the list is not cleared): each piece ends at the first
    // space or, in a text without spaces, at the first comma. Empty pieces are skipped.
    void setAlternativeDNS(const std::string& servers);

    // Counts from the header of the last answer; 0 when no server answered.
    int QuestionCount() const { return questionCount_; }
    int AnswerCount() const { return answerCount_; }
    int NameServerCount() const { return nameServerCount_; }
    int ResourceRecordsCount() const { return resourceRecordsCount_; }

    // Asks each server in turn until one answers: a reply counts only when it comes from the
    // server asked, carries the identifier sent (a fresh random one per server), is a response
    // with response code 0, and holds more than 3 bytes. Unreachable or silent servers and error
    // answers are skipped. Without any server a warning box "Fatal DNS Error" says so and nothing
    // is asked.
    void Query(TDNSResultSet& result);

  private:
    platform::Dialogs& dialogs_;
    std::string alternativeDNS_;
    int questionCount_ = 0;
    int answerCount_ = 0;
    int nameServerCount_ = 0;
    int resourceRecordsCount_ = 0;
};

}  // namespace velmora::net
