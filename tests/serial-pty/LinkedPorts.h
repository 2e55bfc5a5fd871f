#pragma once
// Two serial ports joined back to back, for tests on real pseudo-terminals: what one side writes
// the other receives. On Linux the suite starts its own pair (socat linking two ptys) unless
// MTR508_SERIAL_PAIR names one; under Wine the rig maps two COM ports onto such a pair and names
// them there ("COM5,COM6"). Never a real serial device.
#include <string>

namespace serial::testing {

struct LinkedPorts {
    std::string Host;    // the port under test
    std::string Device;  // the far end, played by the test
};

// The pair for this run; empty names when there is none (the tests are then skipped).
const LinkedPorts& TestPorts();

}  // namespace serial::testing
