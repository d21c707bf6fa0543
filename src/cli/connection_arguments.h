// The connection options of velmora-cli's network commands (pop3, smtp), one parser for both:
//   --tls                   TLS from the first byte (POP3S 995, SMTPS 465 when no port is given)
//   --starttls              plain connection upgraded with STLS / STARTTLS (SMTP port 587)
//   --auth METHOD           user, plain, login or apop
//   --ca FILE               further certificate authorities (PEM) besides the system's
//   --trust SHA256          accept the certificate with this fingerprint although it does not
//                           verify (the fingerprint an earlier refusal printed)
//   --allow-plain-password  send the password over a connection without TLS
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "net/connection_options.h"

namespace velmora::cli {

enum class ArgumentUse { NotMine, Used, Bad };

// Reads args[i] (and its value, moving i past it) into `options` when it is one of the options
// above. Bad: a missing or unknown value, with `error` saying so.
ArgumentUse readConnectionArgument(const std::vector<std::string>& args, std::size_t& i,
                                   net::ConnectionOptions& options, std::string& error);

}  // namespace velmora::cli
