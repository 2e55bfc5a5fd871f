#include <ctime>
#include <locale.h>
#include <sched.h>
#include <time.h>

#include "platform/Clock.h"

namespace platform {
namespace {

class PosixClock final : public Clock {
public:
    std::int64_t NowMicroseconds() override {
        timespec now{};
        clock_gettime(CLOCK_MONOTONIC, &now);
        return static_cast<std::int64_t>(now.tv_sec) * 1'000'000 + now.tv_nsec / 1000;
    }

    void Sleep(std::uint32_t ms) override {
        if (ms == 0) {
            sched_yield();
            return;
        }
        timespec wait{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1'000'000L};
        while (nanosleep(&wait, &wait) != 0) {
        }
    }

    // The user's locale's time format (%X of LC_TIME, taken from the environment).
    std::string LongTimeOfDayText() override {
        static locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
        const std::time_t now = std::time(nullptr);
        std::tm local{};
        localtime_r(&now, &local);
        char text[64] = {};
        if (locale) strftime_l(text, sizeof text, "%X", &local, locale);
        else std::strftime(text, sizeof text, "%X", &local);
        return text;
    }
};

}  // namespace

Clock& RealClock() {
    static PosixClock clock;
    return clock;
}

}  // namespace platform
