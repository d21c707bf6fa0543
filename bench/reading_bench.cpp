// The folder window at 100,000 rows as a user meets it: opening it with its list view on screen
// (index read, sorted, count check, the view filled and painted), re-sorting it by a header
// click, and scrolling the view a page at a time. Offscreen Qt, so the view's own cost shows.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>
#include <QTableView>

#include "desktop/folder_window_view.h"
#include "folder_samples.h"
#include "profiles/settings.h"
#include "reading/standalone_folders.h"
#include "support/fake_platform.h"

namespace {

using namespace velmora;

QApplication& application() {
    static int argc = 1;
    static char name[] = "reading_bench";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static auto* app = new QApplication(argc, argv);
    return *app;
}

void BM_OpenFolderWindowWithView(benchmark::State& state) {
    application();
    const auto& home = bench::homeWithIndex(static_cast<int>(state.range(0)));
    testing::FakePlatform fake;
    profiles::Settings settings;
    for (auto _ : state) {
        reading::StandaloneFolders folders(fake, home.path(), settings);
        reading::TinboxForm& window = folders.openFolderWindow("InBox", false);
        desktop::FolderWindowView view(window, nullptr);
        view.resize(900, 600);
        benchmark::DoNotOptimize(view.grab());
        if (view.list()->model()->rowCount() != state.range(0)) std::abort();
    }
}
BENCHMARK(BM_OpenFolderWindowWithView)->Arg(100'000)->Unit(benchmark::kMillisecond);

// A header click on Subject, then on From: each sorts all rows, follows the current row and
// draws the view again.
void BM_ResortFolderWindow(benchmark::State& state) {
    application();
    const auto& home = bench::homeWithIndex(static_cast<int>(state.range(0)));
    testing::FakePlatform fake;
    profiles::Settings settings;
    reading::StandaloneFolders folders(fake, home.path(), settings);
    reading::TinboxForm& window = folders.openFolderWindow("InBox", false);
    desktop::FolderWindowView view(window, nullptr);
    view.resize(900, 600);
    int column = 2;
    for (auto _ : state) {
        window.headerClick(column);
        view.refreshFromModel();
        benchmark::DoNotOptimize(view.grab());
        column = column == 2 ? 3 : 2;
    }
}
BENCHMARK(BM_ResortFolderWindow)->Arg(100'000)->Unit(benchmark::kMillisecond);

// One page down and its painting: what each scroll step costs the user-interface thread.
void BM_ScrollFolderView(benchmark::State& state) {
    application();
    const auto& home = bench::homeWithIndex(static_cast<int>(state.range(0)));
    testing::FakePlatform fake;
    profiles::Settings settings;
    reading::StandaloneFolders folders(fake, home.path(), settings);
    reading::TinboxForm& window = folders.openFolderWindow("InBox", false);
    desktop::FolderWindowView view(window, nullptr);
    view.resize(900, 600);
    QScrollBar* bar = view.list()->verticalScrollBar();
    for (auto _ : state) {
        bar->setValue(
            bar->value() + bar->pageStep() > bar->maximum() ? 0 : bar->value() + bar->pageStep());
        benchmark::DoNotOptimize(view.grab());
    }
}
BENCHMARK(BM_ScrollFolderView)->Arg(100'000)->Unit(benchmark::kMicrosecond);

}  // namespace
