#include "image/HexByteSum.h"

#include "image/HexRecordFields.h"

namespace image {

std::string HexByteSum(std::string_view pairs) {
    unsigned sum = 0;
    // A lone last character (an odd text) makes no pair and is not counted.
    for (std::size_t i = 0; i + 1 < pairs.size(); i += 2) {
        if (auto value = HexValue(pairs.substr(i, 2))) sum += *value;
    }
    return HexPair(sum & 0xFF);
}

}  // namespace image
