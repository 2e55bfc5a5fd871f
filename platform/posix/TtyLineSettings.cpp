#include "platform/posix/TtyLineSettings.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace platform::posix {

namespace {

// The termios code of a rate, or BOTHER when there is none.
tcflag_t SpeedCode(std::uint32_t rate) {
    switch (rate) {
        case 110: return B110;
        case 300: return B300;
        case 600: return B600;
        case 1200: return B1200;
        case 2400: return B2400;
        case 4800: return B4800;
        case 9600: return B9600;
        case 19200: return B19200;
        case 38400: return B38400;
        case 57600: return B57600;
        case 115200: return B115200;
        case 230400: return B230400;
        case 460800: return B460800;
        case 921600: return B921600;
        default: return BOTHER;
    }
}

}  // namespace

bool ApplyTtyLineSettings(int fd, const Dcb& dcb) {
    if (dcb.ByteSize < 5 || dcb.ByteSize > 8 || dcb.Parity > 4 || dcb.StopBits > 2 || dcb.BaudRate == 0) {
        errno = EINVAL;
        return false;
    }
    termios2 t{};
    if (ioctl(fd, TCGETS2, &t) != 0) return false;
    // Raw: no line editing, echo, signals or character translation.
    t.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY | INPCK);
    t.c_oflag &= ~OPOST;
    t.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= CLOCAL | CREAD;
    static const tcflag_t sizes[] = {CS5, CS6, CS7, CS8};
    t.c_cflag |= sizes[dcb.ByteSize - 5];
    switch (dcb.Parity) {
        case 1: t.c_cflag |= PARENB | PARODD; break;            // odd
        case 2: t.c_cflag |= PARENB; break;                     // even
        case 3: t.c_cflag |= PARENB | PARODD | CMSPAR; break;   // mark
        case 4: t.c_cflag |= PARENB | CMSPAR; break;            // space
        default: break;
    }
    if (dcb.Parity != 0) t.c_iflag |= INPCK;
    if (dcb.StopBits != 0) t.c_cflag |= CSTOPB;  // one and a half is sent as two
    // A read that finds nothing reports EAGAIN (the descriptor is non-blocking), an end of the
    // line reports 0 or EIO.
    t.c_cc[VMIN] = 1;
    t.c_cc[VTIME] = 0;
    const tcflag_t speed = SpeedCode(dcb.BaudRate);
    t.c_cflag |= speed | (speed << IBSHIFT);
    t.c_ispeed = dcb.BaudRate;
    t.c_ospeed = dcb.BaudRate;
    return ioctl(fd, TCSETS2, &t) == 0;
}

}  // namespace platform::posix
