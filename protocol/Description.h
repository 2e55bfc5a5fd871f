#pragma once
// The device's description: the text its describe reply carries, as MemoAbout shows it, and the
// firmware version that the write reads from it.
#include <string>
#include <string_view>

namespace protocol {

// The text MemoAbout holds after a describe reply (1251 bytes), starting from an empty memo:
// a reply of 4 characters or fewer gives emptyDescriptionText; of 5 or 6 characters nothing;
// otherwise the characters 4 to L - 3 (UTF-8), where a line feed closes the last line (a line
// break only after a line that is not empty) and every other character, CR included, is appended.
std::string DescriptionMemoText(std::string_view describeReply, std::string_view emptyDescriptionText);

// The firmware that this program carries, as a device describes its own.
inline constexpr const char* kTargetVersion = "171115";

enum class VersionVerdict {
    Unknown,  // not six characters
    Same,     // equals kTargetVersion
    Newer,    // a greater number
    Older,    // anything else: the write goes on
};

// Compares the description (UTF-8, counted in characters) with kTargetVersion. A description of
// six characters that is not an integer raises the toolkit's EConvertError.
VersionVerdict CheckVersion(std::string_view description);

}  // namespace protocol
