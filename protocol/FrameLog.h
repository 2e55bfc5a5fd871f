#pragma once
// The write log in MemoAbout: one line per sent frame, its verb followed by the frame.
#include <string_view>

#include "toolkit/Memo.h"

namespace protocol {

// Closes the memo's last line and adds verb + frame as a line of its own.
void LogSentFrame(toolkit::Memo& memo, std::string_view verb, std::string_view frame);

}  // namespace protocol
