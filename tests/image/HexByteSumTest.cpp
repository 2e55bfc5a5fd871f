#include <gtest/gtest.h>

#include "image/HexByteSum.h"

namespace {

TEST(HexByteSum, SumsPairsModulo256AsTwoUpperCaseDigits) {
    const struct {
        const char* pairs;
        const char* sum;
    } cases[] = {
        {"", "00"},
        {"0102", "03"},
        {"FFFF", "FE"},
        {"ff01", "00"},          // lower-case digits read as well
        {"0G", "00"},            // a pair that is no hex number counts 0
        {"0G01 1", "01"},        // ... so do " 1" and a blank pair
        {"020000040000", "06"},  // the body of ":020000040000FA"
        {"7F7F7F", "7D"},        // 0x17D keeps its last two digits
        {"010", "01"},           // a lone last character makes no pair
    };
    for (const auto& c : cases) EXPECT_EQ(image::HexByteSum(c.pairs), c.sum) << c.pairs;
}

}  // namespace
