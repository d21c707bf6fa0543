#include "net/idna.h"

#include <unicode/uidna.h>

#include <algorithm>
#include <memory>

namespace velmora::net {

namespace {

bool isAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

struct IdnaCloser {
    void operator()(UIDNA* idna) const { uidna_close(idna); }
};

// One converter for every name: ICU's UTS #46 object is safe to share between threads (host
// lookups run on their own threads).
const UIDNA* converter() {
    static const std::unique_ptr<UIDNA, IdnaCloser> idna = [] {
        UErrorCode error = U_ZERO_ERROR;
        UIDNA* opened = uidna_openUTS46(UIDNA_NONTRANSITIONAL_TO_ASCII | UIDNA_USE_STD3_RULES |
                                            UIDNA_CHECK_BIDI | UIDNA_CHECK_CONTEXTJ,
                                        &error);
        return std::unique_ptr<UIDNA, IdnaCloser>(U_SUCCESS(error) ? opened : nullptr);
    }();
    return idna.get();
}

}  // namespace

std::optional<std::string> asciiDomainName(std::string_view domain) {
    if (isAscii(domain)) return std::string(domain);
    const UIDNA* idna = converter();
    // The DNS limits a name to 253 octets; a longer input could not give a valid name anyway.
    constexpr std::size_t kMaxInput = 1024;
    if (!idna || domain.size() > kMaxInput) return std::nullopt;
    std::string out(256, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode error = U_ZERO_ERROR;
        UIDNAInfo info = UIDNA_INFO_INITIALIZER;
        const int length =
            uidna_nameToASCII_UTF8(idna, domain.data(), static_cast<int>(domain.size()), out.data(),
                                   static_cast<int>(out.size()), &info, &error);
        if (error == U_BUFFER_OVERFLOW_ERROR && attempt == 0) {
            out.assign(static_cast<std::size_t>(length) + 1, '\0');
            continue;
        }
        if (U_FAILURE(error) || info.errors != 0) return std::nullopt;
        out.resize(static_cast<std::size_t>(length));
        return out;
    }
    return std::nullopt;
}

std::string addressWithAsciiDomain(std::string_view address) {
    const std::size_t at = address.rfind('@');
    if (at == std::string_view::npos) return std::string(address);
    const auto domain = asciiDomainName(address.substr(at + 1));
    if (!domain) return std::string(address);
    return std::string(address.substr(0, at + 1)) + *domain;
}

}  // namespace velmora::net
