// velmora-cli decode of a message with a 20 MB base64 attachment, beside GNU base64 -d of the
// same attachment's base64 text, each a process of its own with its output discarded. The two
// run in turn in every iteration, so a busy machine slows both alike; the time reported is
// velmora-cli's wall time, with base64's beside it and "ratio" the quotient of the two sums.
// CPU times are those of the child processes.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "message_samples.h"
#include "net_bench_support.h"

namespace {

struct Files {
    std::filesystem::path folder;
    std::filesystem::path message;  // the whole message, CR LF lines
    std::filesystem::path base64;   // the attachment's base64 lines, LF line ends (base64 -d
                                    // refuses CR)
    ~Files() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
};

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

const Files& files() {
    static Files f;
    if (f.folder.empty()) {
        f.folder = std::filesystem::temp_directory_path() /
                   ("velmora-cli-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(f.folder);
        f.message = f.folder / "large.eml";
        f.base64 = f.folder / "attachment.b64";
        const std::string& text = bench::largeAttachmentMessage();
        writeFile(f.message, text);
        // The attachment's lines: from the blank line after its part header to the closing
        // boundary.
        const std::size_t header = text.find("filename=\"video.bin\"\r\n\r\n");
        const std::size_t start = text.find("\r\n\r\n", header) + 4;
        const std::size_t end = text.find("\r\n--", start);
        std::string lines;
        lines.reserve(end - start);
        for (std::size_t i = start; i < end; ++i) {
            if (text[i] != '\r') lines += text[i];
        }
        writeFile(f.base64, lines + "\n");
    }
    return f;
}

struct Timed {
    double wall = 0;
    double cpu = 0;
};

Timed timedRun(const std::vector<std::string>& argv) {
    bench::CpuClock cpu(bench::CpuClock::Children);
    cpu.start();
    const auto started = std::chrono::steady_clock::now();
    const int status = bench::runProgram(argv, "/dev/null");
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - started;
    cpu.stop();
    if (status != 0) throw std::runtime_error(argv[0] + " failed");
    return {wall.count(), cpu.seconds()};
}

void BM_CliDecode_BesideBase64(benchmark::State& state) {
    const Files& f = files();
    const std::vector<std::string> base64 = {"/usr/bin/base64", "-d", f.base64.string()};
    // VELMORA_CLI in the environment names another build to measure, for a comparison.
    const char* program = std::getenv("VELMORA_CLI");
    const std::vector<std::string> decode = {program ? program : VELMORA_CLI_PROGRAM, "decode",
                                             f.message.string()};
    Timed toolTotal;
    Timed cliTotal;
    for (auto _ : state) {
        const Timed tool = timedRun(base64);
        const Timed cli = timedRun(decode);
        toolTotal.wall += tool.wall;
        toolTotal.cpu += tool.cpu;
        cliTotal.wall += cli.wall;
        cliTotal.cpu += cli.cpu;
        state.SetIterationTime(cli.wall);
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["base64_ms"] = toolTotal.wall / n * 1e3;
    state.counters["base64_cpu_ms"] = toolTotal.cpu / n * 1e3;
    state.counters["cli_cpu_ms"] = cliTotal.cpu / n * 1e3;
    state.counters["ratio"] = cliTotal.wall / toolTotal.wall;
    state.counters["message_mb"] = static_cast<double>(std::filesystem::file_size(f.message)) / 1e6;
}

BENCHMARK(BM_CliDecode_BesideBase64)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

}  // namespace
