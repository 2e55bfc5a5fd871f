#include "platform/fake/VirtualClock.h"

namespace platform::fake {

void VirtualClock::Sleep(std::uint32_t ms) {
    {
        std::lock_guard lock(mutex_);
        sleeps_.push_back(ms);
    }
    now_ += static_cast<std::int64_t>(ms) * 1000;
}

std::vector<std::uint32_t> VirtualClock::Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

void VirtualClock::ClearSleeps() {
    std::lock_guard lock(mutex_);
    sleeps_.clear();
}

}  // namespace platform::fake
