// velmora-cli run inside the test, through the same entry point as its main().
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/program.h"

namespace velmora::cli::testing {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

inline CliRun runCli(const std::vector<std::string>& args) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runProgram(args, out, err);
    return {status, out.str(), err.str()};
}

}  // namespace velmora::cli::testing
