#include "cli/sha256.h"

#include <openssl/evp.h>

#include <stdexcept>

namespace velmora::cli {

struct Sha256::Context {
    EVP_MD_CTX* digest = EVP_MD_CTX_new();
    ~Context() { EVP_MD_CTX_free(digest); }
};

Sha256::Sha256() : context_(std::make_unique<Context>()) {
    if (!context_->digest || EVP_DigestInit_ex(context_->digest, EVP_sha256(), nullptr) != 1) {
        throw std::runtime_error("SHA-256 is not available");
    }
}

Sha256::~Sha256() = default;

void Sha256::update(std::string_view bytes) {
    if (EVP_DigestUpdate(context_->digest, bytes.data(), bytes.size()) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
}

std::string Sha256::hexDigest() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context_->digest, digest, &length) != 1) {
        throw std::runtime_error("SHA-256 failed");
    }
    constexpr char kHex[] = "0123456789abcdef";
    std::string hex;
    hex.reserve(length * 2);
    for (unsigned int i = 0; i < length; ++i) {
        hex += kHex[digest[i] >> 4];
        hex += kHex[digest[i] & 15];
    }
    return hex;
}

}  // namespace velmora::cli
