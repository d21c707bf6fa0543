// Retrieving a mailbox of 2,000 messages of mixed sizes (about 130 MB) from a local dovecot:
// the POP3 client into memory and into msg_N.eml files, beside Debian's mpop into a maildir and
// into an mbox, measured in the same run on the same mailbox, in plain text and over POP3S
// (a certificate of a CA made for the run). Counters: client_cpu_s, the CPU
// time of the client process (ours, or mpop's as a child), and MB_per_s.
#include <benchmark/benchmark.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <vector>

#include "net/pop3.h"
#include "net/remote_pop.h"
#include "net_bench_support.h"
#include "platform/headless.h"
#include "support/servers/real_servers.h"
#include "support/servers/test_certificates.h"
#include "support/temp_dir.h"

namespace {

using namespace velmora;
namespace fs = std::filesystem;

constexpr int kMessages = 2000;
constexpr double kSmallest = 1024;       // sizes are log-uniform between these,
constexpr double kLargest = 400 * 1024;  // which averages about 65 KB

// One message of about `size` bytes: a header block and 76-character lines, some of which
// start with a period so that the byte-stuffing is exercised.
std::string makeMessage(int number, std::size_t size) {
    std::string text = "From: Sender " + std::to_string(number) +
                       " <sender@example.test>\r\n"
                       "To: alice@example.test\r\nSubject: Message " +
                       std::to_string(number) +
                       "\r\nDate: Thu, 10 Dec 2026 09:30:00 +0100\r\n"
                       "Message-ID: <" +
                       std::to_string(number) + "@example.test>\r\n\r\n";
    std::string line(74, 'a' + number % 26);
    for (int i = 0; text.size() < size; ++i) {
        line[0] = i % 40 == 0 ? '.' : 'L';
        text += line + "\r\n";
    }
    return text;
}

struct Mailbox {
    testing::TempDir folder;
    testing::TestCertificates certificates{folder / "certificates"};
    testing::DovecotServer server{folder / "dovecot"};
    std::string error;
    std::int64_t bytes = 0;

    Mailbox() {
        std::mt19937 random(20261210);
        std::uniform_real_distribution<double> exponent(std::log(kSmallest), std::log(kLargest));
        server.addUser("alice", "secret");
        for (int i = 0; i < kMessages; ++i) {
            const std::string message =
                makeMessage(i, static_cast<std::size_t>(std::exp(exponent(random))));
            bytes += static_cast<std::int64_t>(message.size());
            server.addMessage("alice", message);
        }
        const auto certificate = certificates.issue("pop3", {"localhost", "127.0.0.1"});
        if (certificate.certificate.empty()) {
            error = certificates.error();
            return;
        }
        server.enableTls(certificate);
        error = server.start();
    }

    static Mailbox& get() {
        static Mailbox mailbox;
        return mailbox;
    }
};

// The client that keeps nothing: what retrieval itself costs.
class CountingPOP : public net::TmsCustomPOP {
  public:
    using TmsCustomPOP::TmsCustomPOP;
    std::int64_t received = 0;

  protected:
    void StoreMessage(int, std::string& stream) override {
        received += static_cast<std::int64_t>(stream.size());
    }
};

void report(benchmark::State& state, const bench::CpuClock& cpu, std::int64_t bytes) {
    state.counters["client_cpu_s"] =
        benchmark::Counter(cpu.seconds(), benchmark::Counter::kAvgIterations);
    state.counters["MB_per_s"] =
        benchmark::Counter(static_cast<double>(bytes) / 1e6, benchmark::Counter::kIsRate);
}

// Every message in order, as retrieve-all plans them: one LIST, and the RETR pipelined.
std::vector<int> allMessages(std::int64_t count) {
    std::vector<int> indexes(static_cast<std::size_t>(std::max<std::int64_t>(count, 0)));
    for (std::size_t i = 0; i < indexes.size(); ++i) indexes[i] = static_cast<int>(i);
    return indexes;
}

void retrieveIntoMemory(benchmark::State& state, bool tls) {
    Mailbox& mailbox = Mailbox::get();
    if (!mailbox.error.empty()) return state.SkipWithError(mailbox.error.c_str());
    platform::SystemClock clock;
    platform::HeadlessEventLoop events;
    bench::CpuClock cpu(bench::CpuClock::Self);
    std::int64_t bytes = 0;
    for (auto _ : state) {
        cpu.start();
        CountingPOP pop(events, clock);
        pop.Server =
            "127.0.0.1:" + std::to_string(tls ? mailbox.server.tlsPort() : mailbox.server.port());
        pop.UserName = "alice";
        pop.Password = "secret";
        if (tls) {
            pop.Options.security = net::Security::Tls;
            pop.Options.auth = net::AuthMethod::UserPass;  // as mpop is told
            pop.Options.caFile = mailbox.certificates.caFile().string();
        }
        pop.Connect();
        pop.PlanRetrievals(allMessages(pop.MessageCount()));
        for (std::int64_t i = 0; i < pop.MessageCount(); ++i)
            pop.RetrieveMessage(static_cast<int>(i));
        pop.Disconnect();
        bytes += pop.received;
        cpu.stop();
    }
    report(state, cpu, bytes);
}

void BM_Pop3Retrieve_Velmora_Memory(benchmark::State& state) {
    retrieveIntoMemory(state, false);
}
void BM_Pop3Retrieve_Velmora_Memory_Pop3s(benchmark::State& state) {
    retrieveIntoMemory(state, true);
}

void BM_Pop3Retrieve_Velmora_Files(benchmark::State& state) {
    Mailbox& mailbox = Mailbox::get();
    if (!mailbox.error.empty()) return state.SkipWithError(mailbox.error.c_str());
    platform::SystemClock clock;
    platform::HeadlessEventLoop events;
    bench::CpuClock cpu(bench::CpuClock::Self);
    for (auto _ : state) {
        state.PauseTiming();  // making and removing the folder is not retrieval
        auto out = std::make_unique<testing::TempDir>();
        state.ResumeTiming();
        cpu.start();
        net::TmsRemotePOP pop(events, clock);
        pop.Server = mailbox.server.address();
        pop.UserName = "alice";
        pop.Password = "secret";
        pop.setMessageDirectory(out->path().string());
        pop.Connect();
        pop.PlanRetrievals(allMessages(pop.MessageCount()));
        for (std::int64_t i = 0; i < pop.MessageCount(); ++i)
            pop.RetrieveMessage(static_cast<int>(i));
        pop.Disconnect();
        cpu.stop();
        state.PauseTiming();
        out.reset();
        state.ResumeTiming();
    }
    report(state, cpu, mailbox.bytes * state.iterations());
}

// mpop with everything on the command line; `keep on` leaves the mailbox for the next run.
void runMpop(benchmark::State& state, const std::string& delivery, bool tls = false) {
    Mailbox& mailbox = Mailbox::get();
    if (!mailbox.error.empty()) return state.SkipWithError(mailbox.error.c_str());
    bench::CpuClock cpu(bench::CpuClock::Children);
    for (auto _ : state) {
        state.PauseTiming();
        auto folder = std::make_unique<testing::TempDir>();
        const testing::TempDir& out = *folder;
        const fs::path config = out / "mpoprc";
        std::ofstream(config) << "defaults\n";
        fs::permissions(config, fs::perms::owner_read | fs::perms::owner_write);
        std::string target;
        if (delivery == "maildir") {
            for (const char* sub : {"new", "cur", "tmp"})
                fs::create_directories(out / "Maildir" / sub);
            target = "maildir," + (out / "Maildir").string();
        } else {
            std::ofstream(out / "mbox").flush();
            target = "mbox," + (out / "mbox").string();
        }
        std::vector<std::string> argv = {
            "/usr/bin/mpop",
            "--file=" + config.string(),
            "--host=127.0.0.1",
            "--port=" + std::to_string(tls ? mailbox.server.tlsPort() : mailbox.server.port()),
            "--auth=user",
            "--user=alice",
            "--passwordeval=echo secret",
            "--keep=on",
            "--only-new=off",
            "--received-header=off",
            "--delivery=" + target,
            "--quiet"};
        if (tls) {
            argv.insert(argv.end(), {"--tls=on", "--tls-starttls=off",
                                     "--tls-trust-file=" + mailbox.certificates.caFile().string()});
        } else {
            argv.push_back("--tls=off");
        }
        state.ResumeTiming();
        cpu.start();
        const int status = bench::runProgram(argv, "/dev/null");
        cpu.stop();
        state.PauseTiming();
        folder.reset();
        state.ResumeTiming();
        if (status != 0) return state.SkipWithError("mpop failed (is it installed?)");
    }
    report(state, cpu, mailbox.bytes * state.iterations());
}

void BM_Pop3Retrieve_Mpop_Maildir(benchmark::State& state) {
    runMpop(state, "maildir");
}
void BM_Pop3Retrieve_Mpop_Mbox(benchmark::State& state) {
    runMpop(state, "mbox");
}
void BM_Pop3Retrieve_Mpop_Mbox_Pop3s(benchmark::State& state) {
    runMpop(state, "mbox", true);
}

}  // namespace

BENCHMARK(BM_Pop3Retrieve_Velmora_Memory)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_Pop3Retrieve_Velmora_Files)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_Pop3Retrieve_Mpop_Maildir)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_Pop3Retrieve_Mpop_Mbox)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Pop3Retrieve_Velmora_Memory_Pop3s)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_Pop3Retrieve_Mpop_Mbox_Pop3s)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
