#pragma once
// The firmware text split into lines the way the memo splits it, each line twice: as 1251 text
// (one byte per character, so that positions and parity are exact) for the passes, and as the
// memo shows it (UTF-8) for the messages.
#include <string>
#include <vector>

namespace image {

struct FirmwareLines {
    std::vector<std::string> Text;
    std::vector<std::string> Shown;
    std::size_t Count() const { return Text.size(); }
};

FirmwareLines SplitFirmwareLines(std::vector<std::string> shownLines);

}  // namespace image
