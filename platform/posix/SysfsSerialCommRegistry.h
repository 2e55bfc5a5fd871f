#pragma once
// The serial-port list of Linux, read from a sysfs tty folder (/sys/class/tty on a real system).
#include <filesystem>
#include <string>
#include <vector>

#include "platform/SerialCommRegistry.h"

namespace platform {

class SysfsSerialCommRegistry final : public SerialCommRegistry {
public:
    explicit SysfsSerialCommRegistry(std::filesystem::path root) : root_(std::move(root)) {}

    long OpenKey() override;
    long EnumValue(std::uint32_t index, char* name, std::uint32_t* nameSize, std::uint32_t* type,
                   unsigned char* data, std::uint32_t* dataSize) override;
    long CloseKey() override;

private:
    std::filesystem::path root_;
    std::vector<std::string> ports_;
};

}  // namespace platform
