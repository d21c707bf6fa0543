// The message store at folder sizes users reach: reading a 100,000-row index (and the plain read
// of the same bytes beside it), opening a folder window on it, rebuilding an index from 10,000
// message files, and moving 1,000 messages between two folders. Opening is measured at several
// sizes so that its growth shows (it must stay linear in the rows).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <map>
#include <string>

#include "base/text_file.h"
#include "folder_samples.h"
#include "profiles/settings.h"
#include "reading/folder_window.h"
#include "reading/standalone_folders.h"
#include "reading/transfers.h"
#include "store/folder_index.h"
#include "store/index_rebuild.h"
#include "store/message_file.h"
#include "support/fake_platform.h"
#include "support/stored_messages.h"
#include "support/temp_dir.h"

namespace {

using namespace velmora;
using bench::homeWithIndex;

void BM_ReadIndexBytes(benchmark::State& state) {
    const auto file = homeWithIndex(static_cast<int>(state.range(0))) / "InBox.000/InBox.dat";
    std::size_t bytes = 0;
    for (auto _ : state) {
        auto content = readWholeFile(file);
        bytes = content->size();
        benchmark::DoNotOptimize(content);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_ReadIndexBytes)->Arg(100'000)->Unit(benchmark::kMillisecond);

void BM_LoadIndex(benchmark::State& state) {
    const auto file = homeWithIndex(static_cast<int>(state.range(0))) / "InBox.000/InBox.dat";
    for (auto _ : state) {
        auto index = store::readFolderIndex(file);
        if (!index || index->rows.size() != static_cast<std::size_t>(state.range(0))) std::abort();
        benchmark::DoNotOptimize(index);
    }
    state.SetItemsProcessed(state.range(0) * state.iterations());
}
BENCHMARK(BM_LoadIndex)->Arg(100'000)->Unit(benchmark::kMillisecond);

// Opening the window: read, sort, count check against the folder's files, Date column.
void BM_OpenFolderWindow(benchmark::State& state) {
    const auto& home = homeWithIndex(static_cast<int>(state.range(0)));
    testing::FakePlatform fake;  // the 250 ms pause before the count check passes at once
    profiles::Settings settings;
    for (auto _ : state) {
        reading::StandaloneFolders folders(fake, home.path(), settings);
        reading::TinboxForm& window = folders.openFolderWindow("InBox", false);
        if (window.indexWasRebuilt() ||
            window.rowCount() != static_cast<std::size_t>(state.range(0)))
            std::abort();
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_OpenFolderWindow)
    ->Arg(25'000)
    ->Arg(50'000)
    ->Arg(100'000)
    ->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

void BM_RebuildIndex(benchmark::State& state) {
    static testing::TempDir home;
    const auto inbox = home / "InBox.000";
    const int count = static_cast<int>(state.range(0));
    if (!std::filesystem::exists(inbox)) {
        for (int n = 0; n < count; ++n) {
            testing::MessageSample sample;
            sample.fileName = bench::benchRow(n).item.fileName;
            sample.subject = "message " + std::to_string(n);
            sample.body.assign(40, "A line of an ordinary message body, of ordinary length.");
            testing::storeMessage(inbox, sample);
        }
    }
    testing::FakePlatform fake;
    for (auto _ : state) {
        const auto result = store::rebuildRows(store::listMessageFiles(inbox), "InBox", 0, fake);
        if (result.rows.size() != static_cast<std::size_t>(count)) std::abort();
    }
    state.SetItemsProcessed(count * state.iterations());
}
BENCHMARK(BM_RebuildIndex)->Arg(10'000)->Unit(benchmark::kMillisecond)->Iterations(3);

// Moves every message of one folder to the other, and back on the next iteration.
void BM_MoveMessages(benchmark::State& state) {
    testing::TempDir home;
    const int count = static_cast<int>(state.range(0));
    for (const char* dir : {"InBox.000", "Work.001"})
        std::filesystem::create_directories(home / dir);
    for (int n = 0; n < count; ++n) {
        testing::MessageSample sample;
        sample.fileName = bench::benchRow(n).item.fileName;
        sample.body.assign(40, "A line of an ordinary message body, of ordinary length.");
        if (n % 10 == 0) sample.attachments = {{"report.pdf", std::string(20'000, 'p')}};
        testing::storeMessage(home / "InBox.000", sample);
    }
    testing::FakePlatform fake;
    profiles::Settings settings;
    reading::StandaloneFolders folders(fake, home.path(), settings);
    reading::TinboxForm* from = &folders.openFolderWindow("InBox", false);
    reading::TinboxForm* to = &folders.openFolderWindow("Work", false);
    for (auto _ : state) {
        from->selectAll();
        reading::transferSelected(*from, *to, reading::kMoveOptions, folders, fake);
        if (to->rowCount() != static_cast<std::size_t>(count)) std::abort();
        std::swap(from, to);
    }
    state.SetItemsProcessed(count * state.iterations());
}
BENCHMARK(BM_MoveMessages)->Arg(1'000)->Unit(benchmark::kMillisecond)->Iterations(2);

}  // namespace
