// Retrieve all of a mailbox of 2,000 mixed messages (about 134 MB: plain text, quoted-printable
// HTML, and multipart messages with base64 attachments of 1 KB to 1 MB) from a local dovecot
// into InBox: each message decoded, its attachments written beside it, the message file written,
// the folder synced before QUIT and the index written, as velmora-cli retrieve does it. Beside
// it, in the same run on the same mailbox, Debian's mpop delivering the mailbox into a maildir.
// The mailbox is generated here (never committed); the server keeps it (nothing is deleted).
// Our retrieval runs twice: over plain POP3 (argument 0) and over POP3S (argument 1), to show
// what TLS costs a whole retrieval.
// Counters: client_cpu_s (CPU time of our process, or of mpop as a child), MB_per_s, MB.
#include <benchmark/benchmark.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>

#include "net_bench_support.h"
#include "platform/headless.h"
#include "profiles/profile.h"
#include "profiles/settings.h"
#include "retrieval/standalone_retrieval.h"
#include "store/folders.h"
#include "support/servers/real_servers.h"
#include "support/servers/test_certificates.h"
#include "support/temp_dir.h"

namespace {

using namespace velmora;
namespace fs = std::filesystem;

constexpr int kMessages = 2000;
constexpr double kSmallest = 1024;       // sizes are log-uniform between these,
constexpr double kLargest = 392 * 1024;  // which gives about 134 MB for the mailbox

std::string header(int number, const std::string& contentType) {
    return "From: Sender " + std::to_string(number) + " <sender" + std::to_string(number % 37) +
           "@example.test>\r\nTo: Alice <alice@example.test>\r\nSubject: Message " +
           std::to_string(number) + "\r\nDate: Thu, 10 Dec 2026 09:30:00 +0100\r\nMessage-ID: <" +
           std::to_string(number) + "@example.test>\r\nMIME-Version: 1.0\r\n" + contentType +
           "\r\n\r\n";
}

// 76-character lines of text; every 40th starts with a period (byte-stuffed on the wire).
std::string textLines(std::size_t size, char letter) {
    std::string text;
    std::string line(74, letter);
    for (int i = 0; text.size() < size; ++i) {
        line[0] = i % 40 == 0 ? '.' : 'L';
        text += line + "\r\n";
    }
    return text;
}

std::string base64Lines(std::size_t bytes, std::mt19937& random) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    const std::size_t chars = (bytes + 2) / 3 * 4;
    text.reserve(chars + chars / 76 * 2 + 2);
    for (std::size_t i = 0; i < chars; ++i) {
        text += kAlphabet[random() % 64];
        if (i % 76 == 75) text += "\r\n";
    }
    return text + "\r\n";
}

// One message of about `size` bytes, of the kind `number` picks: plain text, quoted-printable
// HTML, or a short text with one or two base64 attachments carrying most of the size.
std::string makeMessage(int number, std::size_t size, std::mt19937& random) {
    switch (number % 4) {
        case 0:
        case 1:
            return header(number, "Content-Type: text/plain; charset=us-ascii") +
                   textLines(size, static_cast<char>('a' + number % 26));
        case 2: {
            std::string html = "<html><body>\r\n";
            while (html.size() < size)
                html += "<p>Caf=E9 cr=E8me =3D s=FCr la table, line</p>=\r\n\r\n";
            return header(number,
                          "Content-Type: text/html; charset=iso-8859-1\r\n"
                          "Content-Transfer-Encoding: quoted-printable") +
                   html + "</body></html>\r\n";
        }
        default: {
            const std::string boundary = "b" + std::to_string(number);
            std::string text =
                header(number, "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"") +
                "--" + boundary + "\r\nContent-Type: text/plain\r\n\r\nSee the files.\r\n";
            const int parts = size > 64 * 1024 ? 2 : 1;
            for (int p = 0; p < parts; ++p)
                text += "--" + boundary +
                        "\r\nContent-Type: application/octet-stream; name=\"data" +
                        std::to_string(p) +
                        ".bin\"\r\nContent-Transfer-Encoding: base64\r\n"
                        "Content-Disposition: attachment; filename=\"data" +
                        std::to_string(p) + ".bin\"\r\n\r\n" +
                        base64Lines(size * 3 / 4 / parts, random);
            return text + "--" + boundary + "--\r\n";
        }
    }
}

struct Mailbox {
    testing::TempDir folder;
    testing::TestCertificates certificates{folder / "certificates"};
    testing::DovecotServer server{folder / "dovecot"};
    std::string error;
    std::string fingerprint;  // of the server's certificate, which the profile trusts
    std::int64_t bytes = 0;

    Mailbox() {
        std::mt19937 random(20261210);
        std::uniform_real_distribution<double> exponent(std::log(kSmallest), std::log(kLargest));
        server.addUser("alice", "secret");
        for (int i = 0; i < kMessages; ++i) {
            const auto size = static_cast<std::size_t>(std::exp(exponent(random)));
            const std::string message = makeMessage(i, size, random);
            bytes += static_cast<std::int64_t>(message.size());
            server.addMessage("alice", message);
        }
        const auto certificate = certificates.issue("pop3", {"localhost", "127.0.0.1"});
        if (certificate.certificate.empty()) {
            error = certificates.error();
            return;
        }
        fingerprint = testing::certificateFingerprint(certificate.certificate);
        server.enableTls(certificate);
        error = server.start();
    }

    static Mailbox& get() {
        static Mailbox mailbox;
        return mailbox;
    }
};

// A home folder as a user leaves it: one profile that remembers its password, the server's port,
// the messages left on the server so that every run finds the whole mailbox. With `tls` the
// profile connects over POP3S and trusts the test CA's certificate by its fingerprint.
void writeHome(const fs::path& home, const Mailbox& mailbox, bool tls) {
    for (const char* name : store::kDefaultFolderNames)
        fs::create_directories(store::folderDirectory(home, name));
    profiles::TUsersObjListBox profile;
    profile.profileName = "Home";
    profile.accountName = "alice";
    profile.password = "secret";
    profile.rememberPassword = true;
    profile.pop3Server = "127.0.0.1";
    if (tls) {
        profile.pop3Security = profiles::Security::Tls;
        profile.pop3Port = mailbox.server.tlsPort();
        profile.pop3TrustedCertificate = mailbox.fingerprint;
    }
    (void)profiles::writeMasterUsr(home, {"Home"});
    (void)profiles::writeProfileFile(profiles::profileFilePath(home, "Home"), profile);
    profiles::RetrieveSettings retrieve;
    retrieve.pop3Port = std::to_string(mailbox.server.port());
    retrieve.deleteFromServer = false;
    (void)profiles::saveRetrieveSettings(home, retrieve);
}

// The folders of finished iterations stay until the program ends. This machine's file system
// (ext4 without a journal) skips inodes freed in the last half minute when it allocates new
// ones, one lookup each, so removing 5,000 files just before an iteration would make every file
// the next one creates pay for them: a cost of the cleanup, not of retrieving, which would fall
// on whichever client runs next.
void keepUntilTheEnd(std::unique_ptr<testing::TempDir> folder) {
    static std::vector<std::unique_ptr<testing::TempDir>> kept;
    kept.push_back(std::move(folder));
}

void report(benchmark::State& state, const bench::CpuClock& cpu, std::int64_t bytes) {
    state.counters["client_cpu_s"] =
        benchmark::Counter(cpu.seconds(), benchmark::Counter::kAvgIterations);
    state.counters["MB_per_s"] = benchmark::Counter(
        static_cast<double>(bytes) / 1e6 * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate);
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_RetrieveAll_Velmora_InBox(benchmark::State& state) {
    Mailbox& mailbox = Mailbox::get();
    if (!mailbox.error.empty()) return state.SkipWithError(mailbox.error.c_str());
    bench::CpuClock cpu(bench::CpuClock::Self);
    for (auto _ : state) {
        state.PauseTiming();  // making and removing the home folder is not retrieval
        auto home = std::make_unique<testing::TempDir>();
        writeHome(home->path(), mailbox, state.range(0) != 0);
        platform::HeadlessPlatform headless;
        state.ResumeTiming();
        cpu.start();
        int stored = 0;
        {
            retrieval::StandaloneRetrieval session(headless.platform(), home->path());
            stored = session.retrieval().retrieveAll().stored;
        }  // the folder windows close: the index is written
        cpu.stop();
        state.PauseTiming();
        keepUntilTheEnd(std::move(home));
        state.ResumeTiming();
        if (stored != kMessages) return state.SkipWithError("not every message was stored");
    }
    report(state, cpu, mailbox.bytes);
}

void BM_RetrieveAll_Mpop_Maildir(benchmark::State& state) {
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
        for (const char* sub : {"new", "cur", "tmp"}) fs::create_directories(out / "Maildir" / sub);
        const std::vector<std::string> argv = {"/usr/bin/mpop",
                                               "--file=" + config.string(),
                                               "--host=127.0.0.1",
                                               "--port=" + std::to_string(mailbox.server.port()),
                                               "--auth=user",
                                               "--user=alice",
                                               "--passwordeval=echo secret",
                                               "--tls=off",
                                               "--keep=on",
                                               "--only-new=off",
                                               "--received-header=off",
                                               "--delivery=maildir," + (out / "Maildir").string(),
                                               "--quiet"};
        state.ResumeTiming();
        cpu.start();
        const int status = bench::runProgram(argv, "/dev/null");
        cpu.stop();
        state.PauseTiming();
        keepUntilTheEnd(std::move(folder));
        state.ResumeTiming();
        if (status != 0) return state.SkipWithError("mpop failed (is it installed?)");
    }
    report(state, cpu, mailbox.bytes);
}

}  // namespace

BENCHMARK(BM_RetrieveAll_Velmora_InBox)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);
BENCHMARK(BM_RetrieveAll_Mpop_Maildir)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
