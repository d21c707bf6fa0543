#include "net/mx_resolver.h"

#include <algorithm>

#include "net/dns_packet.h"

namespace velmora::net {

bool TMXResolver::Resolve(const std::string& domain, std::vector<std::string>& list) {
    list.clear();
    malformed_ = false;
    answeredBy_.clear();
    if (domain.empty()) return false;
    TDNSResultSet query;
    query.Name = domain;
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
