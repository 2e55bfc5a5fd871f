#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "ImageFixture.h"

namespace imagetest {
namespace {

// A clock on which every reading is a time slice later than the one before.
class SteppingClock final : public platform::Clock {
public:
    std::int64_t NowMicroseconds() override { return now_ += 10'000; }
    void Sleep(std::uint32_t) override {}
    std::string LongTimeOfDayText() override { return {}; }

private:
    std::int64_t now_ = 0;
};

// The application notes the gauge's maximum and progress at every pump.
class GaugeWatchingApplication final : public toolkit::headless::HeadlessApplication {
public:
    explicit GaugeWatchingApplication(const toolkit::Gauge& gauge) : gauge_(gauge) {}
    void ProcessMessages() override {
        seen.emplace_back(gauge_.MaxValue(), gauge_.Progress());
        HeadlessApplication::ProcessMessages();
    }
    std::vector<std::pair<std::int64_t, std::int64_t>> seen;

private:
    const toolkit::Gauge& gauge_;
};

const std::string kFirmware = Rec(":0100000011") + "\r\n; note\r\n" + Rec(":0100010022") + "\r\n:00000001FF\r\n" +
                              Rec(":0100020033") + "\r\n";

TEST_F(ImageBuildTest, GaugeShowsEachPassWithItsMaximumAndSteps) {
    SteppingClock stepping;
    GaugeWatchingApplication watching(gauge);
    text.SetText(kFirmware);
    ASSERT_TRUE(image::BuildFlashImage({watching, text, gauge, write, image, stepping}));

    std::vector<std::pair<std::int64_t, std::int64_t>> expected;
    for (int line = 1; line <= 5; ++line) expected.emplace_back(4, line - 1);  // the line test: every line steps
    for (int chunk = 0; chunk < 1000; ++chunk) expected.emplace_back(60'000, std::min(chunk * 1000, 60'000));
    // The placing: the line that is no record makes no step; the end-of-file record ends it.
    for (const int progress : {0, 1, 1, 2}) expected.emplace_back(4, progress);
    EXPECT_EQ(watching.seen, expected);
    EXPECT_EQ(gauge.Progress(), 0);
    EXPECT_TRUE(ErasedBut({{0, "11"}, {1, "22"}}));
}

TEST_F(ImageBuildTest, PassesPumpOncePerTimeSliceNotPerLine) {
    // The virtual clock stands still: each pass pumps once, at its start.
    EXPECT_EQ(Build(kFirmware), true);
    EXPECT_EQ(app.PumpCount(), 3u);
}

}  // namespace
}  // namespace imagetest
