#pragma once
// The skin pack's gauge: MinValue, MaxValue and Progress as 64-bit integers, drawn as a
// percentage. Progress is clamped into MinValue .. MaxValue; a MaxValue below MinValue is refused.
#include <cstdint>
#include <string>

#include "toolkit/Control.h"

namespace toolkit {

class Gauge : public Control {
public:
    using Control::Control;

    std::int64_t MinValue() const { return minValue_; }
    std::int64_t MaxValue() const { return maxValue_; }
    std::int64_t Progress() const { return progress_; }

    // Raises EInvalidOperation "Value must be between <MinValue + 1> and 2147483647" for a value
    // below MinValue, storing nothing. Lowers Progress to the new maximum when above it.
    void SetMaxValue(std::int64_t value);
    void SetProgress(std::int64_t value);
    void AddProgress(std::int64_t step) { SetProgress(progress_ + step); }

    // The percentage drawn across the bar, 0 to 100, rounded half to even.
    int Percent() const;
    std::string PercentText() const { return std::to_string(Percent()) + "%"; }

    // How many times the bar has been redrawn: when the percentage changes, and whenever
    // MaxValue is set to a new value.
    std::uint64_t Redraws() const { return redraws_; }

private:
    void Redraw();

    std::int64_t minValue_ = 0;
    std::int64_t maxValue_ = 100;
    std::int64_t progress_ = 0;
    int shownPercent_ = 0;
    std::uint64_t redraws_ = 0;
};

// The standard progress bar: Min, Max and Position, Position clamped into Min .. Max.
class ProgressBar : public Control {
public:
    using Control::Control;

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    void SetMax(int value);
    void SetPosition(int value);
    void StepBy(int step) { SetPosition(position_ + step); }

private:
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
};

}  // namespace toolkit
