// Address books at sizes users reach: loading and saving a book of 12,500 to 50,000 entries, and
// importing vCard files of the same sizes, each at several sizes so that the growth shows (it
// must stay linear). Goal: 50,000 entries under 0.3 s each.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

#include "addressbook/address_books.h"
#include "addressbook/book_export.h"
#include "addressbook/import/import_model.h"
#include "addressbook/import/import_rules.h"
#include "base/text_file.h"
#include "support/temp_dir.h"

namespace {

using namespace velmora;
using addressbook::TEmailNameObjListView;

std::vector<TEmailNameObjListView> entries(int count) {
    std::vector<TEmailNameObjListView> out;
    out.reserve(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n) {
        TEmailNameObjListView e;
        e.fullName = n % 3 ? "Person Number " + std::to_string(n)
                           : "\"Number, Person " + std::to_string(n) + "\"";
        e.nickname = "p" + std::to_string(n);
        e.addresses = {"person" + std::to_string(n) + "@example.org"};
        if (n % 5 == 0) e.addresses.push_back("p" + std::to_string(n) + "@work.example");
        if (n % 7 == 0) e.notes = {"Met at the conference", "Call back next week"};
        out.push_back(std::move(e));
    }
    return out;
}

// One home folder per size with the book "Bench" written once.
const testing::TempDir& homeWithBook(int count) {
    static std::map<int, std::unique_ptr<testing::TempDir>> homes;
    auto& home = homes[count];
    if (!home) {
        home = std::make_unique<testing::TempDir>();
        addressbook::AddressBooks books(home->path());
        if (books.create("Bench")) std::abort();
        books.load("Bench");
        books.entries() = entries(count);
        if (books.saveLoaded()) std::abort();
        testing::writeFile(*home / "bench.vcf", addressbook::exportVCard(entries(count)));
    }
    return *home;
}

void BM_LoadBook(benchmark::State& state) {
    const auto& home = homeWithBook(static_cast<int>(state.range(0)));
    addressbook::AddressBooks books(home.path());
    books.readList();
    for (auto _ : state) {
        books.load("Bench");
        benchmark::DoNotOptimize(books.entries().data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_LoadBook)->Arg(12'500)->Arg(25'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

void BM_SaveBook(benchmark::State& state) {
    const auto& home = homeWithBook(static_cast<int>(state.range(0)));
    addressbook::AddressBooks books(home.path());
    books.readList();
    books.load("Bench");
    for (auto _ : state) {
        books.markChanged();
        if (books.saveLoaded()) state.SkipWithError("save failed");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_SaveBook)->Arg(12'500)->Arg(25'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

void BM_ImportVCard(benchmark::State& state) {
    const auto& home = homeWithBook(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        addressbook::TOutlookAddressBooks reader;
        if (!reader.Execute(home / "bench.vcf")) state.SkipWithError("import failed");
        addressbook::ImportedEntries imported = addressbook::entriesOfAll(reader);
        benchmark::DoNotOptimize(imported.entries.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ImportVCard)->Arg(12'500)->Arg(25'000)->Arg(50'000)->Unit(benchmark::kMillisecond);

}  // namespace
