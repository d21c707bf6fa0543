// Sending 500 filed messages from OutBox to a local SMTP server, one session each, each
// delivered message moved into Sent: the compose module's sending (as velmora-cli send --outbox
// and the Send button run it) beside Debian's msmtp sending the same message files (one process
// a message, nothing filed), in the same run; our sending also once without filing (argument 0).
// The server is aiosmtpd, which stores each message, and a native sink (bench/native_smtp_sink.h)
// that leaves only the clients' own time. Counters: ms_per_message, client_cpu_s.
#include <benchmark/benchmark.h>

#include "compose/filing.h"
#include "compose/standalone_sending.h"
#include "native_smtp_sink.h"
#include "net_bench_support.h"
#include "platform/headless.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/standalone_folders.h"
#include "store/folders.h"
#include "store/message_file.h"
#include "support/servers/real_servers.h"
#include "support/temp_dir.h"

namespace {

using namespace velmora;
namespace fs = std::filesystem;

constexpr int kMessages = 500;

struct Sink {
    testing::TempDir folder;
    testing::SmtpSinkServer server{folder / "smtp"};
    std::string error;
    int stored = 0;

    Sink() { error = server.start(); }
    static Sink& get() {
        static Sink sink;
        return sink;
    }
    bool settle(int sent) {
        stored += sent;
        return server.waitForMessages(static_cast<std::size_t>(stored), std::chrono::seconds(60));
    }
};

// A home folder with one profile whose SMTP server is the sink, and 500 messages in OutBox,
// filed as the compose window files them. Returns the message files.
std::vector<std::string> prepareHome(const fs::path& home, std::uint16_t port,
                                     bool saveToSent = true) {
    for (const char* name : store::kDefaultFolderNames)
        fs::create_directories(home / (std::string(name) + store::kDefaultExtension));
    profiles::TUsersObjListBox me;
    me.profileName = "Work";
    me.fromName = "Ann Lee";
    me.fromAddress = "ann@example.test";
    me.smtpServer = "127.0.0.1";
    (void)profiles::writeMasterUsr(home, {"Work"});
    (void)profiles::writeProfileFile(profiles::profileFilePath(home, "Work"), me);
    profiles::SendSettings send;
    send.smtpPort = std::to_string(port);
    (void)profiles::saveSendSettings(home, send);
    if (!saveToSent) {
        profiles::ComposeSettings compose;
        compose.saveToSent = false;
        (void)profiles::saveComposeSettings(home, compose);
    }

    platform::HeadlessPlatform headless;
    profiles::Settings settings;
    reading::StandaloneFolders folders(headless.platform(), home, settings);
    compose::FilingContext context{headless.platform(), home, settings, folders};
    compose::ComposeFields fields;
    fields.to = {"Bob <bob@example.test>"};
    fields.subject = "Quarterly figures";
    std::string body;
    for (int line = 0; line < 60; ++line)
        body += "The figures of line " + std::to_string(line) + " are in.\r\n";
    fields.body = body;
    std::vector<std::string> files;
    for (int i = 0; i < kMessages; ++i) {
        const auto outcome =
            compose::fileComposeFields(fields, me, "OutBox", std::nullopt, context);
        files.push_back(
            store::messageFilePath(store::folderDirectory(home, "OutBox"), outcome.message.fileName)
                .string());
    }
    return files;
}

void report(benchmark::State& state, const bench::CpuClock& cpu) {
    bench::reportSending(state, cpu, kMessages);
}

void BM_SendOutBox500_Velmora(benchmark::State& state) {
    Sink& sink = Sink::get();
    if (!sink.error.empty()) return state.SkipWithError(sink.error.c_str());
    bench::CpuClock cpu(bench::CpuClock::Self);
    for (auto _ : state) {
        state.PauseTiming();
        testing::TempDir home;
        prepareHome(home.path(), sink.server.port(), state.range(0) != 0);
        platform::HeadlessPlatform headless;
        state.ResumeTiming();
        cpu.start();
        std::pair<int, int> result;
        {
            compose::StandaloneSending sending(headless.platform(), home.path());
            result = sending.sendOutBox();
        }  // the folder indexes are written here
        cpu.stop();
        state.PauseTiming();
        if (result.first != kMessages)
            return state.SkipWithError("not every message was delivered");
        if (!sink.settle(kMessages)) return state.SkipWithError("the server did not store them");
        state.ResumeTiming();
    }
    report(state, cpu);
}

// The same against a native sink server, which leaves only our own time (and the kernel's).
void BM_SendOutBox500_Velmora_NativeSink(benchmark::State& state) {
    static bench::NativeSmtpSink sink;
    if (!sink.error().empty()) return state.SkipWithError(sink.error().c_str());
    bench::CpuClock cpu(bench::CpuClock::Self);
    for (auto _ : state) {
        state.PauseTiming();
        testing::TempDir home;
        prepareHome(home.path(), sink.port());
        platform::HeadlessPlatform headless;
        const std::size_t before = sink.messages();
        state.ResumeTiming();
        cpu.start();
        std::pair<int, int> result;
        {
            compose::StandaloneSending sending(headless.platform(), home.path());
            result = sending.sendOutBox();
        }
        cpu.stop();
        state.PauseTiming();
        if (result.first != kMessages || sink.messages() - before != kMessages)
            return state.SkipWithError("not every message was delivered");
        state.ResumeTiming();
    }
    report(state, cpu);
}

// msmtp sending the same message files, one process a message: to aiosmtpd (argument 0) or to
// the native sink (argument 1).
void BM_SendOutBox500_Msmtp(benchmark::State& state) {
    static bench::NativeSmtpSink native;
    const bool toNative = state.range(0) != 0;
    Sink* sink = toNative ? nullptr : &Sink::get();
    if (sink && !sink->error.empty()) return state.SkipWithError(sink->error.c_str());
    if (toNative && !native.error().empty()) return state.SkipWithError(native.error().c_str());
    const std::uint16_t port = toNative ? native.port() : sink->server.port();
    testing::TempDir folder;
    const std::string config = (folder / "msmtprc").string();
    testing::writeFile(config, "defaults\n");
    fs::permissions(config, fs::perms::owner_read | fs::perms::owner_write);
    bench::CpuClock cpu(bench::CpuClock::Children);
    for (auto _ : state) {
        state.PauseTiming();
        testing::TempDir home;
        const auto files = prepareHome(home.path(), port);
        const std::vector<std::string> argv = {"/usr/bin/msmtp",
                                               "--file=" + config,
                                               "--host=127.0.0.1",
                                               "--port=" + std::to_string(port),
                                               "--auth=off",
                                               "--tls=off",
                                               "--from=ann@example.test",
                                               "--",
                                               "bob@example.test"};
        const std::size_t before = native.messages();
        state.ResumeTiming();
        cpu.start();
        for (const auto& file : files)
            if (bench::runProgram(argv, file) != 0)
                return state.SkipWithError("msmtp failed (is it installed?)");
        cpu.stop();
        state.PauseTiming();
        const bool stored =
            toNative ? native.messages() - before == kMessages : sink->settle(kMessages);
        if (!stored) return state.SkipWithError("the server did not store them");
        state.ResumeTiming();
    }
    report(state, cpu);
}

}  // namespace

BENCHMARK(BM_SendOutBox500_Velmora)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_SendOutBox500_Velmora_NativeSink)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(2);
BENCHMARK(BM_SendOutBox500_Msmtp)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);
