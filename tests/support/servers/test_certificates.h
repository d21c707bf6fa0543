// Certificates for the TLS tests, made by the test itself with the openssl command line in a
// folder of its own (nothing with a private key is checked in): a test CA, and server
// certificates issued by it or by a second CA the client does not know.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace velmora::testing {

struct ServerCertificate {
    std::filesystem::path certificate;  // PEM
    std::filesystem::path key;          // PEM, unencrypted
};

class TestCertificates {
  public:
    // Makes the test CA in `folder`. ok() tells whether openssl did its work; error() why not.
    explicit TestCertificates(std::filesystem::path folder);
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }

    // The test CA's certificate, the file a client is given with --ca.
    const std::filesystem::path& caFile() const { return caCertificate_; }

    enum class Issuer { TestCa, UnknownCa, Itself };
    // A server certificate `name` for `hosts` ("localhost", "127.0.0.1", "::1": DNS or IP
    // entries of the subject alternative name); `expired` makes one valid only in January 2020.
    // Issuer::Itself makes a self-signed one (`expired` does not apply).
    ServerCertificate issue(const std::string& name, const std::vector<std::string>& hosts,
                            Issuer issuer = Issuer::TestCa, bool expired = false);

  private:
    bool makeCa(const std::string& name);
    bool run(const std::string& command);

    std::filesystem::path folder_;
    std::filesystem::path caCertificate_;
    std::string error_;
};

// The SHA-256 fingerprint of a PEM certificate file as openssl prints it ("AB:CD:..."); empty
// when openssl cannot read it.
std::string certificateFingerprint(const std::filesystem::path& certificate);

}  // namespace velmora::testing
