// Opening and closing step by step, and the refusals on the way.
#include <string>
#include <vector>

#include "platform/MainThreadCalls.h"
#include "tests/serial/PortFixture.h"

namespace serial::testing {
namespace {

using OpenClose = PortFixture;

// The recorded calls without the line-event thread's event waits and queue queries.
std::vector<std::string> PortSteps(const platform::fake::FakeCommApi& comm) {
    std::vector<std::string> steps;
    for (const std::string& text : comm.CallTexts()) {
        if (text != "WaitCommEvent" && text != "ClearCommError") steps.push_back(text);
    }
    return steps;
}

TEST_F(OpenClose, OpenAppliesEverySettingAndStartsTheThread) {
    ASSERT_TRUE(port.Open());
    EXPECT_TRUE(port.IsOpen());
    EXPECT_EQ(PortSteps(comm), (std::vector<std::string>{"OpenDevice(\\\\.\\COM2)", "SetupComm(2048,2048)",
                                                         "SetCommState(9600,0x1011,8,0,0)",
                                                         "SetCommTimeouts(1,1,1,1,1)", "SetCommMask(0x5BD)"}));
    EXPECT_TRUE(comm.AwaitEventWait(5000));
    EXPECT_TRUE(comm.Dtr());
    EXPECT_TRUE(comm.Rts());

    comm.ClearCalls();
    EXPECT_TRUE(port.Open());  // already open: nothing happens
    EXPECT_TRUE(comm.Calls().empty());
}

TEST_F(OpenClose, CloseDropsTheLinesStopsTheThreadAndReleasesTheDevice) {
    for (const bool wineStyle : {false, true}) {
        comm.MaskChangeAbortsWait = wineStyle;
        ASSERT_TRUE(port.Open());
        ASSERT_TRUE(comm.AwaitEventWait(5000));
        comm.ClearCalls();
        EXPECT_TRUE(port.Close());
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.PortHandle(), platform::kInvalidCommHandle);
        EXPECT_EQ(PortSteps(comm), (std::vector<std::string>{"EscapeCommFunction(6)", "EscapeCommFunction(4)",
                                                             "PurgeComm(0x3)", "SetCommMask(0x0)", "PurgeComm(0xC)",
                                                             "CloseHandle"}))
            << "mask change aborts the wait: " << wineStyle;
        EXPECT_FALSE(comm.PortOpen());
        EXPECT_FALSE(comm.Dtr());
        EXPECT_FALSE(comm.Rts());
        EXPECT_EQ(comm.LiveEvents(), 0u);  // stop event, completion event and transfers all closed
    }
    comm.ClearCalls();
    EXPECT_TRUE(port.Close());  // already closed: nothing happens
    EXPECT_TRUE(comm.Calls().empty());
}

TEST_F(OpenClose, OpenRefusalsRaiseTheirMessagesAndLeaveThePortClosed) {
    struct Case {
        CommCall call;
        std::uint32_t error;
        const char* message;
    };
    const Case cases[] = {
        {CommCall::OpenDevice, 2, "Спроба відкрити неіснуючий СОМ-порт"},
        {CommCall::OpenDevice, 5, "Порт зайнятий іншою програмою"},
        // Any other open error shows first where the invalid handle is used.
        {CommCall::OpenDevice, 31, "Помилка функції SetupComm\nНеобхідно повторно відкрити програму!"},
        {CommCall::SetupComm, 87, "Помилка функції SetupComm\nНеобхідно повторно відкрити програму!"},
        {CommCall::SetCommState, 87, "Помилка функції SetCommState\nНеобхідно повторно відкрити програму!"},
        {CommCall::SetCommTimeouts, 87, "Помилка функції SetCommTimeouts\nНеобхідно повторно відкрити програму!"},
    };
    for (const Case& c : cases) {
        comm.Fail(c.call, c.error, 1);
        comm.ClearCalls();
        try {
            port.Open();
            ADD_FAILURE() << "opened despite " << CallName(c.call) << " error " << c.error;
        } catch (const EComPort& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_FALSE(port.IsOpen());
        EXPECT_EQ(port.PortHandle(), platform::kInvalidCommHandle);
        EXPECT_FALSE(comm.PortOpen()) << "device still held after " << CallName(c.call);
        EXPECT_TRUE(comm.Calls(CommCall::SetCommMask).empty()) << "thread started";
    }
    ASSERT_TRUE(port.Open());  // nothing left behind
}

TEST_F(OpenClose, AFailedCloseStepLeavesThePortOpenAndALaterCloseStartsAgain) {
    struct Case {
        CommCall call;
        const char* message;
    };
    for (const Case c : {Case{CommCall::EscapeCommFunction,
                              "Помилка функції EscapeCommFunction\nНеобхідно повторно відкрити програму!"},
                         Case{CommCall::PurgeComm, "Помилка функції PurgeComm\nНеобхідно повторно відкрити програму!"}}) {
        ASSERT_TRUE(port.Open());
        comm.Fail(c.call, 50, 1);
        try {
            port.Close();
            ADD_FAILURE() << "closed despite " << CallName(c.call);
        } catch (const EComPort& error) {
            EXPECT_STREQ(error.what(), c.message);
        }
        EXPECT_TRUE(port.IsOpen());
        EXPECT_TRUE(comm.PortOpen());
        EXPECT_TRUE(comm.AwaitEventWait(5000)) << "the thread still waits for events";
        comm.ClearCalls();
        EXPECT_TRUE(port.Close());
        EXPECT_EQ(comm.CallTexts().front(), "EscapeCommFunction(6)");
        EXPECT_FALSE(comm.PortOpen());
    }
}

TEST_F(OpenClose, DestroyingAnOpenPortClosesIt) {
    {
        TBComPort other{comm};
        other.SetPort("COM9");
        ASSERT_TRUE(other.Open());
        comm.ClearCalls();
    }
    const auto steps = PortSteps(comm);
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.front(), "EscapeCommFunction(6)");
    EXPECT_EQ(steps.back(), "CloseHandle");
    EXPECT_FALSE(comm.PortOpen());
    EXPECT_FALSE(comm.Dtr());
}

TEST_F(OpenClose, CloseRunsTheDispatchTheThreadWaitsForAndThenEnds) {
    std::vector<std::int32_t> counts;
    port.OnRxChar = [&](TBComPort&, std::int32_t count) { counts.push_back(count); };
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));
    comm.Deliver("abc");
    // Once the thread has taken the event it hands its dispatch to this thread and waits.
    ASSERT_TRUE(comm.AwaitEventResultsTaken(1, 5000));
    EXPECT_TRUE(counts.empty());
    ASSERT_TRUE(port.Close());
    EXPECT_EQ(counts, std::vector<std::int32_t>{3});  // abort does not clear the queue
    EXPECT_EQ(comm.EventMask(), 0u);
    EXPECT_EQ(comm.InputWaiting(), 0u);
}

}  // namespace
}  // namespace serial::testing
