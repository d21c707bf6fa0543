#include "net/mx_resolver.h"

#include <algorithm>

#include "net/dns_packet.h"

namespace velmora::net {

bool TMXResolver::Resolve(const std::string& domain, std::vector<std::string>& list) {
    list.clear();
    if (domain.empty()) return false;
    TDNSResultSet query;
    query.Name = domain;
    query.QueryType = kDnsTypeMX;
    query.QueryClass = kDnsClassIN;
    Query(query);
    if (query.AnswerMarker.empty() || query.Answer.size() <= kDnsHeaderSize) return false;
    for (const MxRecord& record : readMxRecords(query.Answer)) list.push_back(mxEntryText(record));
    std::sort(list.begin(), list.end());
    return true;
}

}  // namespace velmora::net
