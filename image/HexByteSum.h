#pragma once
#include <string>
#include <string_view>

namespace image {

// The sum of a text of hex digit pairs modulo 256, as two upper-case hex digits; a pair that is
// not a hex number counts 0. "0102" gives "03", "" gives "00".
std::string HexByteSum(std::string_view pairs);

}  // namespace image
