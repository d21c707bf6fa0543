// A profile's choices of how its servers are reached, as the network clients take them: the
// security, the log-in method, the plain-text password choice and a trusted certificate, and
// the server with the port that goes with its security.
#pragma once

#include <string>

#include "net/connection_options.h"
#include "profiles/profile.h"

namespace velmora::retrieval {

net::ConnectionOptions pop3ConnectionOptions(const profiles::TUsersObjListBox& profile);
net::ConnectionOptions smtpConnectionOptions(const profiles::TUsersObjListBox& profile);

// "host:port": the profile's port, else 995 for TLS, else the settings' port.
std::string pop3ServerAddress(const profiles::TUsersObjListBox& profile,
                              const std::string& settingsPort);
// "host:port" of the profile's SMTP server: its port, else 465 for TLS and 587 for STARTTLS,
// else the settings' port.
std::string smtpServerAddress(const profiles::TUsersObjListBox& profile,
                              const std::string& settingsPort);

}  // namespace velmora::retrieval
