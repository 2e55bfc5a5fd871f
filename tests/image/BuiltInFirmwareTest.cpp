#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "resources/BuiltInFirmware.h"

namespace {

std::vector<std::string> CrLfLines(std::string_view text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        EXPECT_NE(end, std::string_view::npos) << "last line not closed by CR LF";
        if (end == std::string_view::npos) break;
        lines.emplace_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

unsigned Hex(const std::string& line, std::size_t at, std::size_t digits) {
    return static_cast<unsigned>(std::stoul(line.substr(at, digits), nullptr, 16));
}

TEST(BuiltInFirmware, HasTheShapeOfTheDevicesFirmware) {
    const std::vector<std::string> lines = CrLfLines(resources::BuiltInFirmwareText());
    ASSERT_EQ(lines.size(), 1560u);
    EXPECT_EQ(lines.front(), ":020000040000FA");
    EXPECT_EQ(lines.back(), ":00000001FF");

    int whole = 0, partial = 0;
    unsigned bytes = 0;
    unsigned runs = 0, runsIn5800 = 0;
    long next = -1;  // the address after the last data record
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        ASSERT_GE(line.size(), 11u) << i + 1;
        ASSERT_LE(line.size(), 43u) << i + 1;
        ASSERT_EQ(line.find_first_not_of(":0123456789ABCDEF"), std::string::npos) << line;
        ASSERT_EQ(line[0], ':');
        const unsigned count = Hex(line, 1, 2);
        ASSERT_EQ(line.size(), 11 + 2 * count) << line;
        unsigned sum = 0;
        for (std::size_t at = 1; at + 1 < line.size(); at += 2) sum += Hex(line, at, 2);
        EXPECT_EQ(sum % 256, 0u) << "checksum of line " << i + 1;
        if (i == 0 || i + 1 == lines.size()) continue;

        ASSERT_EQ(line.substr(7, 2), "00") << "line " << i + 1 << " is no data record";
        const long address = Hex(line, 3, 4);
        ASSERT_GT(address, next - 1) << "not ascending at line " << i + 1;
        if (address != next) {
            ++runs;
            if (address >= 0x5800 && address < 0x6000) ++runsIn5800;
        }
        next = address + count;
        bytes += count;
        if (count == 16) ++whole;
        else if (count >= 2 && count <= 14) ++partial;
        else ADD_FAILURE() << "line " << i + 1 << " carries " << count << " bytes";
    }
    EXPECT_EQ(whole, 1529);
    EXPECT_EQ(partial, 29);
    EXPECT_EQ(bytes, 24674u);
    EXPECT_EQ(runs, 26u);
    EXPECT_EQ(runsIn5800, 19u);
    EXPECT_LE(next, 0x10000);
}

TEST(BuiltInFirmware, CarriesItsVersionAt6800) {
    const std::string text(resources::BuiltInFirmwareText());
    // 55 AA AA 55, "171115" in ASCII, 02 00.
    EXPECT_NE(text.find(":0C68000055AAAA553137313131350200"), std::string::npos);
}

}  // namespace
