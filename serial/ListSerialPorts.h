#pragma once
#include <string>
#include <vector>

#include "platform/SerialCommRegistry.h"

namespace serial {

// Fills target with the names of the system's serial ports, sorted case-insensitively as the
// framework's string lists sort (COM10 before COM2). On failure raises EComPort with the
// registry message and leaves target as it was. The key is closed on every path.
void ListSerialPorts(platform::SerialCommRegistry& registry, std::vector<std::string>& target);

}  // namespace serial
