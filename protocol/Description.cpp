#include "protocol/Description.h"

#include "platform/CodePage1251.h"
#include "toolkit/Convert.h"

namespace protocol {

std::string DescriptionMemoText(std::string_view describeReply, std::string_view emptyDescriptionText) {
    const std::size_t length = describeReply.size();
    if (length <= 4) return std::string(emptyDescriptionText);
    if (length <= 6) return {};
    // Positions 4 .. L - 3, counted from 1.
    const std::string description = platform::Cp1251ToUtf8(describeReply.substr(3, length - 6));
    std::string text;
    text.reserve(description.size() + 16);
    for (char c : description) {
        if (c == '\n') {
            if (!text.empty() && text.back() != '\n') text += "\r\n";
        } else {
            text += c;
        }
    }
    return text;
}

VersionVerdict CheckVersion(std::string_view description) {
    if (platform::Utf8Length(description) != 6) return VersionVerdict::Unknown;
    if (description == kTargetVersion) return VersionVerdict::Same;
    if (toolkit::StrToInt(std::string(description)) > toolkit::StrToInt(kTargetVersion)) return VersionVerdict::Newer;
    return VersionVerdict::Older;
}

}  // namespace protocol
