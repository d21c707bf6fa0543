// The whole of velmora-cli behind its main(): the global options (--home, --version, --help),
// the command looked up in the command table and run with a headless platform.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace velmora::cli {

// Runs velmora-cli with the arguments after the program name and returns its exit status: 0
// done, 1 the command failed (the reason on `err`), 2 bad usage. An exception a command lets
// out is reported as "velmora-cli: <what>" with status 1, never passed on.
int runProgram(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace velmora::cli
