#include "net/mx_resolver.h"

#include <algorithm>
#include <optional>

#include "net/dns_packet.h"
#include "net/idna.h"

namespace velmora::net {

bool TMXResolver::Resolve(const std::string& domain, std::vector<std::string>& list) {
    list.clear();
    malformed_ = false;
    answeredBy_.clear();
    // The DNS holds a name beyond ASCII in its ASCII form; a name IDNA does not allow has none.
    const std::optional<std::string> name = asciiDomainName(domain);
    if (domain.empty() || !name) return false;
    TDNSResultSet query;
    query.Name = *name;
    query.QueryType = kDnsTypeMX;
    query.QueryClass = kDnsClassIN;
    Query(query);
    answeredBy_ = query.AnswerMarker;
    if (query.AnswerMarker.empty()) return false;
    const MxReply reply = readMxReply(query.Answer);
    if (reply.malformed) {
        malformed_ = true;
        return false;
    }
    if (query.Answer.size() <= kDnsHeaderSize) return false;  // a bare header answers nothing
    for (const MxRecord& record : reply.records) list.push_back(mxEntryText(record));
    std::sort(list.begin(), list.end());
    return true;
}

}  // namespace velmora::net
