// SHA-256 of bytes fed in pieces, through OpenSSL's EVP digests (which use the processor's
// SHA instructions where it has them).
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace velmora::cli {

class Sha256 {
  public:
    // Throws std::runtime_error when OpenSSL cannot set up the digest.
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void update(std::string_view bytes);
    // The digest of everything fed, as 64 lower-case hexadecimal digits. Ends the digest: call
    // it once.
    std::string hexDigest();

  private:
    struct Context;
    std::unique_ptr<Context> context_;
};

}  // namespace velmora::cli
