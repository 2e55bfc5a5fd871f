#pragma once
#include "image/BuildFlashImage.h"
#include "image/FirmwareLines.h"
#include "image/SlicedPump.h"

namespace image {

// The line test, over every line of the text: the parity and the checksum of each record line.
// It also walks the records as the placing will read them (base addresses included, up to the
// end-of-file record) and refuses, here, before anything is erased, a record too short to hold
// its type or its data, data characters that are no hex digits, and data beyond the image.
// False when a line was refused (reported); a checksum field that is not a hex number raises,
// and so does a text without lines (the gauge's range error).
bool CheckHexText(const ImageBuild& build, const FirmwareLines& lines, SlicedPump& pump);

}  // namespace image
