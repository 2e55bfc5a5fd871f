#pragma once
// The line settings of a device control block on a terminal device: raw 8-bit transfers, the
// rate (the rates POSIX has no constant for through BOTHER), byte size, parity and stop bits.
// It speaks termios2 to the kernel directly (<asm/termbits.h> clashes with <termios.h>, so this
// is the one file that uses it): glibc's tcsetattr reports EINVAL when a pseudo-terminal quietly
// keeps its own byte size and parity, although the settings were taken.
#include <cstdint>

#include "platform/CommApi.h"

namespace platform::posix {

// Applies dcb to the terminal fd; false (with errno set) when the device refuses it.
bool ApplyTtyLineSettings(int fd, const Dcb& dcb);

}  // namespace platform::posix
