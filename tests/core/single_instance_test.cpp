#include "core/single_instance.h"

#include <gtest/gtest.h>

#include <future>

#include "support/temp_dir.h"

namespace velmora::core {
namespace {

TEST(SingleInstance, SecondStartHandsItsTextToTheRunningInstance) {
    testing::TempDir home;
    auto server = InstanceServer::listen(home.path());
    ASSERT_TRUE(server);
    EXPECT_FALSE(InstanceServer::listen(home.path())) << "one instance per home folder";

    auto handOver = std::async(std::launch::async, [&] {
        return handOverToRunningInstance(home.path(), "ann@example.com");
    });
    std::vector<std::string> received;
    for (int i = 0; i < 200 && received.empty(); ++i) {
        server->poll([&](const std::string& text) { received.push_back(text); });
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(handOver.get());
    EXPECT_EQ(received, std::vector<std::string>{"ann@example.com"});
}

TEST(SingleInstance, NothingRunsAndOtherHomeFoldersAreIndependent) {
    testing::TempDir home, other;
    EXPECT_FALSE(handOverToRunningInstance(home.path(), "justBringToFront"));
    auto server = InstanceServer::listen(home.path());
    ASSERT_TRUE(server);
    EXPECT_TRUE(InstanceServer::listen(other.path()));
}

}  // namespace
}  // namespace velmora::core
