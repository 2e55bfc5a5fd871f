#pragma once
// Reading the fields of an Intel HEX line held as 1251 text (one byte per character).
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace image {

// The characters at 1-based positions position .. position + length - 1, as many of them as the
// line holds (none when it is shorter than position).
std::string_view Field(std::string_view line, std::size_t position, std::size_t length);

bool IsHexDigit(char c);
// The value of a text of hex digits (either case); nothing when it is empty or holds another
// character. Texts of up to 8 digits.
std::optional<std::uint32_t> HexValue(std::string_view digits);
// The value as the framework's StrToInt("$" + digits) gives it: raises EConvertError
// "'$<digits>' is not a valid integer value" when digits are not a hex number.
std::uint32_t ConvertHexField(std::string_view digits);

// Two upper-case hex digits.
std::string HexPair(unsigned value);

}  // namespace image
