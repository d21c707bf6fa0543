#include "net/dns_query.h"

#include <algorithm>
#include <cctype>
#include <random>

#include "net/dns_packet.h"
#include "net/internal/dns_socket.h"

namespace velmora::net {

namespace {

// A fresh unpredictable identifier for every packet, so that a forged reply has to guess it.
std::uint16_t randomIdentifier() {
    std::random_device source;
    return static_cast<std::uint16_t>(source() & 0xFFFF);
}

std::uint16_t identifierOf(std::string_view packet) {
    return static_cast<std::uint16_t>((static_cast<unsigned char>(packet[0]) << 8) |
                                      static_cast<unsigned char>(packet[1]));
}

bool isAnswer(std::string_view reply) {
    const auto header = readDnsHeader(reply);
    return header && header->isResponse() && header->responseCode() == 0;
}

}  // namespace

void TDNSQuery::setAlternativeDNS(const std::string& servers) {
    if (servers.empty() || servers == alternativeDNS_) return;
    alternativeDNS_ = servers;
    std::string_view rest = servers;
    while (!rest.empty()) {
        std::size_t end = rest.find(' ');
        if (end == std::string_view::npos) end = rest.find(',');
        const std::string_view piece = rest.substr(0, end);
        if (!piece.empty()) FoundDNSServers.emplace_back(piece);
        if (end == std::string_view::npos) break;
        rest.remove_prefix(end + 1);
    }
}

void TDNSQuery::Query(TDNSResultSet& result) {
    if (FoundDNSServers.empty()) {
        dialogs_.messageBox({platform::MessageKind::Warning, "Fatal DNS Error",
                             "Could not find DNS Server entries in registry!",
                             platform::Buttons::Ok, platform::Answer::Ok});
        return;
    }
    std::transform(result.Name.begin(), result.Name.end(), result.Name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    result.AnswerMarker.clear();
    result.Answer.clear();
    for (const std::string& serverText : FoundDNSServers) {
        result.Answer.clear();
        const std::string packet = buildDnsQuery(result.Name, randomIdentifier(), result.QueryType);
        const std::uint16_t identifier = identifierOf(packet);
        const auto server = internal::parseDnsServerText(serverText, kDnsPort);
        const auto reply = internal::exchangeDnsMessage(
            server, UseUDP, packet, ServerWait, [identifier](std::string_view bytes) {
                return bytes.size() >= 2 && identifierOf(bytes) == identifier;
            });
        if (!reply) continue;
        result.Answer = *reply;
        if (reply->size() > 3 && isAnswer(*reply)) {
            result.AnswerMarker = serverText;
            break;
        }
    }
    const auto header = result.AnswerMarker.empty() ? std::nullopt : readDnsHeader(result.Answer);
    questionCount_ = header ? header->questionCount : 0;
    answerCount_ = header ? header->answerCount : 0;
    nameServerCount_ = header ? header->nameServerCount : 0;
    resourceRecordsCount_ = header ? header->additionalCount : 0;
}

}  // namespace velmora::net
