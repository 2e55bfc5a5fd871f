#include "toolkit/Gauge.h"

#include <algorithm>
#include <cmath>

#include "toolkit/Errors.h"

namespace toolkit {

void Gauge::SetMaxValue(std::int64_t value) {
    if (value < minValue_) {
        throw EInvalidOperation("Value must be between " + std::to_string(minValue_ + 1) + " and 2147483647");
    }
    if (value == maxValue_) return;
    maxValue_ = value;
    if (progress_ > maxValue_) progress_ = maxValue_;
    shownPercent_ = Percent();
    Redraw();
}

void Gauge::SetProgress(std::int64_t value) {
    value = std::clamp(value, minValue_, maxValue_);
    if (value == progress_) return;
    progress_ = value;
    const int percent = Percent();
    if (percent != shownPercent_) {
        shownPercent_ = percent;
        Redraw();
    }
}

int Gauge::Percent() const {
    if (maxValue_ == minValue_) return 0;
    const double p = 100.0 / static_cast<double>(maxValue_ - minValue_) * static_cast<double>(progress_ - minValue_);
    return static_cast<int>(std::nearbyint(p));  // the default rounding mode: half to even
}

void Gauge::Redraw() {
    ++redraws_;
    Changed();
}

void ProgressBar::SetMax(int value) {
    if (value == max_) return;
    max_ = value;
    if (position_ > max_) position_ = max_;
    Changed();
}

void ProgressBar::SetPosition(int value) {
    value = std::clamp(value, min_, std::max(min_, max_));
    if (value == position_) return;
    position_ = value;
    Changed();
}

}  // namespace toolkit
