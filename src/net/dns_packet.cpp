#include "net/dns_packet.h"

#include <cctype>
#include <cstdio>

namespace velmora::net {

namespace {

constexpr std::size_t kMaxLabelLength = 63;

void putUint16(std::string& out, std::uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value & 0xFF));
}

std::uint16_t getUint16(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(bytes[offset]) << 8) |
                                      static_cast<unsigned char>(bytes[offset + 1]));
}

void putLabels(std::string& out, std::string_view name) {
    std::size_t start = 0;
    while (start <= name.size()) {
        std::size_t dot = name.find('.', start);
        if (dot == std::string_view::npos) dot = name.size();
        std::string_view label = name.substr(start, dot - start);
        if (label.size() > kMaxLabelLength) label = label.substr(0, kMaxLabelLength);
        if (!label.empty()) {
            out.push_back(static_cast<char>(label.size()));
            for (char c : label)
                out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
        start = dot + 1;
    }
}

// Skips a name in place (without following pointers); nullopt when it leaves the reply.
std::optional<std::size_t> skipDnsName(std::string_view reply, std::size_t offset) {
    while (offset < reply.size()) {
        const auto length = static_cast<unsigned char>(reply[offset]);
        if (length == 0) return offset + 1;
        if (length >= 0xC0) {
            if (offset + 2 > reply.size()) return std::nullopt;
            return offset + 2;
        }
        if (length > kMaxLabelLength) return std::nullopt;  // 0x40 and 0x80 forms are unused
        offset += 1 + length;
    }
    return std::nullopt;
}

bool isPlainHostName(std::string_view name) {
    if (name.empty()) return false;
    for (char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F) return false;
    }
    return true;
}

}  // namespace

std::string buildDnsQuery(std::string_view name, std::uint16_t identifier, std::uint16_t type) {
    std::string packet;
    packet.reserve(kDnsHeaderSize + name.size() + 20);
    putUint16(packet, identifier);
    putUint16(packet, 0x0100);
    putUint16(packet, 1);
    putUint16(packet, 0);
    putUint16(packet, 0);
    putUint16(packet, 0);
    putLabels(packet, name);
    if (type == kDnsTypePTR) putLabels(packet, "in-addr.arpa");
    packet.push_back('\0');
    putUint16(packet, type);
    putUint16(packet, kDnsClassIN);
    return packet;
}

std::optional<DnsHeader> readDnsHeader(std::string_view reply) {
    if (reply.size() < kDnsHeaderSize) return std::nullopt;
    DnsHeader header;
    header.identifier = getUint16(reply, 0);
    header.flags = getUint16(reply, 2);
    header.questionCount = getUint16(reply, 4);
    header.answerCount = getUint16(reply, 6);
    header.nameServerCount = getUint16(reply, 8);
    header.additionalCount = getUint16(reply, 10);
    return header;
}

std::optional<std::string> readDnsName(std::string_view reply, std::size_t offset,
                                       std::size_t* end) {
    std::string name;
    bool jumped = false;
    int jumps = 0;
    for (;;) {
        if (offset >= reply.size()) return std::nullopt;
        const auto length = static_cast<unsigned char>(reply[offset]);
        if (length == 0) {
            if (!jumped && end) *end = offset + 1;
            break;
        }
        if (length >= 0xC0) {
            if (offset + 2 > reply.size()) return std::nullopt;
            const std::size_t target = getUint16(reply, offset) & 0x3FFF;
            // Only backwards: a pointer to itself or ahead could loop or read unchecked data.
            if (target >= offset || ++jumps > kDnsMaxPointerJumps) return std::nullopt;
            if (!jumped && end) *end = offset + 2;
            jumped = true;
            offset = target;
            continue;
        }
        if (length > kMaxLabelLength || offset + 1 + length > reply.size()) return std::nullopt;
        if (!name.empty()) name.push_back('.');
        name.append(reply.substr(offset + 1, length));
        if (name.size() > kDnsMaxNameLength) return std::nullopt;
        offset += 1 + length;
    }
    return name;
}

MxReply readMxReply(std::string_view reply) {
    MxReply result;
    const auto header = readDnsHeader(reply);
    if (!header || header->truncated()) {
        result.malformed = true;
        return result;
    }
    std::size_t offset = kDnsHeaderSize;
    for (int i = 0; i < header->questionCount; ++i) {
        const auto next = skipDnsName(reply, offset);
        if (!next || *next + 4 > reply.size()) {
            result.malformed = true;
            return result;
        }
        offset = *next + 4;
    }
    for (int i = 0; i < header->answerCount; ++i) {
        const auto next = skipDnsName(reply, offset);
        // Type, class, time to live and data length follow the owner name.
        if (!next || *next + 10 > reply.size()) {
            result.malformed = true;
            break;
        }
        const std::uint16_t type = getUint16(reply, *next);
        const std::uint16_t klass = getUint16(reply, *next + 2);
        const std::uint16_t dataLength = getUint16(reply, *next + 8);
        const std::size_t data = *next + 10;
        if (data + dataLength > reply.size()) {
            result.malformed = true;
            break;
        }
        offset = data + dataLength;
        if (type != kDnsTypeMX || klass != kDnsClassIN) continue;
        if (dataLength < 3) {
            result.malformed = true;
            break;
        }
        // The exchange must start inside this record's data; pointers may lead back from it.
        const std::string_view record = reply.substr(0, data + dataLength);
        auto exchange = readDnsName(record, data + 2);
        if (!exchange) {
            result.malformed = true;
            break;
        }
        if (!isPlainHostName(*exchange)) continue;
        result.records.push_back({getUint16(reply, data), std::move(*exchange)});
    }
    return result;
}

std::vector<MxRecord> readMxRecords(std::string_view reply) {
    return readMxReply(reply).records;
}

std::string mxEntryText(const MxRecord& record) {
    char preference[8];
    std::snprintf(preference, sizeof preference, "%05u", static_cast<unsigned>(record.preference));
    return std::string(preference) + " " + record.exchange;
}

}  // namespace velmora::net
