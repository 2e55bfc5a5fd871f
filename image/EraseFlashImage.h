#pragma once
#include "image/BuildFlashImage.h"
#include "image/SlicedPump.h"

namespace image {

// Makes the image 40,000,000 "F" characters: a million appends of forty, done a thousand at a
// time. The gauge's maximum is 60,000, so it is full from the 60,000th append on.
void EraseFlashImage(const ImageBuild& build, SlicedPump& pump);

inline constexpr std::int64_t kEraseAppends = 1'000'000;
inline constexpr std::int64_t kEraseGaugeMaximum = 60'000;

}  // namespace image
