#pragma once
// The exchanges the commands are built of: port set-up, sending a text, reading a reply, and the
// reset sequence.
#include <string>

#include "protocol/CommandContext.h"

namespace protocol {

inline constexpr int kIdentifyReplyLimit = 40;
inline constexpr int kDescribeReplyLimit = 1000;
inline constexpr int kShortReplyLimit = 20;

// Closes the port, gives it the port and rate chosen in the window, and opens it; raises
// EComPort when it cannot be opened.
void OpenChosenPort(const CommandContext& context);

void Send(const CommandContext& context, const std::string& text);
// Up to count characters: whatever arrives before the port's read time-outs end.
std::string Read(const CommandContext& context, int count);

// "k0101;", wait 100 ms, read a short reply; "k0101;" again and read at once. Neither reply is
// tested; both land in ReplyText.
void ResetSequence(const CommandContext& context);

}  // namespace protocol
