#pragma once
// A port on the scripted comm calls and a virtual clock, set up as the main window's BComPort1
// (all five time-outs 1).
#include <gtest/gtest.h>

#include "platform/fake/FakeCommApi.h"
#include "platform/fake/VirtualClock.h"
#include "serial/TBComPort.h"

namespace serial::testing {

using platform::fake::CommCall;

class PortFixture : public ::testing::Test {
protected:
    PortFixture() {
        TComTimeouts ones;
        ones.SetReadInterval(1);
        ones.SetReadTotalMultiplier(1);
        ones.SetReadTotalConstant(1);
        ones.SetWriteTotalMultiplier(1);
        ones.SetWriteTotalConstant(1);
        port.SetTimeouts(ones);
    }

    platform::fake::VirtualClock clock;
    platform::fake::FakeCommApi comm{clock};
    TBComPort port{comm};
};

}  // namespace serial::testing
