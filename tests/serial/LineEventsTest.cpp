// Line events: the dispatch order and error mapping, and the three ways they reach the handlers.
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/MainThreadCalls.h"
#include "tests/serial/PortFixture.h"

namespace serial::testing {
namespace {

// Every handler assigned; each call is written down.
class LineEvents : public PortFixture {
protected:
    // The handlers note into this fixture: close while it is still whole.
    void TearDown() override { port.Close(); }

    void AssignAll() {
        port.OnError = [this](TBComPort& sender, TComErrors errors) {
            EXPECT_EQ(&sender, &port);
            Note("Error " + std::to_string(errors.Bits()));
        };
        port.OnRxChar = [this](TBComPort&, std::int32_t count) { Note("RxChar " + std::to_string(count)); };
        port.OnTxEmpty = [this](TBComPort&) { Note("TxEmpty"); };
        port.OnRing = [this](TBComPort&) { Note("Ring"); };
        port.OnCTSChange = [this](TBComPort&, bool on) { Note(std::string("CTS ") + (on ? "on" : "off")); };
        port.OnDSRChange = [this](TBComPort&, bool on) { Note(std::string("DSR ") + (on ? "on" : "off")); };
        port.OnRLSDChange = [this](TBComPort&, bool on) { Note(std::string("RLSD ") + (on ? "on" : "off")); };
        port.OnRx80Full = [this](TBComPort&) { Note("Rx80Full"); };
    }
    void Note(const std::string& what) {
        std::lock_guard lock(mutex_);
        notes_.push_back(what);
        threads_.push_back(std::this_thread::get_id());
    }
    std::vector<std::string> Notes() {
        std::lock_guard lock(mutex_);
        return notes_;
    }
    std::thread::id LastThread() {
        std::lock_guard lock(mutex_);
        return threads_.empty() ? std::thread::id() : threads_.back();
    }
    // This thread's message pump: the queued calls, and messages sent to the notify window.
    void PumpUntil(const std::function<bool()>& done) {
        const auto start = std::chrono::steady_clock::now();
        platform::MainThreadCalls::Instance().RunPendingUntil([&] {
            if (platform::MessageWindow* window = port.NotifyWindow()) window->DeliverSentMessages();
            return done() || std::chrono::steady_clock::now() - start > std::chrono::seconds(5);
        });
    }
    void PumpUntilNotes(std::size_t count) {
        PumpUntil([&] { return Notes().size() >= count; });
    }

    std::mutex mutex_;
    std::vector<std::string> notes_;
    std::vector<std::thread::id> threads_;
};

TEST_F(LineEvents, DispatchGoesThroughTheEventsInItsFixedOrder) {
    AssignAll();
    ASSERT_TRUE(port.Open());
    comm.Deliver("12345");
    comm.SetErrorFlags(platform::kCeFrame | platform::kCeOverrun);
    comm.SetModemStatus(platform::kMsCtsOn | platform::kMsRlsdOn);
    port.DispatchEvents(MaskToEvents(0x05BD));
    EXPECT_EQ(Notes(), (std::vector<std::string>{"Error 5", "RxChar 5", "TxEmpty", "Ring", "CTS on", "DSR off",
                                                 "RLSD on", "Rx80Full"}));
}

TEST_F(LineEvents, DriverErrorFlagsBecomeTheErrorSet) {
    struct Case {
        std::uint32_t flags;
        TParity parity;
        std::uint8_t errors;
    };
    const Case cases[] = {
        {platform::kCeFrame, paNone, 0x01},     {platform::kCeRxParity, paEven, 0x02},
        {platform::kCeOverrun, paNone, 0x04},   {platform::kCeBreak, paNone, 0x08},
        {platform::kCeIoe, paNone, 0x10},       {platform::kCeMode, paNone, 0x20},
        {platform::kCeRxOver, paNone, 0x40},    {platform::kCeTxFull, paNone, 0x80},
        {0x0020 | 0x0040 | 0x0200, paNone, 0},  // flags the set has no member for are dropped
    };
    for (const Case& c : cases) EXPECT_EQ(ErrorFlagsToErrors(c.flags, c.parity).Bits(), c.errors) << c.flags;

    // A parity error alone without parity calls no handler, yet the driver's error state is reset.
    AssignAll();
    ASSERT_TRUE(port.Open());
    comm.SetErrorFlags(platform::kCeRxParity);
    comm.ClearCalls();
    port.DispatchEvents(TLineEvents{leError});
    EXPECT_TRUE(Notes().empty());
    EXPECT_EQ(comm.Calls(CommCall::ClearCommError).size(), 1u);
    std::uint32_t flags = 0xFF;
    platform::CommStatus status;
    comm.ClearCommError(port.PortHandle(), &flags, &status);
    EXPECT_EQ(flags, 0u);
}

TEST_F(LineEvents, WithoutHandlersOnlyErrorAndReceivedCharactersAskTheDriver) {
    ASSERT_TRUE(port.Open());
    comm.ClearCalls();
    port.DispatchEvents(MaskToEvents(0x05BD));
    EXPECT_EQ(comm.CallTexts(), (std::vector<std::string>{"ClearCommError", "ClearCommError"}));

    port.OnRxChar = [this](TBComPort&, std::int32_t count) { Note("RxChar " + std::to_string(count)); };
    port.DispatchEvents(TLineEvents{leRxChar});  // characters a read already took: count 0, no call
    EXPECT_TRUE(Notes().empty());
}

TEST_F(LineEvents, DispatchRefusalsRaiseTheirMessages) {
    AssignAll();
    ASSERT_TRUE(port.Open());
    comm.Fail(CommCall::ClearCommError, 31);
    for (TLineEvent event : {leError, leRxChar}) {
        try {
            port.DispatchEvents(TLineEvents{event});
            ADD_FAILURE() << "event " << int(event);
        } catch (const EComPort& error) {
            EXPECT_STREQ(error.what(), "Помилка функції ClearCommError\nНеобхідно повторно відкрити програму!");
        }
    }
    comm.Heal(CommCall::ClearCommError);
    comm.Fail(CommCall::GetCommModemStatus, 50, 1);
    EXPECT_THROW(port.DispatchEvents(TLineEvents{leDSR}), EComPort);
}

TEST_F(LineEvents, ThreadSyncRunsTheHandlersOnThisThreadWhenItPumps) {
    AssignAll();
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));
    comm.RaiseLineEvent(platform::kEvRing);
    PumpUntilNotes(1);
    EXPECT_EQ(Notes(), std::vector<std::string>{"Ring"});
    EXPECT_EQ(LastThread(), std::this_thread::get_id());
}

TEST_F(LineEvents, NoSyncRunsTheHandlersOnTheLineEventThread) {
    AssignAll();
    port.SetSyncMethod(smNone);
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));
    comm.RaiseLineEvent(platform::kEvRx80Full);
    ASSERT_TRUE(comm.AwaitEventResultsTaken(1, 5000));
    ASSERT_TRUE(comm.AwaitEventWait(5000));  // dispatched and waiting again
    EXPECT_EQ(Notes(), std::vector<std::string>{"Rx80Full"});
    EXPECT_NE(LastThread(), std::this_thread::get_id());
}

TEST_F(LineEvents, WindowSyncSendsOneMessagePerEvent) {
    AssignAll();
    port.SetSyncMethod(smWindowSync);
    ASSERT_TRUE(port.Open());
    ASSERT_NE(port.NotifyWindow(), nullptr);
    ASSERT_TRUE(comm.AwaitEventWait(5000));
    comm.SetModemStatus(platform::kMsRlsdOn);
    comm.RaiseLineEvent(platform::kEvRing | platform::kEvRlsd);
    PumpUntilNotes(2);
    EXPECT_EQ(Notes(), (std::vector<std::string>{"Ring", "RLSD on"}));
    EXPECT_EQ(LastThread(), std::this_thread::get_id());

    // A message whose parameter is no event bit does nothing; neither does one after Close.
    port.HandleLineEventMessage(0x0002);
    ASSERT_TRUE(port.Close());
    EXPECT_EQ(port.NotifyWindow(), nullptr);
    port.HandleLineEventMessage(platform::kEvRing);
    EXPECT_EQ(Notes().size(), 2u);
}

TEST_F(LineEvents, WindowSyncHandsAHandlerExceptionToTheApplicationAndGoesOn) {
    std::vector<std::string> handled;
    port.ExceptionHandler = [&](const std::exception& error) { handled.push_back(error.what()); };
    port.OnRing = [](TBComPort&) { throw EComPort("handler failed"); };
    port.OnTxEmpty = [this](TBComPort&) { Note("TxEmpty"); };
    port.SetSyncMethod(smWindowSync);
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));
    comm.RaiseLineEvent(platform::kEvRing);
    PumpUntil([&] { return !handled.empty(); });
    ASSERT_TRUE(comm.AwaitEventWait(5000));  // the thread went on to its next wait
    comm.RaiseLineEvent(platform::kEvTxEmpty);
    PumpUntilNotes(1);
    EXPECT_EQ(handled, std::vector<std::string>{"handler failed"});
    EXPECT_EQ(Notes(), std::vector<std::string>{"TxEmpty"});
}

TEST_F(LineEvents, ADispatchThatRaisesEndsTheThreadButNotTheTransfers) {
    AssignAll();
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));
    comm.Fail(CommCall::ClearCommError, 31, 1);
    comm.RaiseLineEvent(platform::kEvErr);
    ASSERT_TRUE(comm.AwaitEventResultsTaken(1, 5000));
    // Runs the failing dispatch.
    PumpUntil([&] { return !comm.Calls(CommCall::ClearCommError).empty(); });
    comm.RaiseLineEvent(platform::kEvRing);
    EXPECT_FALSE(comm.AwaitEventWait(100)) << "the thread waits for events again";
    platform::MainThreadCalls::Instance().RunPending();
    EXPECT_TRUE(Notes().empty());
    comm.Deliver("still");
    std::string text;
    EXPECT_EQ(port.ReadString(text, 20), 5);
    EXPECT_TRUE(port.Close());
}

}  // namespace
}  // namespace serial::testing
