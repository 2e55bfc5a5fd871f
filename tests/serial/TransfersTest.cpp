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
