#pragma once
// A clock that moves only when told to: Sleep advances it at once, so a wait of minutes costs
// nothing. Every Sleep is recorded, for tests that check the waits a command makes.
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/Clock.h"

namespace platform::fake {

class VirtualClock final : public Clock {
public:
    std::int64_t NowMicroseconds() override { return now_.load(); }
    void Sleep(std::uint32_t ms) override;
    std::string LongTimeOfDayText() override { return timeOfDay_; }

    void Advance(std::int64_t microseconds) { now_ += microseconds; }
    void SetTimeOfDayText(std::string text) { timeOfDay_ = std::move(text); }

    std::vector<std::uint32_t> Sleeps() const;
    void ClearSleeps();

private:
    std::atomic<std::int64_t> now_{0};
    std::string timeOfDay_ = "12:34:56";
    mutable std::mutex mutex_;
    std::vector<std::uint32_t> sleeps_;
};

}  // namespace platform::fake
