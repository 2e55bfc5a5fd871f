#pragma once
// Ctrl+Del: stop a running write and give the controls back. Ctrl+L: reset the device.
#include "protocol/CommandContext.h"

namespace protocol {

inline constexpr const char* kStatusStoppedByUser = "Зупинено користувачем";
inline constexpr const char* kCancelledMessage =
    "                   Зупинено користувачем!\r\n         Мікропрограма записана частково!\r\nНеобхідно повторно вибрати файл прошивки,\r\n    і провести запис, інакще в подальшому\r\n             прилад буде не працездатний!";
inline constexpr const char* kDeviceResetMessage = "Скинуто прилад!!!";

// Does nothing while the page gauge stands at 0; otherwise sets CancelRequested, enables the
// command controls and tells the user. Touches neither the port nor the device. True when it
// acted.
bool CancelWrite(const CommandContext& context);

// Opens the chosen port, sends the reset sequence, closes the port and tells the user; the
// device's replies are not examined.
void ResetDevice(const CommandContext& context);

}  // namespace protocol
