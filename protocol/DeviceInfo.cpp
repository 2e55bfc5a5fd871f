#include "protocol/DeviceInfo.h"

namespace protocol {
namespace {

// Characters first .. first + length - 1 (counted from 1), as far as the text reaches.
std::string_view Field(std::string_view text, std::size_t first, std::size_t length) {
    if (text.size() < first) return {};
    return text.substr(first - 1, length);
}

int HexField(std::string_view field) {
    if (field.empty()) return 0;
    int value = 0;
    for (char c : field) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else {
            return 0;
        }
        value = value * 16 + digit;
    }
    return value;
}

}  // namespace

std::string ReplyCodeOf(std::string_view identifyReply) {
    return std::string(Field(identifyReply, 2, 2));
}

DeviceInfo DecodeDeviceInfo(std::string_view identifyReply) {
    DeviceInfo info;
    info.LoaderVersion = std::string(Field(identifyReply, 4, 2));
    info.BlocksPerPage = HexField(Field(identifyReply, 10, 2));
    info.BlockSize = HexField(Field(identifyReply, 12, 2));
    info.PageCount = HexField(Field(identifyReply, 14, 4));
    return info;
}

std::uint64_t WrittenBytes(const DeviceInfo& info) {
    return static_cast<std::uint64_t>(info.PageCount) * static_cast<std::uint64_t>(info.BlocksPerPage) *
           static_cast<std::uint64_t>(info.BlockSize);
}

std::uint64_t LastPageStart(const DeviceInfo& info) {
    if (info.PageCount == 0) return 0;
    return static_cast<std::uint64_t>(info.PageCount - 1) * static_cast<std::uint64_t>(info.BlocksPerPage) *
           static_cast<std::uint64_t>(info.BlockSize);
}

}  // namespace protocol
