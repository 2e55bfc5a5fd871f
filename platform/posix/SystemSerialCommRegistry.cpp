// The registry's list of serial ports, built from /sys/class/tty: every tty that has a device
// bound to a driver (ttyS*, ttyUSB*, ttyACM*, ...). A serial8250 port without hardware reports
// the port type 0 and is left out. The value's name is the device path, its data the port name.
#include <cstring>
#include <fstream>

#include "platform/posix/SysfsSerialCommRegistry.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

bool IsSerialPort(const fs::path& entry) {
    std::error_code error;
    if (!fs::exists(entry / "device" / "driver", error)) return false;
    std::ifstream type(entry / "type");
    int portType = -1;
    if (type >> portType) return portType != 0;
    return true;
}

}  // namespace

long SysfsSerialCommRegistry::OpenKey() {
    ports_.clear();
    std::error_code error;
    fs::directory_iterator it(root_, error);
    if (error) return kRegFileNotFound;
    for (const auto& entry : it) {
        if (IsSerialPort(entry.path())) ports_.push_back(entry.path().filename().string());
    }
    return kRegSuccess;
}

long SysfsSerialCommRegistry::EnumValue(std::uint32_t index, char* name, std::uint32_t* nameSize,
                                        std::uint32_t* type, unsigned char* data, std::uint32_t* dataSize) {
    if (index >= ports_.size()) return kRegNoMoreItems;
    const std::string valueName = "/dev/" + ports_[index];
    const std::string& port = ports_[index];
    if (valueName.size() + 1 > *nameSize || port.size() + 1 > *dataSize) return kRegMoreData;
    std::memcpy(name, valueName.c_str(), valueName.size() + 1);
    std::memcpy(data, port.c_str(), port.size() + 1);
    *nameSize = static_cast<std::uint32_t>(valueName.size());
    *dataSize = static_cast<std::uint32_t>(port.size() + 1);
    *type = 1;  // REG_SZ
    return kRegSuccess;
}

long SysfsSerialCommRegistry::CloseKey() {
    ports_.clear();
    return kRegSuccess;
}

SerialCommRegistry& SystemSerialCommRegistry() {
    static SysfsSerialCommRegistry registry("/sys/class/tty");
    return registry;
}

}  // namespace platform
