#include "image/HexRecordFields.h"

#include "platform/CodePage1251.h"
#include "toolkit/Convert.h"

namespace image {

std::string_view Field(std::string_view line, std::size_t position, std::size_t length) {
    if (position == 0 || position > line.size()) return {};
    return line.substr(position - 1, length);
}

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

std::optional<std::uint32_t> HexValue(std::string_view digits) {
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    std::uint32_t value = 0;
    for (const char c : digits) {
        if (!IsHexDigit(c)) return std::nullopt;
        const unsigned digit = c <= '9' ? unsigned(c - '0') : unsigned((c & ~0x20) - 'A' + 10);
        value = value * 16 + digit;
    }
    return value;
}

std::uint32_t ConvertHexField(std::string_view digits) {
    // The message shows the field as the user's text holds it.
    std::string text(1, '$');
    text += platform::Cp1251ToUtf8(digits);
    return static_cast<std::uint32_t>(toolkit::StrToInt(text));
}

std::string HexPair(unsigned value) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    return {kDigits[(value >> 4) & 0xF], kDigits[value & 0xF]};
}

}  // namespace image
