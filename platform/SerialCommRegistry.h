#pragma once
// The registry key in which the system's serial drivers publish their ports
// (HKEY_LOCAL_MACHINE\HARDWARE\DEVICEMAP\SERIALCOMM), reduced to the three calls that read it.
// On Windows these are the registry calls; on Linux the same list is built from /sys/class/tty.
#include <cstdint>

namespace platform {

inline constexpr long kRegSuccess = 0;
inline constexpr long kRegFileNotFound = 2;
inline constexpr long kRegMoreData = 234;
inline constexpr long kRegNoMoreItems = 259;

class SerialCommRegistry {
public:
    virtual ~SerialCommRegistry() = default;
    // RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ).
    virtual long OpenKey() = 0;
    // RegEnumValueA on the open key: on entry nameSize is the name buffer's size in characters
    // (its terminating zero included) and dataSize the data buffer's size in bytes; on success
    // they hold the name's length without its zero and the data's size with its zero.
    virtual long EnumValue(std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                           unsigned char* data, std::uint32_t* dataSize) = 0;
    virtual long CloseKey() = 0;
};

SerialCommRegistry& SystemSerialCommRegistry();

}  // namespace platform
