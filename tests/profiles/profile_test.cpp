#include "profiles/profile.h"

#include <gtest/gtest.h>

#include "base/text_file.h"
#include "profiles/password_scrambler.h"
#include "profiles/profile_listing.h"
#include "profiles/profile_lists.h"
#include "support/temp_dir.h"

namespace velmora::profiles {
namespace {

using testing::readFile;
using testing::TempDir;
using testing::writeFile;

TEST(PasswordScrambler, RoundTripsEveryByteValueAtEveryLength) {
    // Every byte value at every position of a 256-byte password, and every prefix of it.
    std::string all;
    for (int i = 0; i < 256; ++i) all += static_cast<char>((i * 7 + 3) & 0xFF);
    for (std::size_t length = 0; length <= all.size(); ++length) {
        const std::string clear = all.substr(0, length);
        const std::string scrambled = scramblePassword(clear);
        ASSERT_EQ(scrambled.size(), clear.size());
        ASSERT_EQ(unscramblePassword(scrambled), clear) << length;
        const std::string line = encodePassword(clear);
        ASSERT_EQ(line.find_first_of("\r\n\x1A"), std::string::npos) << length;
        ASSERT_EQ(decodePassword(line), clear) << length;
    }
}

TEST(PasswordScrambler, ChangesTheBytesAndDependsOnTheKey) {
    EXPECT_NE(scramblePassword("secret"), "secret");
    EXPECT_NE(scramblePassword("secret", 1), scramblePassword("secret", 2));
    EXPECT_NE(unscramblePassword(scramblePassword("secret", 1), 2), "secret");
    // The first byte is XORed with the start key's high byte.
    EXPECT_EQ(static_cast<unsigned char>(scramblePassword("A", 0x1200)[0]), 'A' ^ 0x12);
}

TEST(PasswordScrambler, EscapesLineEndsAndTheEscapeByte) {
    EXPECT_EQ(escapePasswordLine(std::string("a\rb\nc%d\x1A", 8)), "a%0Db%0Ac%25d%1A");
    EXPECT_EQ(unescapePasswordLine("a%0Db%0Ac%25d%1A"), std::string("a\rb\nc%d\x1A", 8));
    // A hand-edited line with a stray escape byte still reads.
    EXPECT_EQ(unescapePasswordLine("50%"), "50%");
    EXPECT_EQ(unescapePasswordLine("%zz%4"), "%zz%4");
}

TUsersObjListBox sampleProfile(const std::string& name) {
    TUsersObjListBox p;
    p.profileName = name;
    p.connectName = "ISP " + name;
    p.fromName = "Ann Example";
    p.fromAddress = "ann@example.com";
    p.replyToAddress = "reply@example.com";
    p.organization = "Example Ltd";
    p.accountName = "ann";
    p.password = std::string("p\r\n%\x1A\0w", 7);
    p.rememberPassword = true;
    p.pop3Server = "pop.example.com";
    p.smtpServer = "smtp.example.com";
    p.retrieveWhenNotActive = true;
    p.headersDefaultAction = 3;
    p.pop3Security = Security::Tls;
    p.pop3Port = 1995;
    p.smtpSecurity = Security::StartTls;
    p.pop3Login = Pop3Login::Apop;
    p.smtpLogin = SmtpLogin::Login;
    p.pop3TrustedCertificate = "AB:CD";
    p.leaveOnServer = true;
    p.deleteFromServerAfterDays = 14;
    p.deleteFromServerWithTrash = true;
    p.formerNames = {"Work", "Old Home"};
    return p;
}

TEST(ProfileFile, HoldsTheFourteenLinesThenTheConnectionLinesAndReadsBack) {
    TempDir home;
    const TUsersObjListBox p = sampleProfile("Home");
    ASSERT_FALSE(writeProfileFile(profileFilePath(home.path(), "Home"), p));
    const std::vector<std::string> lines = readLines(home / "Home.usr");
    ASSERT_EQ(lines.size(), 27u);
    EXPECT_EQ(lines[0], "46");
    EXPECT_EQ(lines[1], "Home");
    EXPECT_EQ(lines[8], encodePassword(p.password));
    EXPECT_EQ(lines[9], "TRUE");
    EXPECT_EQ(lines[12], "TRUE");
    EXPECT_EQ(lines[13], "3");
    EXPECT_EQ(lines[14], "2");  // POP3 over TLS
    EXPECT_EQ(lines[15], "1995");
    EXPECT_EQ(lines[20], "FALSE");  // no plain-text password
    EXPECT_EQ(lines[21], "AB:CD");
    EXPECT_EQ(lines[26], "Work\tOld Home");  // the names before renames, a tab between two
    EXPECT_NE(readFile(home / "Home.usr").back(), '\n');
    EXPECT_EQ(readProfileFile(home / "Home.usr"), p);
}

TEST(ProfileFile, RememberPasswordClearedStillWritesThePassword) {
    TempDir home;
    TUsersObjListBox p = sampleProfile("Home");
    p.rememberPassword = false;
    ASSERT_FALSE(writeProfileFile(home / "Home.usr", p));
    EXPECT_EQ(readLines(home / "Home.usr").at(9), "FALSE");
    EXPECT_EQ(readProfileFile(home / "Home.usr")->password, p.password);
}

TEST(ProfileFile, ActionWithoutAChoiceIsWrittenAsZero) {
    TUsersObjListBox p;
    p.headersDefaultAction = -1;
    EXPECT_EQ(splitLines(profileFileBytes(p)).at(13), "0");
}

TEST(ProfileFile, ShortOrDamagedFileReadsWithNewRecordValues) {
    TempDir home;
    writeFile(home / "x.usr", "46\r\nx\r\nisp\r\n");
    TUsersObjListBox expected;
    expected.profileName = "x";
    expected.connectName = "isp";
    expected.allowPlainTextPassword = true;  // written before the choice existed
    EXPECT_EQ(readProfileFile(home / "x.usr"), expected);
    EXPECT_FALSE(readProfileFile(home / "missing.usr"));
    std::filesystem::create_directory(home / "dir.usr");
    EXPECT_THROW(readProfileFile(home / "dir.usr"), std::system_error);
}

TEST(ProfileFile, AFileOfTheFourteenLinesKeepsThePlainConnectionItHad) {
    TUsersObjListBox old = sampleProfile("Old");
    std::vector<std::string> lines = splitLines(profileFileBytes(old));
    lines.resize(14);
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    const TUsersObjListBox read = parseProfileFile(bytes);
    EXPECT_EQ(read.pop3Security, Security::None);
    EXPECT_EQ(read.smtpLogin, SmtpLogin::None);
    EXPECT_TRUE(read.allowPlainTextPassword);
    EXPECT_FALSE(read.leaveOnServer);
}

TEST(ProfileFile, ConnectionLinesOutOfRangeReadAsTheirDefaults) {
    std::vector<std::string> lines = splitLines(profileFileBytes(sampleProfile("X")));
    lines[14] = "7";       // security
    lines[15] = "70000";   // port
    lines[18] = "-1";      // POP3 log-in
    lines[24] = "999999";  // days
    std::string bytes;
    for (const auto& line : lines) bytes += line + "\r\n";
    const TUsersObjListBox read = parseProfileFile(bytes);
    EXPECT_EQ(read.pop3Security, Security::None);
    EXPECT_EQ(read.pop3Port, 0);
    EXPECT_EQ(read.pop3Login, Pop3Login::UserPass);
    EXPECT_EQ(read.deleteFromServerAfterDays, 0);
    EXPECT_FALSE(read.allowPlainTextPassword);
}

TEST(ProfilePorts, TheProfilesPortThenTheSecuritysThenTheSettings) {
    struct Case {
        Security security;
        int profile;
        int pop3;
        int smtp;
    };
    constexpr Case kCases[] = {
        {Security::None, 0, 110, 25},       // the settings' ports
        {Security::StartTls, 0, 110, 587},  // STLS on the POP3 port; submission for SMTP
        {Security::Tls, 0, 995, 465},
        {Security::Tls, 2525, 2525, 2525},  // the profile's own port wins
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(pop3PortFor(c.security, c.profile, 110), c.pop3);
        EXPECT_EQ(smtpPortFor(c.security, c.profile, 25), c.smtp);
    }
}

TEST(ProfileNames, CompareWithoutCaseAndBlanksAndRefuseFileSystemNames) {
    EXPECT_EQ(profileNameKey("  Sales \t"), "sales");
    EXPECT_EQ(cutName(std::string(50, 'a')).size(), 42u);
    EXPECT_FALSE(profileNameProblem("Home Office"));
    for (const char* bad : {".", "..", "a/b", "a\\b", "tab\there"})
        EXPECT_TRUE(profileNameProblem(bad)) << bad;
}

// Writes master.usr and a profile file for each name.
void writeProfiles(const TempDir& home, const std::vector<std::string>& names) {
    ASSERT_FALSE(writeMasterUsr(home.path(), names));
    for (const auto& name : names)
        ASSERT_FALSE(writeProfileFile(profileFilePath(home.path(), name), sampleProfile(name)));
}

void expectInStep(const ProfileLists& lists) {
    ASSERT_EQ(lists.usersListBox().size(), lists.size());
    ASSERT_EQ(lists.connectionListBox().size(), lists.size());
    ASSERT_EQ(lists.rankListTexts().size(), lists.size());
    for (std::size_t i = 0; i < lists.size(); ++i) {
        EXPECT_EQ(lists.usersListBox()[i], lists.record(i).profileName);
        EXPECT_EQ(lists.rankListTexts()[i], lists.record(i).profileName);
        EXPECT_EQ(lists.connectionListBox()[i], connectionText(lists.record(i)));
    }
}

TEST(ProfileLists, LoadDropsNamesWithoutAFileAndKeepsTheListsInStep) {
    TempDir home;
    writeProfiles(home, {"A", "B", "C"});
    std::filesystem::remove(home / "B.usr");
    ASSERT_FALSE(writeMasterUsr(home.path(), {"A", "B", "C", "../A"}));
    ProfileLists lists;
    lists.loadProfileNames(home.path());
    EXPECT_EQ(lists.usersListBox(), (std::vector<std::string>{"A", "B", "C", "../A"}));
    EXPECT_EQ(lists.activeIndex(), 0);
    EXPECT_FALSE(lists.loadProfiles(home.path()));
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"A", "C"}));
    expectInStep(lists);
    EXPECT_EQ(lists.connectionIndex(), 0);
}

TEST(ProfileLists, MissingMasterUsrGivesNoProfilesSilently) {
    TempDir home;
    ProfileLists lists;
    lists.loadProfileNames(home.path());
    EXPECT_FALSE(lists.loadProfiles(home.path()));
    EXPECT_TRUE(lists.empty());
    EXPECT_EQ(lists.activeIndex(), -1);
    EXPECT_EQ(lists.activeProfile(), nullptr);
    lists.selectActiveProfile(0);  // nothing to select
    EXPECT_EQ(lists.activeIndex(), -1);
}

TEST(ProfileLists, UnreadableProfileStopsLoadingAndKeepsThoseReadSoFar) {
    TempDir home;
    writeProfiles(home, {"A", "B", "C"});
    std::filesystem::remove(home / "B.usr");
    std::filesystem::create_directory(home / "B.usr");
    ProfileLists lists;
    lists.loadProfileNames(home.path());
    EXPECT_TRUE(lists.loadProfiles(home.path()));
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"A"}));
    expectInStep(lists);
}

struct RecordingEvents : ProfileEvents {
    void activeProfileChanged(int index) override { changes.push_back(index); }
    void loadSignatureFile(const std::string& name) override { signatures.push_back(name); }
    std::vector<int> changes;
    std::vector<std::string> signatures;
};

TEST(ProfileLists, SelectingTheActiveProfileCopiesItsLoginAndTellsTheWindows) {
    TempDir home;
    writeProfiles(home, {"A", "B"});
    ProfileLists lists;
    RecordingEvents events;
    lists.setEvents(&events);
    lists.loadProfileNames(home.path());
    ASSERT_FALSE(lists.loadProfiles(home.path()));
    lists.selectActiveProfile(1);
    EXPECT_EQ(lists.activeIndex(), 1);
    EXPECT_EQ(lists.rankIndex(), 1);
    EXPECT_EQ(lists.activeLogin(),
              (ActiveLogin{"ann", sampleProfile("B").password, true, "pop.example.com", 3}));
    EXPECT_EQ(events.changes, std::vector<int>{1});
    EXPECT_EQ(events.signatures, std::vector<std::string>{"B"});
    // A saved index beyond the list (the list shrank outside the program) selects the first.
    lists.selectActiveProfile(7);
    EXPECT_EQ(lists.activeIndex(), 0);
    lists.selectConnectionProfile(-3);
    EXPECT_EQ(lists.connectionIndex(), 0);
}

TEST(ProfileLists, ConnectionProfileSuppliesTheSmtpServer) {
    ProfileLists lists;
    for (const char* name : {"A", "B"}) {
        TUsersObjListBox p = sampleProfile(name);
        p.smtpServer = std::string("smtp.") + name;
        lists.append(p);
    }
    lists.selectActiveProfile(0);
    lists.selectConnectionProfile(1);
    EXPECT_EQ(lists.connectionSmtpServer(), "smtp.B");
}

TEST(ProfileLists, MovingAnEntryMovesItInAllThreeListsAndKeepsTheSelection) {
    ProfileLists lists;
    for (const char* name : {"A", "B", "C", "D"}) lists.append(sampleProfile(name));
    lists.setConnectionText(1, "");  // B shows its name in the connection selector
    lists.selectActiveProfile(2);
    lists.selectConnectionProfile(0);
    ASSERT_TRUE(lists.move(2, 0));
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"C", "A", "B", "D"}));
    EXPECT_EQ(lists.connectionListBox(),
              (std::vector<std::string>{"ISP C", "ISP A", "B", "ISP D"}));
    EXPECT_EQ(lists.record(0).profileName, "C");
    EXPECT_EQ(lists.activeIndex(), 0);
    EXPECT_EQ(lists.connectionIndex(), 1);  // still A
    ASSERT_TRUE(lists.move(0, 3));
    EXPECT_EQ(lists.names(), (std::vector<std::string>{"A", "B", "D", "C"}));
    EXPECT_EQ(lists.activeIndex(), 3);
    EXPECT_EQ(lists.connectionIndex(), 0);
    EXPECT_FALSE(lists.move(0, 4));
}

}  // namespace
}  // namespace velmora::profiles

namespace velmora::profiles {
namespace {

TEST(ProfileListing, OneTabSeparatedLinePerProfileInListOrder) {
    TempDir home;
    TUsersObjListBox b = sampleProfile("B");
    b.accountName = "bob\tsmith";
    ASSERT_FALSE(writeProfileFile(profileFilePath(home.path(), "B"), b));
    ASSERT_FALSE(writeProfileFile(profileFilePath(home.path(), "A"), sampleProfile("A")));
    ASSERT_FALSE(writeMasterUsr(home.path(), {"B", "gone", "A"}));
    const ProfileListing listing = listProfiles(home.path());
    EXPECT_EQ(listing.text,
              "B\tbob smith\tpop.example.com\tsmtp.example.com\n"
              "A\tann\tpop.example.com\tsmtp.example.com\n");
    EXPECT_FALSE(listing.failure);
    EXPECT_EQ(listProfiles(home / "empty").text, "");
}

}  // namespace
}  // namespace velmora::profiles
