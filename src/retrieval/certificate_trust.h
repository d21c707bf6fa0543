// Trusting a server certificate that did not verify, for retrieval and sending alike: the user
// sees why the connection refused it and its SHA-256 fingerprint, and may trust that one
// certificate for the profile's POP3 or SMTP server. The fingerprint is kept in the profile
// (record and file) and checked at every later connection, so a changed certificate is refused
// and asked about again.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "platform/platform.h"
#include "profiles/profile_lists.h"

namespace velmora::retrieval {

enum class TrustedServer { Pop3, Smtp };

// True when `error` is the refusal of a certificate with this fingerprint (the one connection
// errors that trusting can mend).
bool isCertificateRefusal(const std::string& error, const std::string& fingerprint);

// After a beep, asks whether to trust the certificate ("Trust this certificate for the POP3
// server of the profile NAME? ..."; No is the default). On Yes the fingerprint is stored in the
// profile named `profileName` and its file is written (a failed write is warned about; the
// fingerprint still holds for this run) and returned, for the client's next attempt. nullopt
// when `error` is no certificate refusal or the answer was No.
std::optional<std::string> askToTrustCertificate(platform::Platform& platform,
                                                 const std::filesystem::path& home,
                                                 profiles::ProfileLists& profiles,
                                                 const std::string& profileName,
                                                 TrustedServer server, const std::string& error,
                                                 const std::string& fingerprint);

}  // namespace velmora::retrieval
