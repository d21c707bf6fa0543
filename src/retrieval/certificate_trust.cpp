#include "retrieval/certificate_trust.h"

#include "base/identity.h"
#include "base/text_file.h"

namespace velmora::retrieval {

bool isCertificateRefusal(const std::string& error, const std::string& fingerprint) {
    return !fingerprint.empty() && error.rfind("The certificate of ", 0) == 0;
}

std::optional<std::string> askToTrustCertificate(platform::Platform& platform,
                                                 const std::filesystem::path& home,
                                                 profiles::ProfileLists& profiles,
                                                 const std::string& profileName,
                                                 TrustedServer server, const std::string& error,
                                                 const std::string& fingerprint) {
    if (!isCertificateRefusal(error, fingerprint)) return std::nullopt;
    const char* kind = server == TrustedServer::Pop3 ? "POP3" : "SMTP";
    platform.system.beep();
    const platform::Answer answer = platform.dialogs.question(
        kProductName,
        error + "\r\rTrust this certificate for the " + kind + " server of the profile " +
            profiles::cutName(profileName) +
            "? It is checked again at every connection; a changed certificate is asked about "
            "again.",
        platform::Buttons::YesNo, platform::Answer::No);
    if (answer != platform::Answer::Yes) return std::nullopt;
    if (const auto index = profiles.findName(profileName)) {
        profiles::TUsersObjListBox& record = profiles.record(*index);
        (server == TrustedServer::Pop3 ? record.pop3TrustedCertificate
                                       : record.smtpTrustedCertificate) = fingerprint;
        const auto file = profiles::profileFilePath(home, record.profileName);
        if (const auto written = profiles::writeProfileFile(file, record))
            platform.dialogs.warning(kProductName,
                                     "Cannot write " + file.string() + "\r" + errorText(written));
    }
    return fingerprint;
}

}  // namespace velmora::retrieval
