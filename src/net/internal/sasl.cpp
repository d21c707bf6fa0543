#include "net/internal/sasl.h"

#include <openssl/evp.h>

#include "mime/base64.h"

namespace velmora::net::internal {

std::string base64Of(std::string_view text) {
    std::string out;
    mime::appendBase64(text, out);
    return out;
}

std::string saslPlainResponse(std::string_view user, std::string_view password) {
    std::string message;
    message.push_back('\0');
    message.append(user);
    message.push_back('\0');
    message.append(password);
    return base64Of(message);
}

std::string apopDigest(std::string_view timestamp, std::string_view password) {
    std::string input(timestamp);
    input.append(password);
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (EVP_Digest(input.data(), input.size(), digest, &size, EVP_md5(), nullptr) != 1) return {};
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (unsigned int i = 0; i < size; ++i) {
        text.push_back(kHex[digest[i] >> 4]);
        text.push_back(kHex[digest[i] & 0x0F]);
    }
    return text;
}

}  // namespace velmora::net::internal
