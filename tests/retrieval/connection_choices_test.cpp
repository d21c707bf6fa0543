#include "retrieval/connection_choices.h"

#include <gtest/gtest.h>

namespace velmora::retrieval {
namespace {

using profiles::Pop3Login;
using profiles::Security;
using profiles::SmtpLogin;

TEST(ConnectionChoices, TheProfilesChoicesReachTheClients) {
    profiles::TUsersObjListBox profile;
    profile.pop3Server = "pop.example.org";
    profile.smtpServer = "smtp.example.org";
    profile.pop3Security = Security::Tls;
    profile.pop3Login = Pop3Login::Apop;
    profile.smtpSecurity = Security::StartTls;
    profile.smtpLogin = SmtpLogin::Login;
    profile.pop3TrustedCertificate = "AA:BB";
    profile.smtpTrustedCertificate = "CC:DD";
    const net::ConnectionOptions pop3 = pop3ConnectionOptions(profile);
    EXPECT_EQ(pop3.security, net::Security::Tls);
    EXPECT_EQ(pop3.auth, net::AuthMethod::Apop);
    EXPECT_EQ(pop3.trustedFingerprint, "AA:BB");
    EXPECT_FALSE(pop3.allowPlainTextPassword);
    const net::ConnectionOptions smtp = smtpConnectionOptions(profile);
    EXPECT_EQ(smtp.security, net::Security::StartTls);
    EXPECT_EQ(smtp.auth, net::AuthMethod::Login);
    EXPECT_EQ(smtp.trustedFingerprint, "CC:DD");
    EXPECT_EQ(pop3ServerAddress(profile, "110"), "pop.example.org:995");
    EXPECT_EQ(smtpServerAddress(profile, "25"), "smtp.example.org:587");
    profile.smtpPort = 2525;
    EXPECT_EQ(smtpServerAddress(profile, "25"), "smtp.example.org:2525");
}

TEST(ConnectionChoices, AProfileThatChoseNothingNewConnectsAsBefore) {
    profiles::TUsersObjListBox profile;
    profile.pop3Server = "pop.example.org";
    profile.smtpServer = "smtp.example.org";
    EXPECT_EQ(pop3ConnectionOptions(profile).security, net::Security::None);
    EXPECT_EQ(pop3ConnectionOptions(profile).auth, net::AuthMethod::Default);  // USER / PASS
    EXPECT_EQ(smtpConnectionOptions(profile).auth, net::AuthMethod::Default);  // no log-in
    // The settings' port as it is written there.
    EXPECT_EQ(pop3ServerAddress(profile, " 110 "), "pop.example.org:110");
    EXPECT_EQ(smtpServerAddress(profile, "smtp"), "smtp.example.org:smtp");
}

}  // namespace
}  // namespace velmora::retrieval
