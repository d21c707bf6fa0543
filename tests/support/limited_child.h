// Runs a piece of a test in a forked child under resource limits (address space, open files,
// a time bound), so a test can show what happens when memory or descriptors run out, or that
// something that used to hang now ends, without risking the test program itself.
#pragma once

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <functional>

namespace velmora::testing {

#if defined(__SANITIZE_ADDRESS__)
// AddressSanitizer reserves terabytes of address space at start, so an address-space limit
// cannot be tested in that build.
inline constexpr bool kAddressSpaceLimitWorks = false;
#else
inline constexpr bool kAddressSpaceLimitWorks = true;
#endif

struct ChildLimits {
    std::uint64_t addressSpaceBytes = 0;  // 0: unchanged
    std::uint64_t openFiles = 0;          // 0: unchanged
    unsigned seconds = 30;                // killed by SIGALRM after this
};

struct ChildResult {
    bool exited = false;  // false: ended by a signal (the time bound, a crash)
    int status = -1;      // the exit status, or the signal
};

// `body` runs in the child; its return value is the child's exit status (0 to 255).
inline ChildResult runLimitedChild(const ChildLimits& limits, const std::function<int()>& body) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child < 0) return {};
    if (child == 0) {
        if (limits.openFiles) {
            const rlimit files{limits.openFiles, limits.openFiles};
            if (::setrlimit(RLIMIT_NOFILE, &files) != 0) ::_exit(120);
        }
        if (limits.addressSpaceBytes) {
            const rlimit space{limits.addressSpaceBytes, limits.addressSpaceBytes};
            if (::setrlimit(RLIMIT_AS, &space) != 0) ::_exit(121);
        }
        ::alarm(limits.seconds);
        int status = 122;
        try {
            status = body();
        } catch (...) {
            status = 123;
        }
        std::fflush(nullptr);
        ::_exit(status);
    }
    int raw = 0;
    while (::waitpid(child, &raw, 0) < 0) {
        if (errno != EINTR) return {};
    }
    if (WIFEXITED(raw)) return {true, WEXITSTATUS(raw)};
    return {false, WIFSIGNALED(raw) ? WTERMSIG(raw) : -1};
}

}  // namespace velmora::testing
