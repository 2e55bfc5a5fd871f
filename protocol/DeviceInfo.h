#pragma once
// The device's geometry and bootloader version, decoded from its identify reply.
#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

struct DeviceInfo {
    std::string LoaderVersion;  // two characters; only "02" is served
    int BlocksPerPage = 0;      // 0 .. 255
    int BlockSize = 0;          // 0 .. 255, bytes
    int PageCount = 0;          // 0 .. 65535

    bool operator==(const DeviceInfo&) const = default;
};

inline constexpr const char* kIdentifyReplyCode = "82";
inline constexpr const char* kSupportedLoaderVersion = "02";

// Positions 2-3 of the identify reply; empty when the reply is.
std::string ReplyCodeOf(std::string_view identifyReply);

// Reads the fields of the identify reply (positions from 1): loader version 4-5, blocks per page
// 10-11, block size 12-13, page count 14-17, the numbers in hex. A field is taken as far as the
// reply reaches; an empty field or one that is not a hex number gives 0.
DeviceInfo DecodeDeviceInfo(std::string_view identifyReply);

// Bytes that a write of this geometry covers from address 0.
std::uint64_t WrittenBytes(const DeviceInfo& info);
// Start address of the last page that a write erases (0 when it erases none).
std::uint64_t LastPageStart(const DeviceInfo& info);

}  // namespace protocol
