#include "image/EraseFlashImage.h"

namespace image {
namespace {

constexpr std::size_t kAppendCharacters = 40;
constexpr std::int64_t kAppendsPerChunk = 1'000;

}  // namespace

void EraseFlashImage(const ImageBuild& build, SlicedPump& pump) {
    build.Gauge.SetMaxValue(kEraseGaugeMaximum);
    build.Gauge.SetProgress(0);
    std::string& image = build.FlashImage;
    image.clear();  // keeps the buffer: a rebuild allocates nothing
    image.reserve(2 * kImageBytes);
    for (std::int64_t done = 0; done < kEraseAppends; done += kAppendsPerChunk) {
        if (done == 0) pump.Pump();
        else pump.Tick();
        image.append(kAppendsPerChunk * kAppendCharacters, 'F');
        build.Gauge.SetProgress(done + kAppendsPerChunk);
    }
}

}  // namespace image
