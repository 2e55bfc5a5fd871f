#pragma once
// Text to number as the framework converts it.
#include <cstdint>
#include <string>

namespace toolkit {

// A 32-bit signed integer from its text: leading blanks, an optional sign, then decimal digits,
// or "$" / "0x" followed by hex digits (either case). Anything else, nothing at all, or a value
// outside 32 bits raises EConvertError "'<text>' is not a valid integer value".
std::int32_t StrToInt(const std::string& text);

// Like StrToInt, but gives fallback instead of raising.
std::int32_t StrToIntDef(const std::string& text, std::int32_t fallback);

}  // namespace toolkit
