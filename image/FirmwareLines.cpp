#include "image/FirmwareLines.h"

#include "platform/CodePage1251.h"

namespace image {

FirmwareLines SplitFirmwareLines(std::vector<std::string> shownLines) {
    FirmwareLines lines;
    lines.Text.reserve(shownLines.size());
    for (const auto& line : shownLines) lines.Text.push_back(platform::Utf8ToCp1251(line));
    lines.Shown = std::move(shownLines);
    return lines;
}

}  // namespace image
