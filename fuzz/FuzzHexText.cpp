// Arbitrary text as the firmware text: BuildFlashImage must refuse or accept it without a crash,
// and an accepted text must leave an image of 40,000,000 upper-case hex digits.
//   build/fuzz/fuzz/fuzz_hex -dict=fuzz/hex.dict fuzz/corpus
#include <cstddef>
#include <cstdint>
#include <string>

#include "image/BuildFlashImage.h"
#include "toolkit/headless/HeadlessApplication.h"

namespace {

// One set of controls and one image for the whole run: the image's 40 MB buffer is reused, not
// allocated per input.
struct Target {
    toolkit::headless::HeadlessApplication application;
    toolkit::Memo text{"TextTerminal"};
    toolkit::Gauge gauge{"ProgressbarReadWrite"};
    toolkit::Button write{"ButtonWrite"};
    std::string image;
};

// Kept out of the coverage and sanitizer instrumentation: a plain scan of 40 MB per input.
__attribute__((no_sanitize("address", "undefined", "coverage"))) bool AllUpperHexDigits(
    const char* text, std::size_t size) {
    bool all = true;
    for (std::size_t i = 0; i < size; ++i) all &= (text[i] >= '0' && text[i] <= '9') || (text[i] >= 'A' && text[i] <= 'F');
    return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Target target;
    target.application.ClearEvents();
    target.text.SetText(std::string(reinterpret_cast<const char*>(data), size));
    bool accepted = false;
    target.application.Run([&] {
        accepted = image::BuildFlashImage({target.application, target.text, target.gauge, target.write, target.image});
    });
    if (accepted) {
        if (target.image.size() != 2 * image::kImageBytes || !AllUpperHexDigits(target.image.data(), target.image.size())) __builtin_trap();
    }
    return 0;
}
