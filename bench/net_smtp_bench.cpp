// Sending 500 messages to a local SMTP server (aiosmtpd, which stores each), one connection
// each: the SMTP client beside Debian's msmtp (one process per message, as it is used), in the
// same run. Counters: client_cpu_s (ours, or msmtp's as children) and ms_per_message.
#include <benchmark/benchmark.h>

#include "mime/message.h"
#include "net/smtp.h"
#include "net_bench_support.h"
#include "support/servers/real_servers.h"
#include "support/temp_dir.h"
#include "platform/headless.h"

namespace {

using namespace velmora;

constexpr int kMessages = 500;

struct Sink {
    testing::TempDir folder;
    testing::SmtpSinkServer server{folder / "smtp"};
    std::string error;
    std::string messageFile;
    int stored = 0;  // messages the server has stored so far

    Sink() {
        error = server.start();
        // A real-world message with a PDF attachment (about 4 KB).
        messageFile = (testing::sourceDir() / "tests" / "fixtures" / "net" / "corpus-attachment-pdf.eml").string();
    }
    static Sink& get() {
        static Sink sink;
        return sink;
    }
    // Waits until the server has stored everything sent, so that runs do not overlap.
    bool settle(int sent) {
        stored += sent;
        return server.waitForMessages(static_cast<std::size_t>(stored), std::chrono::seconds(60));
    }
};

void report(benchmark::State& state, const bench::CpuClock& cpu) {
    state.counters["client_cpu_s"] =
        benchmark::Counter(cpu.seconds(), benchmark::Counter::kAvgIterations);
    state.counters["ms_per_message"] = benchmark::Counter(
        static_cast<double>(kMessages) / 1000.0,
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_SmtpSend500_Velmora(benchmark::State& state) {
    Sink& sink = Sink::get();
    if (!sink.error.empty()) return state.SkipWithError(sink.error.c_str());
    platform::SystemClock clock;
    platform::HeadlessEventLoop events;
    mime::TmsMessage message;
    message.LoadFromFile(sink.messageFile);
    message.Sender().SetAddress("ann@example.test");
    message.Recipients().Clear();
    message.Recipients().AddAddress("bob@example.test", "Bob");
    bench::CpuClock cpu(bench::CpuClock::Self);
    for (auto _ : state) {
        cpu.start();
        for (int i = 0; i < kMessages; ++i) {
            net::TmsSMTP smtp(events, clock);
            smtp.Server = sink.server.address();
            smtp.MailMessage = &message;
            smtp.SendMail();
        }
        cpu.stop();
        state.PauseTiming();
        if (!sink.settle(kMessages)) return state.SkipWithError("the server did not store them");
        state.ResumeTiming();
    }
    report(state, cpu);
}

void BM_SmtpSend500_Msmtp(benchmark::State& state) {
    Sink& sink = Sink::get();
    if (!sink.error.empty()) return state.SkipWithError(sink.error.c_str());
    testing::TempDir folder;
    const std::string config = (folder / "msmtprc").string();
    testing::writeFile(config, "defaults\n");
    std::filesystem::permissions(config, std::filesystem::perms::owner_read |
                                             std::filesystem::perms::owner_write);
    const std::vector<std::string> argv = {
        "/usr/bin/msmtp", "--file=" + config, "--host=127.0.0.1",
        "--port=" + std::to_string(sink.server.port()), "--auth=off", "--tls=off",
        "--from=ann@example.test", "--", "bob@example.test"};
    bench::CpuClock cpu(bench::CpuClock::Children);
    for (auto _ : state) {
        cpu.start();
        for (int i = 0; i < kMessages; ++i) {
            if (bench::runProgram(argv, sink.messageFile) != 0)
                return state.SkipWithError("msmtp failed (is it installed?)");
        }
        cpu.stop();
        state.PauseTiming();
        if (!sink.settle(kMessages)) return state.SkipWithError("the server did not store them");
        state.ResumeTiming();
    }
    report(state, cpu);
}

}  // namespace

BENCHMARK(BM_SmtpSend500_Velmora)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_SmtpSend500_Msmtp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
