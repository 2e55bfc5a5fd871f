#pragma once
#include "image/BuildFlashImage.h"
#include "image/FirmwareLines.h"
#include "image/SlicedPump.h"

namespace image {

// Places the data records into the erased image, up to the end-of-file record (type character
// "1") or the last line. False when a start linear address record (or a record fault that the
// line test lets through) was refused and reported; a field that is not a hex number raises.
bool PlaceHexRecords(const ImageBuild& build, const FirmwareLines& lines, SlicedPump& pump);

}  // namespace image
