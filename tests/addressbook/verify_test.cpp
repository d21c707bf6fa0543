// The verification window with a scripted MX lookup, and against dnsmasq on loopback, including
// a DNS server that never answers.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <map>

#include "addressbook/verify_form.h"
#include "support/fake_platform.h"
#include "support/servers/real_servers.h"
#include "support/temp_dir.h"

namespace velmora::addressbook {
namespace {

struct Host : VerificationHost {
    bool busyFlag = false;
    bool autoRunning = true;
    std::string title = "Velmora Pro";
    std::vector<std::string> status;
    bool configClose = true;
    bool menuChecked = true;
    bool busy() const override { return busyFlag; }
    void setBusy(bool b) override { busyFlag = b; }
    bool autoCheckRunning() const override { return autoRunning; }
    void stopAutoCheck() override { autoRunning = false; }
    void restartAutoCheck() override { autoRunning = true; }
    std::string applicationTitle() const override { return title; }
    void setApplicationTitle(const std::string& t) override { title = t; }
    void showStatus(const std::string& t) override { status.push_back(t); }
    void setAutoCheckMenuChecked(bool c) override { menuChecked = c; }
    void setConfigCloseEnabled(bool e) override { configClose = e; }
};

// Domains and their MX counts; a domain missing here gets no answer at all.
struct ScriptedLookup : MxLookup {
    std::map<std::string, int> mx;
    std::vector<std::string>* asked;
    std::function<void()> onLookup;
    Answer lookup(const std::string& domain) override {
        asked->push_back(domain);
        if (onLookup) onLookup();
        auto it = mx.find(domain);
        if (it == mx.end()) return {false, 0};
        return {true, it->second};
    }
};

VerifyEntry entry(int position, std::string name, std::vector<std::string> addresses) {
    VerifyEntry e;
    e.position = position;
    e.entry.fullName = std::move(name);
    e.entry.addresses = std::move(addresses);
    return e;
}

class VerifyTest : public ::testing::Test {
  protected:
    std::unique_ptr<TckAddressForm> form(std::vector<VerifyEntry> entries,
                                         std::function<void()> onLookup = {}) {
        return std::make_unique<TckAddressForm>(
            fake.platform(), host,
            [this, onLookup] {
                auto l = std::make_unique<ScriptedLookup>();
                l->mx = {{"good.test", 2}, {"other.test", 1}, {"nomx.test", 0}, {"noatsign", 0}};
                l->asked = &asked;
                l->onLookup = onLookup;
                return l;
            },
            "Friends", std::move(entries), "/sounds/done.wav");
    }
    testing::FakePlatform fake;
    Host host;
    std::vector<std::string> asked;
};

TEST_F(VerifyTest, TwoOfFourVerifiedWithDomainsTakenFromParsedAddresses) {
    auto f = form({entry(0, "Ann", {"\"Lee, Ann\" <ann@good.test>", "ann@nomx.test"}),
                   entry(4, "  ", {"x@y@other.test", "noatsign"})});
    f->open();
    EXPECT_FALSE(host.autoRunning);
    EXPECT_EQ(host.status.back(), "Auto-Mail Checking Disabled");
    f->startCheck();
    EXPECT_EQ(asked,
              (std::vector<std::string>{"good.test", "nomx.test", "other.test", "noatsign"}));
    EXPECT_EQ(f->caption(),
              "Verification Finished - A Total of 2 Addresses Were Verified out of 4");
    EXPECT_EQ(f->goodAddresses(), (std::vector<std::string>{"1 Ann: \"Lee, Ann\" <ann@good.test>",
                                                            "5 [No Full Name]: x@y@other.test"}));
    EXPECT_EQ(f->badAddresses(),
              (std::vector<std::string>{"1 Ann: ann@nomx.test", "5 [No Full Name]: noatsign"}));
    EXPECT_EQ(f->verifiedLabel(), "Verified Addresses 2");
    EXPECT_EQ(f->unverifiedPercent(), 50);
    EXPECT_EQ(f->recordLabel(), "On Record 2 of 2");
    EXPECT_EQ(f->addressLabel(), "*** Finished ***");
    EXPECT_EQ(host.title, " *** Finished ***");
    EXPECT_EQ(f->startCaption(), "Check Again");
    EXPECT_TRUE(f->printEnabled());
    EXPECT_EQ(fake.system.sounds.size(), 1u);
    EXPECT_TRUE(host.busyFlag);
    EXPECT_FALSE(host.configClose);
    f->printClick();
    ASSERT_EQ(fake.printer.jobs.size(), 1u);
    EXPECT_EQ(fake.printer.jobs[0].title, "Unverified Address List");
    EXPECT_EQ(fake.printer.jobs[0].lines,
              (std::vector<std::string>{"Address Book: Friends", " ", "1 Ann: ann@nomx.test",
                                        "5 [No Full Name]: noatsign"}));
    f->cancelOrCloseClick();
    EXPECT_FALSE(f->isOpen());
    EXPECT_FALSE(host.busyFlag);
    EXPECT_TRUE(host.autoRunning);
    EXPECT_TRUE(host.menuChecked);
    EXPECT_TRUE(host.configClose);
    EXPECT_EQ(host.title, "Velmora Pro");
}

TEST_F(VerifyTest, OneAddressWasVerifiedOnlyWhenItPassed) {
    auto passed = form({entry(0, "A", {"a@good.test"})});
    passed->open();
    passed->startCheck();
    EXPECT_EQ(passed->caption(), "Verification Finished - A Total of 1 Address Was Verified");
    passed->close();
    auto failed = form({entry(0, "A", {"a@nomx.test"})});
    failed->open();
    failed->startCheck();
    EXPECT_EQ(failed->caption(),
              "Verification Finished - A Total of 0 Addresses Were Verified out of 1");
}

TEST_F(VerifyTest, CancelDuringTheSecondAddressStopsBeforeTheThird) {
    TckAddressForm* self = nullptr;
    auto f = form({entry(0, "A", {"a@good.test", "b@good.test", "c@good.test"})}, [&] {
        if (asked.size() == 2) fake.events.post([&] { self->cancelOrCloseClick(); });
    });
    self = f.get();
    f->open();
    f->startCheck();
    EXPECT_EQ(asked.size(), 2u);
    EXPECT_EQ(f->caption(), "Verification Cancelled");
    EXPECT_EQ(f->addressLabel(), "*** Cancelled ***");
    EXPECT_TRUE(f->startEnabled());
    EXPECT_EQ(f->closeCaption(), "Close");
}

TEST_F(VerifyTest, AServerThatNeverAnswersIsReportedAsSuch) {
    auto f = form({entry(0, "A", {"a@silent.test", "b@good.test"})});
    f->open();
    f->startCheck();
    EXPECT_EQ(f->unanswered(), 1);
    EXPECT_EQ(f->unverifiedLabel(), "Unverified Addresses 0");
    EXPECT_EQ(fake.dialogs.texts("warning").back(),
              "The DNS server did not answer for 1 of 2 address(es): they could not be checked.");
}

TEST_F(VerifyTest, BusyFlagAndAutoCheckRestoredAsTheyWere) {
    host.autoRunning = false;
    host.busyFlag = true;
    auto f = form({entry(0, "A", {"a@good.test"})});
    f->open();
    f->startCheck();  // another mail operation runs: refused
    EXPECT_TRUE(asked.empty());
    f->close();
    EXPECT_TRUE(host.busyFlag);
    EXPECT_FALSE(host.autoRunning);
}

TEST(VerifyWithDnsmasq, RealLookupsAndASilentServer) {
    testing::TempDir folder;
    testing::DnsmasqServer dnsmasq(folder.path());
    dnsmasq.addMx("example.test", "mx.example.test", 10);
    dnsmasq.addHost("nomx.test", "127.0.0.1");
    if (const std::string error = dnsmasq.start(); !error.empty()) GTEST_SKIP() << error;
    testing::FakePlatform fake;
    Host host;
    auto run = [&](const std::string& servers) {
        TckAddressForm f(
            fake.platform(), host,
            [&] {
                auto lookup = std::make_unique<ResolverMxLookup>(fake.dialogs, servers);
                lookup->resolver().ServerWait = std::chrono::milliseconds(300);
                return lookup;
            },
            "Friends", {entry(0, "A", {"a@example.test", "b@nomx.test", "c@nosuch.test"})});
        f.open();
        f.startCheck();
        std::pair<std::string, int> result{f.caption(), f.unanswered()};
        f.close();
        return result;
    };
    auto answered = run(dnsmasq.address());
    EXPECT_EQ(answered.first,
              "Verification Finished - A Total of 1 Addresses Were Verified out of 3");
    EXPECT_EQ(answered.second, 0);

    // A UDP port that takes queries and never answers.
    const int silent = ::socket(AF_INET, SOCK_DGRAM, 0);
    ASSERT_GE(silent, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(silent, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    socklen_t length = sizeof address;
    ::getsockname(silent, reinterpret_cast<sockaddr*>(&address), &length);
    auto unanswered = run("127.0.0.1:" + std::to_string(ntohs(address.sin_port)));
    ::close(silent);
    EXPECT_EQ(unanswered.second, 3);
    EXPECT_EQ(fake.dialogs.texts("warning").back(),
              "The DNS server did not answer for 3 of 3 address(es): they could not be checked.");
}

}  // namespace
}  // namespace velmora::addressbook
