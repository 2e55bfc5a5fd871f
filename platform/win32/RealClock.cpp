#include <windows.h>

#include "platform/Clock.h"
#include "platform/win32/WideText.h"

namespace platform {
namespace {

class Win32Clock final : public Clock {
public:
    std::int64_t NowMicroseconds() override {
        static const LONGLONG frequency = [] {
            LARGE_INTEGER f;
            QueryPerformanceFrequency(&f);
            return f.QuadPart;
        }();
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        return static_cast<std::int64_t>(now.QuadPart / frequency * 1'000'000 + now.QuadPart % frequency * 1'000'000 / frequency);
    }

    void Sleep(std::uint32_t ms) override { ::Sleep(ms); }

    // The long time format of the user's locale.
    std::string LongTimeOfDayText() override {
        wchar_t text[80] = {};
        if (GetTimeFormatW(LOCALE_USER_DEFAULT, 0, nullptr, nullptr, text, 80) == 0) return {};
        return Utf16ToUtf8(text);
    }
};

}  // namespace

Clock& RealClock() {
    static Win32Clock clock;
    return clock;
}

}  // namespace platform
