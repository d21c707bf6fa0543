// velmora-cli mx DOMAIN --dns SERVER[:PORT]...: the mail exchangers of a domain, as the address
// verification sees them, one "00010 host" entry per line. Exit status 0 when a DNS server
// answered without error (also with no entry), 1 when none did or the answer was truncated or
// malformed (which says nothing about the domain's exchangers).
#include <ostream>

#include "cli/command.h"
#include "net/mx_resolver.h"

namespace velmora::cli {

int runMxCommand(Context& context, const std::vector<std::string>& args) {
    std::string domain;
    std::vector<std::string> servers;
    bool readingServers = false;
    for (const std::string& arg : args) {
        if (arg == "--dns") {
            readingServers = true;
        } else if (arg.rfind("--", 0) == 0) {
            return usageError(context, "mx: unknown option " + arg);
        } else if (readingServers) {
            servers.push_back(arg);
        } else if (domain.empty()) {
            domain = arg;
        } else {
            return usageError(context, "mx takes one domain");
        }
    }
    if (domain.empty()) return usageError(context, "mx needs a domain");
    if (servers.empty()) return usageError(context, "mx needs --dns SERVER[:PORT]");

    net::TMXResolver resolver(context.headless.platform().dialogs);
    for (const std::string& server : servers) resolver.FoundDNSServers.push_back(server);
    std::vector<std::string> entries;
    const bool answered = resolver.Resolve(domain, entries);
    if (resolver.Malformed()) {
        context.err << "velmora-cli: the answer of " << resolver.AnsweredBy() << " for " << domain
                    << " is truncated or malformed\n";
        return 1;
    }
    for (const std::string& entry : entries) context.out << entry << "\n";
    if (!answered) {
        context.err << "velmora-cli: no DNS server answered for " << domain << "\n";
        return 1;
    }
    return 0;
}

}  // namespace velmora::cli
