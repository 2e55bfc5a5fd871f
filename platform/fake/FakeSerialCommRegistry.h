#pragma once
// The serial-port key as a test wants it: values in any order, the key missing, a value too long
// for its buffer, or a read that fails; opens and closes are counted.
#include <optional>
#include <string>
#include <vector>

#include "platform/SerialCommRegistry.h"

namespace platform::fake {

class FakeSerialCommRegistry final : public SerialCommRegistry {
public:
    struct Value {
        std::string name;
        std::string data;  // the port name; the terminating zero is added when read
    };

    std::vector<Value> Values;
    bool KeyMissing = false;
    // The index at which RegEnumValue fails with this error instead of reading.
    std::optional<std::pair<std::uint32_t, long>> FailAt;

    int Opens = 0;
    int Closes = 0;

    long OpenKey() override;
    long EnumValue(std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   unsigned char* data, std::uint32_t* dataSize) override;
    long CloseKey() override;
};

}  // namespace platform::fake
