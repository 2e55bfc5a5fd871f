#include "protocol/CancelAndReset.h"

#include "platform/Desktop.h"
#include "protocol/Exchanges.h"

namespace protocol {

bool CancelWrite(const CommandContext& context) {
    if (context.ProgressbarReadWrite.Progress() == 0) return false;
    context.CancelRequested = true;
    context.ButtonConect.SetEnabled(true);
    context.ButtonOpenHex.SetEnabled(true);
    context.ButtonWrite.SetEnabled(true);
    context.cbPort.SetEnabled(true);
    context.cbBaudRate.SetEnabled(true);
    context.LabelNameOfHex.SetCaption(kStatusStoppedByUser);
    context.Application.ShowMessage(kCancelledMessage);
    return true;
}

void ResetDevice(const CommandContext& context) {
    OpenChosenPort(context);
    ResetSequence(context);
    context.Application.MessageBeep(platform::kMbIconExclamation);
    context.BComPort1.Close();
    context.Application.ShowMessage(kDeviceResetMessage);
}

}  // namespace protocol
