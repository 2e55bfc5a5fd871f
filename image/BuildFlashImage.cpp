#include "image/BuildFlashImage.h"

#include <algorithm>

#include "image/CheckHexText.h"
#include "image/EraseFlashImage.h"
#include "image/FirmwareLines.h"
#include "image/PlaceHexRecords.h"
#include "image/SlicedPump.h"

namespace image {

bool BuildFlashImage(const ImageBuild& build) {
    std::string text = build.TextTerminal.Text();
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    build.TextTerminal.SetText(std::move(text));
    const FirmwareLines lines = SplitFirmwareLines(build.TextTerminal.Lines());

    SlicedPump pump(build.Application, build.Clock);
    if (!CheckHexText(build, lines, pump)) return false;
    EraseFlashImage(build, pump);
    if (!PlaceHexRecords(build, lines, pump)) return false;

    build.Application.BringToFront();
    build.Gauge.SetProgress(0);
    build.ButtonWrite.SetEnabled(true);
    build.Application.MessageBeep(0x40);
    return true;
}

}  // namespace image
