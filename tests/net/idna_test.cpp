#include "net/idna.h"

#include <gtest/gtest.h>

namespace velmora::net {
namespace {

TEST(Idna, DomainsBeyondAsciiTakeTheirAsciiForm) {
    struct Case {
        const char* rule;
        std::string domain;
        std::optional<std::string> ascii;
    } cases[] = {
        {"an ASCII name stays as written", "Mail.Example.TEST", "Mail.Example.TEST"},
        {"one label beyond ASCII", "bücher.example", "xn--bcher-kva.example"},
        {"capitals are mapped first", "BÜCHER.example", "xn--bcher-kva.example"},
        {"every label of another script", "日本語.jp", "xn--wgv71a119e.jp"},
        {"a sharp s stays (non-transitional)", "faß.de", "xn--fa-hia.de"},
        {"bytes that are not UTF-8",
         "b\xFC"
         "cher.example",
         std::nullopt},
        {"a label over 63 octets", std::string(64, 'a') + ".ü.example", std::nullopt},
        {"a control character", "\xC3\xBC\xC2\x80.example", std::nullopt},
        {"a space (host names are letters, digits and hyphens)", "ü b.example", std::nullopt},
    };
    for (const Case& c : cases) EXPECT_EQ(asciiDomainName(c.domain), c.ascii) << c.rule;
}

TEST(Idna, AnAddressKeepsItsLocalPartAndGetsItsDomainInAsciiForm) {
    EXPECT_EQ(addressWithAsciiDomain("jörg@bücher.example"), "jörg@xn--bcher-kva.example");
    EXPECT_EQ(addressWithAsciiDomain("a@b@bücher.example"), "a@b@xn--bcher-kva.example");
    EXPECT_EQ(addressWithAsciiDomain("bücher"), "bücher");
    EXPECT_EQ(addressWithAsciiDomain("x@b\xFC.example"), "x@b\xFC.example");
}

}  // namespace
}  // namespace velmora::net
