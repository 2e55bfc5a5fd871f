#pragma once
// Processing pending window messages once per time slice rather than once per line or append:
// the window stays responsive while a pass over 40,000,000 characters costs little more than
// the pass itself.
#include <cstdint>

#include "platform/Clock.h"
#include "toolkit/Application.h"

namespace image {

class SlicedPump {
public:
    static constexpr std::int64_t kSliceMicroseconds = 10'000;

    SlicedPump(toolkit::Application& application, platform::Clock& clock)
        : application_(application), clock_(clock) {}

    // Processes the pending messages now.
    void Pump();
    // Processes them when a slice has passed since the last time.
    void Tick() {
        if (clock_.NowMicroseconds() - last_ >= kSliceMicroseconds) Pump();
    }

private:
    toolkit::Application& application_;
    platform::Clock& clock_;
    std::int64_t last_ = 0;
};

}  // namespace image
