// Sending 500 messages to a local SMTP server (aiosmtpd, which stores each), one connection
// each: the SMTP client beside Debian's msmtp (one process per message, as it is used), in the
// same run; in plain text, and with TLS (STARTTLS and implicit TLS, AUTH PLAIN, a certificate
// of a CA made for the run). Counters: client_cpu_s (ours, or msmtp's as children) and
// ms_per_message.
#include <benchmark/benchmark.h>

#include "mime/message.h"
#include "net/smtp.h"
#include "net_bench_support.h"
#include "platform/headless.h"
#include "support/servers/real_servers.h"
#include "support/servers/test_certificates.h"
#include "support/temp_dir.h"

namespace {

using namespace velmora;

constexpr int kMessages = 500;

struct Sink {
    testing::TempDir folder;
    testing::TestCertificates certificates{folder / "certificates"};
    testing::SmtpSinkServer server{folder / "smtp"};
    std::string error;
    std::string messageFile;
    int stored = 0;  // messages the server has stored so far

    explicit Sink(bool tls) {
        if (tls) {
            const auto certificate = certificates.issue("smtp", {"localhost", "127.0.0.1"});
            if (certificate.certificate.empty()) {
                error = certificates.error();
                return;
            }
            server.enableTls(certificate);
            server.requireAuth("ann", "secret");
        }
        error = server.start();
        // A real-world message with a PDF attachment (about 4 KB).
        messageFile =
            (testing::sourceDir() / "tests" / "fixtures" / "net" / "corpus-attachment-pdf.eml")
                .string();
    }
    static Sink& get(bool tls = false) {
        static Sink plain(false);
        static Sink secured(true);
        return tls ? secured : plain;
    }
    // Waits until the server has stored everything sent, so that runs do not overlap.
    bool settle(int sent) {
        stored += sent;
        return server.waitForMessages(static_cast<std::size_t>(stored), std::chrono::seconds(60));
    }
};

void report(benchmark::State& state, const bench::CpuClock& cpu) {
    bench::reportSending(state, cpu, kMessages);
}

void sendWithVelmora(benchmark::State& state, net::Security security) {
    const bool tls = security != net::Security::None;
    Sink& sink = Sink::get(tls);
    if (!sink.error.empty()) return state.SkipWithError(sink.error.c_str());
    platform::SystemClock clock;
    platform::HeadlessEventLoop events;
    mime::TmsMessage message;
    message.LoadFromFile(sink.messageFile);
    message.Sender().SetAddress("ann@example.test");
    message.Recipients().Clear();
    message.Recipients().AddAddress("bob@example.test", "Bob");
    const std::uint16_t port =
        security == net::Security::Tls ? sink.server.tlsPort() : sink.server.port();
    bench::CpuClock cpu(bench::CpuClock::Self);
    for (auto _ : state) {
        cpu.start();
        for (int i = 0; i < kMessages; ++i) {
            net::TmsSMTP smtp(events, clock);
            smtp.Server = "127.0.0.1:" + std::to_string(port);
            smtp.MailMessage = &message;
            if (tls) {
                smtp.Options.security = security;
                smtp.Options.auth = net::AuthMethod::Plain;
                smtp.Options.caFile = sink.certificates.caFile().string();
                smtp.UserName = "ann";
                smtp.Password = "secret";
            }
            smtp.SendMail();
        }
        cpu.stop();
        state.PauseTiming();
        if (!sink.settle(kMessages)) return state.SkipWithError("the server did not store them");
        state.ResumeTiming();
    }
    report(state, cpu);
}

void BM_SmtpSend500_Velmora(benchmark::State& state) {
    sendWithVelmora(state, net::Security::None);
}
void BM_SmtpSend500_Velmora_StartTls(benchmark::State& state) {
    sendWithVelmora(state, net::Security::StartTls);
}
void BM_SmtpSend500_Velmora_Smtps(benchmark::State& state) {
    sendWithVelmora(state, net::Security::Tls);
}

void sendWithMsmtp(benchmark::State& state, net::Security security) {
    const bool tls = security != net::Security::None;
    Sink& sink = Sink::get(tls);
    if (!sink.error.empty()) return state.SkipWithError(sink.error.c_str());
    testing::TempDir folder;
    const std::string config = (folder / "msmtprc").string();
    testing::writeFile(config, "defaults\n");
    std::filesystem::permissions(
        config, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    std::vector<std::string> argv = {"/usr/bin/msmtp", "--file=" + config, "--host=127.0.0.1",
                                     "--from=ann@example.test"};
    if (!tls) {
        argv.insert(argv.end(),
                    {"--port=" + std::to_string(sink.server.port()), "--auth=off", "--tls=off"});
    } else {
        const bool starttls = security == net::Security::StartTls;
        argv.insert(
            argv.end(),
            {"--port=" + std::to_string(starttls ? sink.server.port() : sink.server.tlsPort()),
             "--auth=plain", "--user=ann", "--passwordeval=echo secret", "--tls=on",
             std::string("--tls-starttls=") + (starttls ? "on" : "off"),
             "--tls-trust-file=" + sink.certificates.caFile().string()});
    }
    argv.insert(argv.end(), {"--", "bob@example.test"});
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

void BM_SmtpSend500_Msmtp(benchmark::State& state) {
    sendWithMsmtp(state, net::Security::None);
}
void BM_SmtpSend500_Msmtp_StartTls(benchmark::State& state) {
    sendWithMsmtp(state, net::Security::StartTls);
}
void BM_SmtpSend500_Msmtp_Smtps(benchmark::State& state) {
    sendWithMsmtp(state, net::Security::Tls);
}

}  // namespace

BENCHMARK(BM_SmtpSend500_Velmora)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_SmtpSend500_Msmtp)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SmtpSend500_Velmora_StartTls)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_SmtpSend500_Msmtp_StartTls)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
BENCHMARK(BM_SmtpSend500_Velmora_Smtps)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_SmtpSend500_Msmtp_Smtps)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
