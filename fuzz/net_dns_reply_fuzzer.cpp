// Feeds arbitrary bytes to the DNS reply reader as a reply to an MX query: the header, every
// name offset and the MX records. Any read outside the reply is caught by the sanitizers; the
// checks below pin what the reader promises about what it returns.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "net/dns_packet.h"

using namespace velmora::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view reply(reinterpret_cast<const char*>(data), size);
    const auto header = readDnsHeader(reply);
    if (header.has_value() != (size >= kDnsHeaderSize)) std::abort();

    for (const MxRecord& record : readMxRecords(reply)) {
        if (record.exchange.size() > kDnsMaxNameLength) std::abort();
        if (mxEntryText(record).size() != 6 + record.exchange.size()) std::abort();
    }
    // Names may start anywhere in a reply (pointers): try every offset of a short one.
    const std::size_t offsets = size < 512 ? size : 512;
    for (std::size_t offset = 0; offset < offsets; ++offset) {
        std::size_t end = 0;
        const auto name = readDnsName(reply, offset, &end);
        if (name && (end <= offset || end > size || name->size() > kDnsMaxNameLength)) std::abort();
    }
    return 0;
}
