// Linux only: every rate of the port reaches the terminal, the non-standard ones through BOTHER.
// (A pseudo-terminal keeps 8 bits without parity whatever it is told, so only the rate, the stop
// bits and the raw mode can be read back here; the settings are accepted all the same.)
#ifndef _WIN32
#include <gtest/gtest.h>

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include "platform/posix/TtyLineSettings.h"

namespace {

TEST(TtyRate, EveryRateOfThePortIsSetExactly) {
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    const int slave = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(slave, 0);
    for (const std::uint32_t rate : {110u, 300u, 600u, 1200u, 2400u, 4800u, 9600u, 14400u, 19200u, 38400u, 56000u,
                                     57600u, 115200u, 128000u, 256000u}) {
        platform::Dcb dcb;
        dcb.BaudRate = rate;
        dcb.Flags = 0x1013;
        dcb.ByteSize = 7;
        dcb.Parity = 3;  // mark
        dcb.StopBits = 2;
        ASSERT_TRUE(platform::posix::ApplyTtyLineSettings(slave, dcb)) << rate;
        termios2 t{};
        ASSERT_EQ(ioctl(slave, TCGETS2, &t), 0);
        EXPECT_EQ(t.c_ospeed, rate);
        EXPECT_EQ(t.c_ispeed, rate);
        EXPECT_EQ(t.c_cflag & (CSTOPB | CMSPAR), static_cast<tcflag_t>(CSTOPB | CMSPAR)) << rate;
        EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u) << rate;
        EXPECT_EQ(t.c_cc[VMIN], 1);
    }
    platform::Dcb bad;
    bad.BaudRate = 9600;
    bad.ByteSize = 9;
    EXPECT_FALSE(platform::posix::ApplyTtyLineSettings(slave, bad));
    close(slave);
    close(master);
}

}  // namespace
#endif
