#pragma once
// What placing one record line does, decoded as the placing reads it: the type by the character
// at position 9 alone (so 01 and 11 both end the text), the byte count at 2-3, the offset at 4-7,
// the data from 10, a base value at 10-13. The faults that would make the placing read past the
// line, copy characters that are no hex digits into the image, or write outside it are decoded
// as such, so that they can be refused instead.
#include <cstdint>
#include <string_view>

namespace image {

struct RecordAction {
    enum Kind {
        Data,                // Count bytes from the line's data field go to Address
        EndOfFile,           // the placing ends
        SetBase,             // the base becomes Address
        StartLinearAddress,  // refused
        Nothing,             // any other type: no effect
        Incomplete,          // no character at position 9, or fewer data characters than the count
        BadData,             // data characters that are no hex digits
        OutOfImage,          // data reaching byte address kImageBytes or beyond
        Unreadable,          // a field that is not a hex number (only when reading without raising)
    };
    Kind kind = Nothing;
    std::uint64_t address = 0;
    std::size_t count = 0;
};

enum class FieldReading {
    Raise,   // a field that is not a hex number raises the framework's conversion error
    Report,  // ... gives Unreadable
};

// line is a record line (it begins with ":"), as 1251 text; base is the base address in force.
RecordAction DecodeRecord(std::string_view line, std::uint64_t base, FieldReading reading);

// Position of the first data character of a record line (1-based).
inline constexpr std::size_t kDataPosition = 10;

}  // namespace image
