#include "protocol/FrameLog.h"

#include <string>

namespace protocol {

void LogSentFrame(toolkit::Memo& memo, std::string_view verb, std::string_view frame) {
    std::string line(verb);
    line.append(frame);
    memo.AddLine(line);
}

}  // namespace protocol
