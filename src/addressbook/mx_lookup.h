// Asking whether a domain has mail exchangers, for address verification: a small interface so
// that tests can answer for the DNS, and the real one over net::TMXResolver.
#pragma once

#include <string>

#include "net/mx_resolver.h"
#include "platform/dialogs.h"

namespace velmora::addressbook {

class MxLookup {
  public:
    struct Answer {
        bool answered = false;  // a DNS server answered (a name that does not exist counts)
        int mxCount = 0;
    };
    virtual ~MxLookup() = default;
    virtual Answer lookup(const std::string& domain) = 0;
};

// The DNS servers of the settings ("other.cfg"), asked in turn, each at most three seconds.
class ResolverMxLookup final : public MxLookup {
  public:
    ResolverMxLookup(platform::Dialogs& dialogs, const std::string& dnsServers);
    Answer lookup(const std::string& domain) override;
    net::TMXResolver& resolver() { return resolver_; }

  private:
    net::TMXResolver resolver_;
};

// The domain an address line is checked by: the address is taken out of a line like
// "Name" <a@b.com>, and the domain is what follows its last "@" (the whole address without one).
std::string verificationDomain(const std::string& line);

}  // namespace velmora::addressbook
