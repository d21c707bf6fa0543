// The picture viewer's decoder on a 12-megapixel camera-sized picture (4000 x 3000; two flat
// halves, so the file is small and the time is mostly the transform and the colour conversion):
// fitted to a window of 1000 x 700, which libjpeg decodes at 1/4, beside the same picture at
// actual size; and listing a folder of 5,000 files.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "support/jpeg_samples.h"
#include "support/temp_dir.h"
#include "tools/jpeg_picture.h"
#include "tools/picture_folder.h"

namespace {

using namespace velmora;

const std::string& cameraPicture() {
    static const std::string jpeg =
        testing::makeJpeg({.width = 4000, .height = 3000, .quality = 90});
    return jpeg;
}

void decode(benchmark::State& state, tools::JpegDecodeRequest request) {
    const std::string& jpeg = cameraPicture();
    for (auto _ : state) {
        const tools::JpegDecodeResult result = tools::decodeJpeg(jpeg, request);
        if (!result.picture) state.SkipWithError(result.error.c_str());
        benchmark::DoNotOptimize(result.picture->rgb.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * jpeg.size()));
}

void BM_DecodeFittedToAWindow(benchmark::State& state) {
    decode(state, {1000, 700});
}
BENCHMARK(BM_DecodeFittedToAWindow)->Unit(benchmark::kMillisecond);

void BM_DecodeAtActualSize(benchmark::State& state) {
    decode(state, {});
}
BENCHMARK(BM_DecodeAtActualSize)->Unit(benchmark::kMillisecond);

void BM_ListAFolderOf5000Files(benchmark::State& state) {
    testing::TempDir dir;
    for (int i = 0; i < 5000; ++i)
        testing::writeFile(dir / ("IMG_" + std::to_string(i) + (i % 2 ? ".JPG" : ".txt")), "x");
    for (auto _ : state) {
        std::error_code error;
        auto listing = tools::listPictureFolder(dir.path(), error);
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(BM_ListAFolderOf5000Files)->Unit(benchmark::kMillisecond);

}  // namespace
