#include "addressbook/mx_lookup.h"

#include "base/text.h"
#include "mime/address.h"
#include "net/dns_packet.h"

namespace velmora::addressbook {

ResolverMxLookup::ResolverMxLookup(platform::Dialogs& dialogs, const std::string& dnsServers)
    : resolver_(dialogs) {
    resolver_.setAlternativeDNS(dnsServers);
}

MxLookup::Answer ResolverMxLookup::lookup(const std::string& domain) {
    Answer answer;
    if (domain.empty()) {
        answer.answered = true;  // nothing to ask: no exchanger
        return answer;
    }
    net::TDNSResultSet query;
    query.Name = domain;
    query.QueryType = net::kDnsTypeMX;
    query.QueryClass = net::kDnsClassIN;
    resolver_.Query(query);
    // A reply without an answer marker is an error answer (a name that does not exist): the
    // server answered, the domain has no exchanger. No reply at all: no server answered.
    answer.answered = !query.Answer.empty();
    if (!query.AnswerMarker.empty())
        answer.mxCount = static_cast<int>(net::readMxRecords(query.Answer).size());
    return answer;
}

std::string verificationDomain(const std::string& line) {
    std::string address = mime::ParseMailAddress(trimmed(line)).Address();
    if (address.empty()) address = std::string(trimmed(line));
    const std::size_t at = address.rfind('@');
    return at == std::string::npos ? address : address.substr(at + 1);
}

}  // namespace velmora::addressbook
