// Feeds arbitrary bytes to the readers of what a server says it can do: POP3 CAPA lists, SMTP
// EHLO lists (AUTH, AUTH=, SIZE), AUTH challenges in base64 and the APOP timestamp of a
// greeting. Checks the bounds they promise.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "base/text_file.h"
#include "net/capabilities.h"

using namespace velmora::net;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = velmora::splitLines(bytes);

    for (const Capabilities& listed :
         {Capabilities::fromCapaLines(lines), Capabilities::fromEhloLines(lines)}) {
        for (const char* keyword :
             {"STLS", "STARTTLS", "SASL", "AUTH", "SIZE", "UIDL", "PIPELINING"}) {
            listed.offers(keyword);
            for (const std::string& word : listed.parameters(keyword))
                if (word.empty() || word.find(' ') != std::string::npos) std::abort();
        }
        listed.offersMechanism("PLAIN");
        listed.offersMechanism("LOGIN");
        if (listed.sizeLimit() < 0) std::abort();
    }
    for (const std::string& line : lines) {
        if (const auto challenge = authChallenge(line)) {
            // base64 never gives more bytes than three for every four characters.
            if (challenge->size() > line.size()) std::abort();
        }
        const std::string stamp = apopTimestamp(line);
        if (!stamp.empty() && (stamp.front() != '<' || stamp.back() != '>' ||
                               stamp.find('@') == std::string::npos || stamp.size() > line.size()))
            std::abort();
    }
    return 0;
}
