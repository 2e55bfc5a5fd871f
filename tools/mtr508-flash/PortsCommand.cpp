// mtr508-flash ports: the system's serial ports in the order the port list shows them.
#include <cstdio>

#include "platform/SerialCommRegistry.h"
#include "serial/ListSerialPorts.h"
#include "tools/mtr508-flash/CommandLine.h"

namespace flash {

int PortsCommand(const std::vector<std::string>& words) {
    const Options options(words, {});
    std::vector<std::string> ports;
    try {
        serial::ListSerialPorts(platform::SystemSerialCommRegistry(), ports);
    } catch (const std::exception& error) {
        PrintLines(stderr, error.what());
        return kExitSystem;
    }
    for (const auto& port : ports) std::printf("%s\n", port.c_str());
    std::fflush(stdout);
    return kExitDone;
}

}  // namespace flash
