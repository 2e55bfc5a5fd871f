// The port's defaults, setter rules and what each setting hands to the driver.
#include <string>
#include <vector>

#include "tests/serial/PortFixture.h"

namespace serial::testing {
namespace {

using platform::fake::CommCallRecord;

TEST(FreshPort, HasTheComponentDefaults) {
    platform::fake::VirtualClock clock;
    platform::fake::FakeCommApi comm{clock};
    TBComPort port{comm};
    EXPECT_EQ(port.BaudRate(), br9600);
    EXPECT_EQ(port.ByteSize(), bs8);
    EXPECT_EQ(port.InBufSize(), 2048);
    EXPECT_EQ(port.OutBufSize(), 2048);
    EXPECT_EQ(port.Parity(), paNone);
    EXPECT_EQ(port.Port(), "COM2");
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
    EXPECT_EQ(port.StopBits(), sb1);
    const TComTimeouts& t = port.Timeouts();
    EXPECT_EQ(t.OwnerPort(), &port);
    EXPECT_EQ(std::vector<int>({t.ReadInterval(), t.ReadTotalMultiplier(), t.ReadTotalConstant(),
                                t.WriteTotalMultiplier(), t.WriteTotalConstant()}),
              std::vector<int>({-1, 0, 0, 100, 1000}));
    EXPECT_FALSE(port.IsOpen());
    EXPECT_EQ(port.PortHandle(), platform::kInvalidCommHandle);
    EXPECT_EQ(EventsToMask(port.MonitoredEvents()), 0x05BDu);
    EXPECT_TRUE(comm.Calls().empty());
}

using Settings = PortFixture;

TEST_F(Settings, BufferSizesAreStoredEvenAndReachTheDriverOnlyWhenChanged) {
    struct Case {
        std::int32_t set;
        std::int32_t stored;
    };
    ASSERT_TRUE(port.Open());
    for (const Case c : {Case{2049, 2048}, Case{1, 0}, Case{-3, -3}, Case{4096, 4096}}) {
        comm.ClearCalls();
        port.SetInBufSize(c.set);
        EXPECT_EQ(port.InBufSize(), c.stored) << c.set;
        const auto setups = comm.Calls(CommCall::SetupComm);
        ASSERT_EQ(setups.size(), 1u) << c.set;
        EXPECT_EQ(setups[0].Value, static_cast<std::uint32_t>(c.stored));
        EXPECT_EQ(setups[0].Value2, 2048u);
    }
    comm.ClearCalls();
    port.SetInBufSize(4096);  // the stored value again
    port.SetOutBufSize(2048);
    EXPECT_TRUE(comm.Calls(CommCall::SetupComm).empty());
    port.SetOutBufSize(7);
    EXPECT_EQ(port.OutBufSize(), 6);
    EXPECT_EQ(comm.Calls(CommCall::SetupComm).back().Value2, 6u);
}

TEST_F(Settings, ChangesWhileClosedReachTheDriverAtTheNextOpen) {
    port.SetBaudRate(br115200);
    port.SetParity(paEven);
    port.SetByteSize(bs7);
    port.SetStopBits(sb2);
    port.SetInBufSize(1025);
    port.Timeouts().SetReadInterval(-5);
    EXPECT_TRUE(comm.Calls().empty());
    ASSERT_TRUE(port.Open());
    const auto state = comm.Calls(CommCall::SetCommState).at(0).State;
    EXPECT_EQ(state.BaudRate, 115200u);
    EXPECT_EQ(state.Flags, 0x1013u);
    EXPECT_EQ(state.ByteSize, 7);
    EXPECT_EQ(state.Parity, 2);
    EXPECT_EQ(state.StopBits, 2);
    EXPECT_EQ(comm.Calls(CommCall::SetupComm).at(0).Value, 1024u);
    EXPECT_EQ(comm.Calls(CommCall::SetCommTimeouts).at(0).Timeouts.ReadIntervalTimeout, 0xFFFFFFFFu);
}

TEST_F(Settings, LineSettingsFillTheControlBlock) {
    ASSERT_TRUE(port.Open());
    const std::uint32_t rates[] = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                   19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int rate = br110; rate <= br256000; ++rate) {
        port.SetBaudRate(static_cast<TBaudRate>(rate == br9600 ? br110 : rate));
        EXPECT_EQ(comm.Calls(CommCall::SetCommState).back().State.BaudRate, rates[rate == br9600 ? 0 : rate]);
    }
    for (int parity = paNone; parity <= paSpace; ++parity) {
        port.SetParity(static_cast<TParity>(parity == paNone ? paOdd : parity));
        port.SetParity(static_cast<TParity>(parity));
        const platform::Dcb dcb = comm.Calls(CommCall::SetCommState).back().State;
        EXPECT_EQ(dcb.Flags, parity == paNone ? 0x1011u : 0x1013u) << parity;
        EXPECT_EQ(dcb.Parity, parity);
        EXPECT_EQ(dcb.DCBlength, 28u);
        EXPECT_EQ(dcb.XonChar, 0x11);
        EXPECT_EQ(dcb.XoffChar, 0x13);
        EXPECT_EQ(dcb.XonLim, 0);
        EXPECT_EQ(dcb.XoffLim, 0);
        EXPECT_EQ(dcb.ErrorChar + dcb.EofChar + dcb.EvtChar, 0);
    }
    port.SetByteSize(bs5);
    port.SetStopBits(sb1_5);
    const platform::Dcb dcb = comm.Calls(CommCall::SetCommState).back().State;
    EXPECT_EQ(dcb.ByteSize, 5);
    EXPECT_EQ(dcb.StopBits, 1);
}

TEST_F(Settings, ATimeOutChangeWhileOpenHandsAllFiveValuesOver) {
    ASSERT_TRUE(port.Open());
    comm.ClearCalls();
    port.Timeouts().SetReadTotalConstant(1);  // unchanged: no call
    EXPECT_TRUE(comm.Calls(CommCall::SetCommTimeouts).empty());
    port.Timeouts().SetWriteTotalConstant(-5);
    port.Timeouts().SetReadInterval(-1);
    EXPECT_EQ(comm.CallTexts(), (std::vector<std::string>{"SetCommTimeouts(1,1,1,1,4294967295)",
                                                          "SetCommTimeouts(4294967295,1,1,1,4294967295)"}));

    // A settings object of its own copies without applying; the port's setter then applies.
    TComTimeouts other;
    other.SetReadInterval(7);
    other.Assign(port.Timeouts());
    EXPECT_EQ(other.ReadInterval(), -1);
    other.SetReadTotalMultiplier(3);
    comm.ClearCalls();
    port.SetTimeouts(other);
    EXPECT_EQ(comm.CallTexts(), (std::vector<std::string>{"SetCommTimeouts(4294967295,3,1,1,4294967295)"}));
}

TEST_F(Settings, PortAndSyncMethodCannotChangeWhileOpen) {
    port.SetPort("COM7");
    port.SetSyncMethod(smNone);
    port.SetSyncMethod(smThreadSync);
    ASSERT_TRUE(port.Open());
    for (const char* name : {"COM7", "COM3"}) {
        try {
            port.SetPort(name);
            FAIL() << "port changed while open";
        } catch (const EComPort& error) {
            EXPECT_STREQ(error.what(), "Неможна змінювати властивості, доки порт відкритий");
        }
    }
    EXPECT_EQ(port.Port(), "COM7");
    EXPECT_NO_THROW(port.SetSyncMethod(smThreadSync));
    EXPECT_THROW(port.SetSyncMethod(smWindowSync), EComPort);
    EXPECT_EQ(port.SyncMethod(), smThreadSync);
}

TEST_F(Settings, ARefusedSettingKeepsTheNewValueAndThePortOpen) {
    ASSERT_TRUE(port.Open());
    comm.Fail(CommCall::SetCommState, 87, 1);
    try {
        port.SetBaudRate(br256000);
        FAIL() << "refusal not raised";
    } catch (const EComPort& error) {
        EXPECT_STREQ(error.what(), "Помилка функції SetCommState\nНеобхідно повторно відкрити програму!");
    }
    EXPECT_EQ(port.BaudRate(), br256000);
    EXPECT_TRUE(port.IsOpen());
    comm.Fail(CommCall::SetCommTimeouts, 87, 1);
    EXPECT_THROW(port.Timeouts().SetReadInterval(5), EComPort);
    EXPECT_EQ(port.Timeouts().ReadInterval(), 5);
    comm.Fail(CommCall::SetupComm, 87, 1);
    EXPECT_THROW(port.SetOutBufSize(100), EComPort);
    EXPECT_EQ(port.OutBufSize(), 100);
    EXPECT_TRUE(port.IsOpen());
}

}  // namespace
}  // namespace serial::testing
