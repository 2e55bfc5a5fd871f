#include "image/HexRecord.h"

#include <optional>

#include "image/BuildFlashImage.h"
#include "image/HexRecordFields.h"

namespace image {
namespace {

// The colon, count, offset, type and checksum: what a line holds besides its data.
constexpr std::size_t kFramingCharacters = 11;

std::optional<std::uint32_t> Read(std::string_view field, FieldReading reading) {
    if (reading == FieldReading::Raise) return ConvertHexField(field);
    return HexValue(field);
}

}  // namespace

RecordAction DecodeRecord(std::string_view line, std::uint64_t base, FieldReading reading) {
    if (line.size() < 9) return {RecordAction::Incomplete};
    switch (line[8]) {
        case '1':
            return {RecordAction::EndOfFile};
        case '5':
            return {RecordAction::StartLinearAddress};
        case '2':
        case '4': {
            const auto value = Read(Field(line, kDataPosition, 4), reading);
            if (!value) return {RecordAction::Unreadable};
            return {RecordAction::SetBase, std::uint64_t{*value} * (line[8] == '2' ? 16u : 65536u)};
        }
        case '0':
            break;
        default:
            return {RecordAction::Nothing};
    }
    const auto count = Read(Field(line, 2, 2), reading);
    if (!count) return {RecordAction::Unreadable};
    const auto offset = Read(Field(line, 4, 4), reading);
    if (!offset) return {RecordAction::Unreadable};
    const std::size_t n = *count;
    const std::uint64_t address = base + *offset;
    if (n == 0) return {RecordAction::Data, address, 0};
    const std::size_t dataCharacters = line.size() > kFramingCharacters ? line.size() - kFramingCharacters : 0;
    if (dataCharacters < 2 * n) return {RecordAction::Incomplete};
    for (const char c : line.substr(kDataPosition - 1, 2 * n)) {
        if (!IsHexDigit(c)) return {RecordAction::BadData};
    }
    if (address + n > kImageBytes) return {RecordAction::OutOfImage};
    return {RecordAction::Data, address, n};
}

}  // namespace image
