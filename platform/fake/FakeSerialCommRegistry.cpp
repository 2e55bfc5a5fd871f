#include "platform/fake/FakeSerialCommRegistry.h"

#include <cstring>

namespace platform::fake {

long FakeSerialCommRegistry::OpenKey() {
    if (KeyMissing) return kRegFileNotFound;
    ++Opens;
    return kRegSuccess;
}

long FakeSerialCommRegistry::EnumValue(std::uint32_t index, char* name, std::uint32_t* nameSize,
                                       std::uint32_t* type, unsigned char* data, std::uint32_t* dataSize) {
    if (FailAt && FailAt->first == index) return FailAt->second;
    if (index >= Values.size()) return kRegNoMoreItems;
    const Value& value = Values[index];
    // As the system does: the name needs room for its zero, the data counts its zero.
    if (value.name.size() + 1 > *nameSize || value.data.size() + 1 > *dataSize) return kRegMoreData;
    std::memcpy(name, value.name.c_str(), value.name.size() + 1);
    std::memcpy(data, value.data.c_str(), value.data.size() + 1);
    *nameSize = static_cast<std::uint32_t>(value.name.size());
    *dataSize = static_cast<std::uint32_t>(value.data.size() + 1);
    *type = 1;
    return kRegSuccess;
}

long FakeSerialCommRegistry::CloseKey() {
    ++Closes;
    return kRegSuccess;
}

}  // namespace platform::fake
