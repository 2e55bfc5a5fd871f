// Kept apart from the termios code: <asm/termbits.h> clashes with <termios.h>.
#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include "platform/posix/TtyLineSettings.h"

namespace platform::posix {

bool SetTtyCustomRate(int fd, std::uint32_t bitsPerSecond) {
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    t.c_cflag &= ~CBAUD;
    t.c_cflag |= BOTHER;
    t.c_cflag &= ~(CBAUD << IBSHIFT);
    t.c_cflag |= BOTHER << IBSHIFT;
    t.c_ispeed = bitsPerSecond;
    t.c_ospeed = bitsPerSecond;
    return ioctl(fd, TCSETS2, &t) == 0;
}

}  // namespace platform::posix
