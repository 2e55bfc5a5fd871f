#pragma once
// Testing Intel HEX text and building the image of device memory that a write sends.
#include <string>

#include "platform/Clock.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/Gauge.h"
#include "toolkit/Memo.h"

namespace image {

// The image: 20,000,000 bytes of device memory as 40,000,000 upper-case hex characters.
inline constexpr std::size_t kImageBytes = 20'000'000;

// What the passes work on: the firmware text, the gauge that shows them, the Write button that
// success enables, the image, the application for pumping, sounds and messages, and the clock
// that times the pumping (the passes pump once per time slice, not per line).
struct ImageBuild {
    toolkit::Application& Application;
    toolkit::Memo& TextTerminal;
    toolkit::Gauge& Gauge;
    toolkit::Button& ButtonWrite;
    std::string& FlashImage;
    platform::Clock& Clock = platform::RealClock();
};

// Upper-cases the text, tests it line by line, erases the image and places the records. True
// on success; a refused text has been reported (beep and message) when it returns false. Errors
// of the system (a field that is not a number, the gauge's range error) are raised.
bool BuildFlashImage(const ImageBuild& build);

}  // namespace image
