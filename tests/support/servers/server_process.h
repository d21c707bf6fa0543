// Real servers for tests and benchmarks: a child process started on loopback in a folder of its
// own and stopped by its process id, and free loopback ports to give it.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velmora::testing {

// A port of 127.0.0.1 that was free a moment ago, for TCP (and UDP too when asked).
std::uint16_t freeLoopbackPort(bool udpToo = false);

// True once something accepts TCP connections on 127.0.0.1:port, waiting at most `limit`.
bool waitForListener(std::uint16_t port, std::chrono::milliseconds limit);

// The first of `candidates` that exists and can be run; empty when none.
std::filesystem::path findProgram(const std::vector<std::filesystem::path>& candidates);

class ServerProcess {
  public:
    ServerProcess() = default;
    ~ServerProcess() { stop(); }
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // Starts `argv` (argv[0] a full path) with its output in `logFile`. False when it cannot.
    bool start(const std::vector<std::string>& argv, const std::filesystem::path& logFile);
    // True while the child has not exited.
    bool running();
    // Terminates the child (SIGTERM, then SIGKILL after a grace period) and reaps it.
    void stop();
    pid_t pid() const { return pid_; }

  private:
    pid_t pid_ = -1;
};

}  // namespace velmora::testing
