// The DNS query packet the MX resolver sends, and a reader of the reply that never trusts it:
// every length and offset is checked against the reply, compression pointers are followed only
// backwards and a bounded number of times, and records other than MX are skipped.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velmora::net {

inline constexpr std::uint16_t kDnsTypeMX = 15;
inline constexpr std::uint16_t kDnsTypePTR = 12;
inline constexpr std::uint16_t kDnsClassIN = 1;
inline constexpr std::size_t kDnsHeaderSize = 12;
// Replies are read into a buffer of this size; a longer UDP reply is cut by the kernel.
inline constexpr std::size_t kDnsMaxReplySize = 2048;
// A name is at most 255 bytes on the wire; a decoded name longer than that is malformed.
inline constexpr std::size_t kDnsMaxNameLength = 255;
// Bounds the work on a hostile reply whose pointers chain through the whole packet.
inline constexpr int kDnsMaxPointerJumps = 32;

// The query: identifier, flags 0x0100 (recursion desired), one question of `type` and class 1
// for the lower-cased `name` as labels. For type 12 the labels "in-addr" and "arpa" follow the
// name. Empty labels (two dots in a row, a leading or trailing dot) are left out; a label longer
// than 63 bytes is cut to 63, since a length byte above 63 would read as a pointer.
std::string buildDnsQuery(std::string_view name, std::uint16_t identifier,
                          std::uint16_t type = kDnsTypeMX);

struct DnsHeader {
    std::uint16_t identifier = 0;
    std::uint16_t flags = 0;
    std::uint16_t questionCount = 0;
    std::uint16_t answerCount = 0;
    std::uint16_t nameServerCount = 0;
    std::uint16_t additionalCount = 0;

    bool isResponse() const { return (flags & 0x8000) != 0; }
    bool truncated() const { return (flags & 0x0200) != 0; }
    int responseCode() const { return flags & 0x000F; }
};

// The header of a reply; nullopt when it is shorter than 12 bytes.
std::optional<DnsHeader> readDnsHeader(std::string_view reply);

// The name at `offset`, labels joined with "." (no trailing dot). `end` receives the offset
// just after the name where it sits in the packet (after its first pointer, if any). nullopt
// when the name runs outside the reply, jumps forward or too often, or grows too long.
std::optional<std::string> readDnsName(std::string_view reply, std::size_t offset,
                                       std::size_t* end = nullptr);

struct MxRecord {
    std::uint16_t preference = 0;
    std::string exchange;
};

// The MX records of the answer section, in reply order. Questions are skipped by their encoded
// length, whatever the encoding; answer records of other types or classes, and MX records whose
// exchange cannot be read, holds a blank or a control character, or is the root (a "null MX"
// saying the domain takes no mail), are skipped. Reading stops at the first record that does
// not fit in the reply.
std::vector<MxRecord> readMxRecords(std::string_view reply);

// The MX records as above, and whether the reply was whole and well formed. Malformed: a reply
// with the truncated flag set (its record list is cut), a header, question or answer record
// that does not fit in the reply, a data length past its end, or an MX record whose exchange
// cannot be read (a pointer to itself or ahead, a name too long). Such a reply says nothing
// about the domain, so it is not the same as a domain without MX records.
struct MxReply {
    std::vector<MxRecord> records;
    bool malformed = false;
};
MxReply readMxReply(std::string_view reply);

// "00010 mx1.example.com": the preference as five digits, a space and the exchange.
std::string mxEntryText(const MxRecord& record);

}  // namespace velmora::net
