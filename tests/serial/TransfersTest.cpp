// Writes and reads through the port on the fake line, timed on the virtual clock.
#include <string>

#include "tests/serial/PortFixture.h"

namespace serial::testing {
namespace {

using Transfers = PortFixture;

TEST_F(Transfers, ReadOfSilenceEndsAtTheTotalTimeOutWithNothing) {
    ASSERT_TRUE(port.Open());
    std::string text = "old";
    const auto start = clock.NowMicroseconds();
    EXPECT_EQ(port.ReadString(text, 20), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(clock.NowMicroseconds() - start, 21000);
    EXPECT_EQ(port.ReadString(text, 40), 0);
    EXPECT_EQ(clock.NowMicroseconds() - start, 21000 + 41000);
}

TEST_F(Transfers, ReadTakesCountAndLeavesTheRestForTheNextRead) {
    ASSERT_TRUE(port.Open());
    comm.Deliver("ABCDEFGHIJKLMNOPQRSTUVWXY");
    std::string text;
    EXPECT_EQ(port.ReadString(text, 20), 20);
    EXPECT_EQ(text, "ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(port.ReadString(text, 20), 5);
    EXPECT_EQ(text, "UVWXY");
}

TEST_F(Transfers, ReplyInTwoBurstsMoreThanTheIntervalApartEndsAfterTheFirst) {
    ASSERT_TRUE(port.Open());
    comm.Deliver("k82", 3000);
    comm.Deliver("0102", 5000);
    std::string text;
    const auto start = clock.NowMicroseconds();
    EXPECT_EQ(port.ReadString(text, 20), 3);
    EXPECT_EQ(text, "k82");
    EXPECT_EQ(clock.NowMicroseconds() - start, 4000);  // the first burst, then the 1 ms interval
    EXPECT_EQ(port.ReadString(text, 20), 4);
    EXPECT_EQ(text, "0102");
}

TEST_F(Transfers, WriteReachesTheLineWhole) {
    std::string seen;
    comm.OnWrite = [&](std::string_view bytes) { seen += bytes; };
    ASSERT_TRUE(port.Open());
    const std::string frame = "k0100\xFF;";
    EXPECT_EQ(port.WriteString(frame), static_cast<int>(frame.size()));
    EXPECT_EQ(seen, frame);
}

}  // namespace
}  // namespace serial::testing

namespace serial::testing {
namespace {

using TransferFailures = PortFixture;

TEST_F(TransferFailures, EmptyTransfersTouchNothingOnThePort) {
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));  // the thread's own events exist
    const std::size_t events = comm.LiveEvents();
    comm.ClearCalls();
    EXPECT_EQ(port.WriteString(""), 0);
    std::string text = "old";
    EXPECT_EQ(port.ReadString(text, 0), 0);
    EXPECT_EQ(text, "");
    EXPECT_EQ(port.ReadString(text, -4), 0);
    EXPECT_TRUE(comm.Calls(CommCall::WriteFile).empty());
    EXPECT_TRUE(comm.Calls(CommCall::ReadFile).empty());
    EXPECT_EQ(comm.LiveEvents(), events);
}

TEST_F(TransferFailures, RefusalsRaiseByKindReleaseTheRecordAndKeepThePortOpen) {
    struct Case {
        CommCall call;
        bool read;
    };
    const char* writeMessage = "Помилка запису в порт.\nНеобхідно повторно відкрити програму!";
    const char* readMessage = "Помилка читання з порта\nНеобхідно повторно відкрити програму!";
    ASSERT_TRUE(port.Open());
    ASSERT_TRUE(comm.AwaitEventWait(5000));  // the thread's own events exist
    const std::size_t events = comm.LiveEvents();
    for (const Case c : {Case{CommCall::WriteFile, false}, Case{CommCall::ReadFile, true},
                         Case{CommCall::GetOverlappedResult, false}, Case{CommCall::GetOverlappedResult, true},
                         Case{CommCall::WaitForSingleObject, false}, Case{CommCall::WaitForSingleObject, true}}) {
        // A transfer that completes at once asks for its count twice: at the start and at the end.
        comm.Fail(c.call, 31, c.call == CommCall::GetOverlappedResult ? 2 : 1);
        std::string text;
        try {
            if (c.read) port.ReadString(text, 20);
            else port.WriteString("k01;");
            ADD_FAILURE() << CallName(c.call) << " failure not raised";
        } catch (const EComPort& error) {
            EXPECT_STREQ(error.what(), c.read ? readMessage : writeMessage) << CallName(c.call);
        }
        comm.Heal(c.call);
        EXPECT_TRUE(port.IsOpen());
        EXPECT_EQ(comm.LiveEvents(), events) << "transfer record kept after " << CallName(c.call);
    }
    comm.Deliver("ok");
    std::string text;
    EXPECT_EQ(port.ReadString(text, 20), 2);  // transfers go on working
}

TEST_F(TransferFailures, AStepWithoutATransferRecordIsRefused) {
    ASSERT_TRUE(port.Open());
    char buffer[4] = {};
    const char* message = "Недопустимий параметр Async\nНеобхідно повторно відкрити програму!";
    for (int step = 0; step < 3; ++step) {
        try {
            if (step == 0) port.StartWrite("ab", 2, nullptr);
            if (step == 1) port.StartRead(buffer, 4, nullptr);
            if (step == 2) port.WaitTransfer(nullptr);
            ADD_FAILURE() << "step " << step;
        } catch (const EComPort& error) {
            EXPECT_STREQ(error.what(), message);
        }
    }
}

TEST_F(TransferFailures, ATransferThatNeverStartedEndsAtOnceWithNothing) {
    ASSERT_TRUE(port.Open());
    auto transfer = port.NewTransfer();
    EXPECT_EQ(port.WaitTransfer(transfer.get()), 0);
    port.FreeTransfer(std::move(transfer));
}

}  // namespace
}  // namespace serial::testing
