// BuildFlashImage on the built-in firmware, and, for scale, filling the 40,000,000 characters of
// the image: the build should cost at most a few times the fill.
//   build/release/bench/bench_image
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "image/BuildFlashImage.h"
#include "resources/BuiltInFirmware.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace {

void FillImage(benchmark::State& state) {
    std::string image;
    for (auto _ : state) {
        image.assign(2 * image::kImageBytes, 'F');  // the buffer is kept from one round to the next
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * image::kImageBytes);
}

void BuildBuiltInImage(benchmark::State& state) {
    toolkit::headless::HeadlessApplication application;
    toolkit::Memo text("TextTerminal");
    toolkit::Gauge gauge("ProgressbarReadWrite");
    toolkit::Button write("ButtonWrite");
    std::string image;
    const std::string firmware(resources::BuiltInFirmwareText());
    for (auto _ : state) {
        text.SetText(firmware);
        if (!image::BuildFlashImage({application, text, gauge, write, image, platform::RealClock()})) {
            state.SkipWithError("the built-in firmware was refused");
            break;
        }
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 2 * image::kImageBytes);
    state.counters["pumps"] = static_cast<double>(application.PumpCount()) / static_cast<double>(state.iterations());
}

BENCHMARK(FillImage)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildBuiltInImage)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
