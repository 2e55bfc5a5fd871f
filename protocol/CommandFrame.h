#pragma once
// The bootloader's command frames: "k", a two-digit command code, parameters as hex digits, the
// byte sum of code and parameters, ";". Replies begin with "k" and the code plus 0x80.
#include <cstdint>
#include <string>
#include <string_view>

namespace protocol {

inline constexpr const char* kResetCode = "01";
inline constexpr const char* kIdentifyCode = "02";
inline constexpr const char* kDescribeCode = "03";
inline constexpr const char* kEraseCode = "04";
inline constexpr const char* kWriteCode = "05";
inline constexpr const char* kFlashCode = "06";

inline constexpr const char* kResetFrame = "k0101;";
inline constexpr const char* kIdentifyFrame = "k0202;";
inline constexpr const char* kDescribeFrame = "k0303;";
inline constexpr const char* kFlashFrame = "k0606;";
// Sent five times to wake the bootloader; nothing is read after it.
inline constexpr const char* kWakeUpString = "kkkkk";

inline constexpr const char* kEraseReplyStart = "k84";
inline constexpr const char* kWriteReplyStart = "k85";
inline constexpr const char* kFlashReplyStart = "k86";

// "k" + code + parameters + HexByteSum(code + parameters) + ";". The parameters are hex digit
// pairs.
std::string CommandFrame(std::string_view code, std::string_view parameters = {});

// The erase frame for a page at address (24 bits, six hex digits).
std::string EraseFrame(std::uint32_t address);
// The write frame for a block: its number (two hex digits) and its data, already hex pairs.
std::string WriteFrame(unsigned blockNumber, std::string_view blockData);

// True when the reply's first three characters are expectedStart and its last is ";".
bool ReplyAccepted(std::string_view reply, std::string_view expectedStart);

// value as upper-case hex digits, zero-padded to at least digits (a larger value keeps all of its
// digits, as the framework's IntToHex does).
std::string HexDigits(std::uint32_t value, int digits);

}  // namespace protocol
