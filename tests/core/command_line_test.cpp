#include "core/command_line.h"

#include <gtest/gtest.h>

namespace velmora::core {
namespace {

struct Case {
    const char* rule;
    std::vector<std::string> args;
    bool mailTo;
    std::string handOver;
    bool second;
    bool fullPauses;
};

TEST(CommandLine, Table) {
    const Case cases[] = {
        {"none", {}, false, "justBringToFront", false, false},
        {"mailto cut at ?",
         {"mailto:ann@example.com?subject=Hi"},
         true,
         "ann@example.com",
         false,
         false},
        {"mailto joins the arguments",
         {"mailto:ann", "@example.com"},
         true,
         "ann@example.com",
         false,
         false},
        {"@ joins and is not cut",
         {"bob@example.com?x", "y"},
         true,
         "bob@example.com?xy",
         false,
         false},
        {"-m first", {"-m"}, false, "justBringToFront", true, false},
        {"-m second", {"x", "-m"}, false, "justBringToFront", true, false},
        {"-m third is ignored", {"x", "y", "-m"}, false, "justBringToFront", false, false},
        {"-th any case", {"-TH"}, false, "justBringToFront", false, true},
        {"-th after -m", {"-m", "-th"}, false, "justBringToFront", true, true},
        {"-th not with @", {"a@b", "-th"}, true, "a@b-th", false, false},
        {"anything else", {"hello"}, false, "justBringToFront", false, false},
        {"--home is not an argument",
         {"--home", "/tmp/h", "-m"},
         false,
         "justBringToFront",
         true,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rule);
        const StartRequest r = parseCommandLine(c.args);
        EXPECT_EQ(r.hasMailTo, c.mailTo);
        EXPECT_EQ(r.handOverText(), c.handOver);
        EXPECT_EQ(r.allowSecondInstance, c.second);
        EXPECT_EQ(r.fullShutdownPauses, c.fullPauses);
    }
}

TEST(CommandLine, HomeOption) {
    EXPECT_EQ(parseCommandLine({"--home", "/tmp/h"}).home, std::filesystem::path("/tmp/h"));
    EXPECT_THROW(parseCommandLine({"--home"}), std::invalid_argument);
}

}  // namespace
}  // namespace velmora::core
