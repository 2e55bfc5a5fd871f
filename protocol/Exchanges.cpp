#include "protocol/Exchanges.h"

#include "protocol/CommandFrame.h"

namespace protocol {

void OpenChosenPort(const CommandContext& context) {
    serial::TBComPort& port = context.BComPort1;
    port.Close();
    port.SetPort(context.cbPort.Text());
    const int rate = context.cbBaudRate.ItemIndex();
    if (rate >= 0) port.SetBaudRate(static_cast<serial::TBaudRate>(rate));
    port.Open();
}

void Send(const CommandContext& context, const std::string& text) {
    context.BComPort1.WriteString(text);
}

std::string Read(const CommandContext& context, int count) {
    std::string text;
    context.BComPort1.ReadString(text, count);
    return text;
}

void ResetSequence(const CommandContext& context) {
    Send(context, kResetFrame);
    context.Clock.Sleep(100);
    context.ReplyText = Read(context, kShortReplyLimit);
    Send(context, kResetFrame);
    context.ReplyText = Read(context, kShortReplyLimit);
}

}  // namespace protocol
