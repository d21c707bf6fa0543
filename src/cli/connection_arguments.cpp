#include "cli/connection_arguments.h"

#include "base/text.h"

namespace velmora::cli {

namespace {

bool authMethodNamed(const std::string& name, net::AuthMethod& method) {
    const struct {
        const char* name;
        net::AuthMethod method;
    } kMethods[] = {{"user", net::AuthMethod::UserPass},
                    {"plain", net::AuthMethod::Plain},
                    {"login", net::AuthMethod::Login},
                    {"apop", net::AuthMethod::Apop}};
    for (const auto& entry : kMethods) {
        if (equalsNoCase(name, entry.name)) {
            method = entry.method;
            return true;
        }
    }
    return false;
}

}  // namespace

ArgumentUse readConnectionArgument(const std::vector<std::string>& args, std::size_t& i,
                                   net::ConnectionOptions& options, std::string& error) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--tls" || arg == "--starttls") {
        options.security = arg == "--tls" ? net::Security::Tls : net::Security::StartTls;
        return ArgumentUse::Used;
    }
    if (arg == "--allow-plain-password") {
        options.allowPlainTextPassword = true;
        return ArgumentUse::Used;
    }
    if (arg != "--auth" && arg != "--ca" && arg != "--trust") return ArgumentUse::NotMine;
    if (!hasValue) {
        error = arg + " needs a value";
        return ArgumentUse::Bad;
    }
    const std::string& value = args[++i];
    if (arg == "--ca") {
        options.caFile = value;
    } else if (arg == "--trust") {
        options.trustedFingerprint = value;
    } else if (!authMethodNamed(value, options.auth)) {
        error = "--auth takes user, plain, login or apop, not " + value;
        return ArgumentUse::Bad;
    }
    return ArgumentUse::Used;
}

}  // namespace velmora::cli
