#pragma once
// The line settings of a device control block on a terminal device: raw 8-bit transfers, the
// rate (through BOTHER for the rates POSIX has no constant for), byte size, parity and stop bits.
#include <cstdint>

#include "platform/CommApi.h"

namespace platform::posix {

// Applies dcb to the terminal fd; false (with errno set) when the device refuses it.
bool ApplyTtyLineSettings(int fd, const Dcb& dcb);

// Sets any rate in bits per second through the termios2 calls (kept apart: <asm/termbits.h>
// clashes with <termios.h>).
bool SetTtyCustomRate(int fd, std::uint32_t bitsPerSecond);

}  // namespace platform::posix
