// What a server says it can do: the lines of a POP3 CAPA reply (RFC 2449) or of an SMTP EHLO
// reply (RFC 5321, the greeting line first), and the challenges of an AUTH exchange. Plain
// functions over text that never fail on odd input: an unknown or garbled line offers nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::net {

class Capabilities {
  public:
    // A server offers at most this many entries; further lines are ignored (a hostile reply).
    static constexpr std::size_t kMaxEntries = 200;

    Capabilities() = default;
    // POP3: each line a capability ("STLS", "SASL PLAIN LOGIN", "TOP").
    static Capabilities fromCapaLines(const std::vector<std::string>& lines);
    // SMTP: each reply line "250-SIZE 1000" or "250 AUTH PLAIN"; the first (the greeting of
    // EHLO) is skipped.
    static Capabilities fromEhloLines(const std::vector<std::string>& lines);

    // True when a line's first word is `keyword` (any case).
    bool offers(std::string_view keyword) const;
    // The words after `keyword` on its line, upper-cased ("SASL PLAIN LOGIN" gives PLAIN and
    // LOGIN; for SMTP also the old form "AUTH=PLAIN").
    std::vector<std::string> parameters(std::string_view keyword) const;
    // True when the SASL mechanism is listed (POP3 "SASL", SMTP "AUTH").
    bool offersMechanism(std::string_view mechanism) const;
    // SMTP SIZE: the largest message the server accepts; 0 when it names no limit (or SIZE is
    // not offered, or its number is garbled).
    std::int64_t sizeLimit() const;
    bool empty() const { return entries_.empty(); }

  private:
    // Each entry: the upper-cased keyword, then its parameters.
    std::vector<std::vector<std::string>> entries_;
};

// The text of an AUTH challenge line ("334 VXNlcm5hbWU6" for SMTP, "+ VXNlcm5hbWU6" for POP3)
// decoded from base64 ("Username:"); nullopt when the line is no challenge or not base64.
std::optional<std::string> authChallenge(std::string_view line);

// The APOP timestamp of a POP3 greeting ("<1896.697170952@dbc.mit.edu>", brackets included);
// empty when the greeting offers none.
std::string apopTimestamp(std::string_view greeting);

}  // namespace velmora::net
