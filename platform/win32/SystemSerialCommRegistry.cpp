#include <windows.h>

#include "platform/SerialCommRegistry.h"

namespace platform {
namespace {

class Win32SerialCommRegistry final : public SerialCommRegistry {
public:
    long OpenKey() override {
        return RegOpenKeyExA(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key_);
    }

    long EnumValue(std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   unsigned char* data, std::uint32_t* dataSize) override {
        DWORD nameLength = *nameSize;
        DWORD dataLength = *dataSize;
        DWORD valueType = 0;
        const LONG result = RegEnumValueA(key_, index, name, &nameLength, nullptr, &valueType, data, &dataLength);
        *nameSize = nameLength;
        *dataSize = dataLength;
        *type = valueType;
        return result;
    }

    long CloseKey() override {
        const LONG result = RegCloseKey(key_);
        key_ = nullptr;
        return result;
    }

private:
    HKEY key_ = nullptr;
};

}  // namespace

SerialCommRegistry& SystemSerialCommRegistry() {
    static Win32SerialCommRegistry registry;
    return registry;
}

}  // namespace platform
