#pragma once
// Time as the system sees it: a monotonic clock for waits and time-outs, blocking waits, and the
// time of day as the user's locale writes it. Production code takes a Clock&; tests pass a
// VirtualClock (platform/fake) so that long waits cost nothing.
#include <cstdint>
#include <string>

namespace platform {

class Clock {
public:
    virtual ~Clock() = default;
    // Monotonic time in microseconds since an arbitrary origin.
    virtual std::int64_t NowMicroseconds() = 0;
    // Blocks the calling thread for ms milliseconds; 0 gives up the processor once.
    virtual void Sleep(std::uint32_t ms) = 0;
    // The current local time of day in the long time format of the user's locale (UTF-8).
    virtual std::string LongTimeOfDayText() = 0;
};

// The machine's own clock.
Clock& RealClock();

}  // namespace platform
