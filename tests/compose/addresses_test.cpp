#include "compose/addresses.h"

#include <gtest/gtest.h>

#include "fake_book.h"

namespace velmora::compose {
namespace {

struct SplitCase {
    const char* name;
    const char* text;
    std::vector<std::string> entries;
};

TEST(AddressEntries, SplitAtCommasOutsideQuotes) {
    const SplitCase cases[] = {
        {"plain", "a@x.com, b@x.com", {"a@x.com", "b@x.com"}},
        {"quotedCommaName",
         "\"Lee, Ann\" <ann@x.com>, b@x.com",
         {"\"Lee, Ann\" <ann@x.com>", "b@x.com"}},
        {"singleQuotedAtStart", "'Lee, Ann' <ann@x.com>", {"'Lee, Ann' <ann@x.com>"}},
        {"apostropheInsideAnEntry", "o'brien@x.com, pat@x.com", {"o'brien@x.com", "pat@x.com"}},
        {"unclosedQuoteSwallowsNothing",
         "\"Ann <ann@x.com>, b@x.com",
         {"\"Ann <ann@x.com>", "b@x.com"}},
        {"trailingCommaGivesEmptyLast", "a@x.com,", {"a@x.com", ""}},
        {"leadingBlanksDropped", "   a b@x.com", {"a b@x.com"}},
    };
    for (const auto& c : cases) EXPECT_EQ(splitAddressEntries(c.text), c.entries) << c.name;
}

TEST(AddressEntries, NicknameExpandsToItsEntry) {
    testing::FakeNicknameBook book;
    auto entry = [](std::string nick, std::string full, std::vector<std::string> addresses) {
        compose::AddressBookEntry e;
        e.nickName = std::move(nick);
        e.fullName = std::move(full);
        e.addresses = std::move(addresses);
        return e;
    };
    book.list = {entry("bob", "Bob Stone", {"bob@stone.org"}),
                 entry("team", "", {"a@x.com", "b@x.com"}), entry("ghost", "Casper", {""})};
    EXPECT_EQ(expandAddressField("Bob, ann@x.com", book), "Bob Stone <bob@stone.org>, ann@x.com");
    EXPECT_EQ(expandAddressField(" team ,,", book), "a@x.com, b@x.com");
    EXPECT_EQ(expandAddressField("ghost", book), "Casper <unknown address>");
    EXPECT_EQ(expandAddressField("nobody", book), "nobody");
    EXPECT_EQ(addressLines(expandAddressField("Bob, ann@x.com", book)),
              (std::vector<std::string>{"Bob Stone <bob@stone.org>", "ann@x.com"}));
}

TEST(AddressEntries, CheckFindsTheFirstBadLineInListOrder) {
    EXPECT_FALSE(checkAddressLists({"a@x.com"}, {"b@y.org"}, {}));
    const auto bad = checkAddressLists({"a@x.com"}, {"nobody", "x@localhost"}, {"bad"});
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->list, 1);
    EXPECT_EQ(bad->line, 0);
}

TEST(AddressEntries, EnvelopeRefusesLineBreaksAndBrackets) {
    EXPECT_TRUE(isSafeEnvelopeAddress("ann@x.com"));
    for (const char* bad : {"a@x.com\r\nRCPT TO:<e@vil>", "a@x>", "<a@x", "a\n@x"})
        EXPECT_FALSE(isSafeEnvelopeAddress(bad)) << bad;
    EXPECT_FALSE(isSafeEnvelopeAddress(std::string("a@x\0y", 5)));
    EXPECT_EQ(oneLine(std::string("a\r\nb\0c", 6)), "a  b c");
}

TEST(AddressEntries, MailDomainAfterTheLastAt) {
    EXPECT_EQ(mailDomain("\"a@b\" <ann@mail.x.com>"), "mail.x.com");
    EXPECT_EQ(mailDomain("nobody"), "");
}

}  // namespace
}  // namespace velmora::compose
