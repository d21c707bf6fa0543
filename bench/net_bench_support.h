// Helpers of the network benchmarks: CPU time of this process or of its finished children,
// running a peer program (mpop, msmtp) with its standard input from a file, and the counters
// of the sending benchmarks.
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <string>
#include <vector>

extern char** environ;

namespace bench {

class CpuClock {
  public:
    enum Whose { Self, Children };
    explicit CpuClock(Whose whose) : whose_(whose) {}
    void start() { started_ = now(); }
    void stop() { total_ += now() - started_; }
    double seconds() const { return total_; }

  private:
    double now() const {
        rusage usage{};
        ::getrusage(whose_ == Self ? RUSAGE_SELF : RUSAGE_CHILDREN, &usage);
        const auto toSeconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
        return toSeconds(usage.ru_utime) + toSeconds(usage.ru_stime);
    }
    Whose whose_;
    double started_ = 0;
    double total_ = 0;
};

// Runs `argv` (argv[0] a full path) with standard input from `input`, output discarded, and
// waits for it. Returns its exit status, or -1 when it could not run.
inline int runProgram(const std::vector<std::string>& argv, const std::string& input) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    pid_t child = -1;
    const int started = ::posix_spawn(&child, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (started != 0) return -1;
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The sending benchmarks' counters: client_cpu_s, and ms_per_message for `messages` a run.
inline void reportSending(benchmark::State& state, const CpuClock& cpu, int messages) {
    state.counters["client_cpu_s"] =
        benchmark::Counter(cpu.seconds(), benchmark::Counter::kAvgIterations);
    state.counters["ms_per_message"] = benchmark::Counter(
        static_cast<double>(messages) / 1000.0,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

}  // namespace bench
