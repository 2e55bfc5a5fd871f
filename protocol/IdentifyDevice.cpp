#include "protocol/IdentifyDevice.h"

#include "platform/CodePage1251.h"
#include "platform/Desktop.h"
#include "protocol/CommandFrame.h"
#include "protocol/Description.h"
#include "protocol/Exchanges.h"

namespace protocol {
namespace {

constexpr int kWakeUps = 5;
constexpr int kIdentifyTries = 5;

// The displays and texts that a refused identification leaves.
void ClearAfterRefusal(const CommandContext& context) {
    context.LabelNameOfHex.SetCaption(kStatusReadyToWrite);
    context.ProgressbarReadWrite.SetProgress(0);
}

}  // namespace

Outcome IdentifyDevice(const CommandContext& context, IdentifyVariant variant) {
    toolkit::Application& application = context.Application;
    toolkit::Gauge& gauge = context.ProgressbarReadWrite;
    if (variant == IdentifyVariant::Identify) application.MessageBeep(platform::kMbIconQuestion);

    OpenChosenPort(context);

    context.ProgressbarWrite.SetPosition(0);
    context.Label3.SetCaption(kCalibrationZero);
    gauge.SetMaxValue(100);
    gauge.SetProgress(0);

    for (int i = 0; i < kWakeUps; ++i) {
        Send(context, kWakeUpString);
        gauge.AddProgress(10);
        context.Clock.Sleep(50);
    }

    // The one point of identification at which the user's keys and clicks are handled.
    application.ProcessMessages();

    for (int i = 0; i < kIdentifyTries; ++i) {
        Send(context, kIdentifyFrame);
        gauge.AddProgress(10);
        context.Clock.Sleep(100);
        context.InfoReply = Read(context, kIdentifyReplyLimit);
        if (!context.InfoReply.empty() && context.InfoReply.back() == ';') break;
    }
    context.ReplyCode = ReplyCodeOf(context.InfoReply);

    application.BringToFront();

    if (context.ReplyCode != kIdentifyReplyCode) {
        application.MessageBeep(platform::kMbIconHand);
        ClearAfterRefusal(context);
        context.TextTerminal.Clear();
        context.MemoAbout.Clear();
        context.BComPort1.Close();
        application.ShowMessage(variant == IdentifyVariant::Identify ? kNotFoundIdentifyMessage
                                                                     : kNotFoundWriteMessage);
        return Outcome::DeviceNotFound;
    }

    context.DeviceInfo = DecodeDeviceInfo(context.InfoReply);

    if (context.DeviceInfo.LoaderVersion != kSupportedLoaderVersion) {
        application.MessageBeep(platform::kMbIconAsterisk);
        ClearAfterRefusal(context);
        if (variant == IdentifyVariant::Write) context.ButtonOpenHex.SetEnabled(false);
        context.TextTerminal.Clear();
        context.MemoAbout.Clear();
        application.ShowMessage(platform::Cp1251ToUtf8(context.DeviceInfo.LoaderVersion) + kUnknownLoaderSuffix);
        return Outcome::LoaderRefused;
    }

    context.MemoAbout.Clear();
    Send(context, kDescribeFrame);
    gauge.AddProgress(20);
    context.Clock.Sleep(1000);
    context.InfoReply = Read(context, kDescribeReplyLimit);
    gauge.SetProgress(0);
    context.MemoAbout.SetText(DescriptionMemoText(
        context.InfoReply, variant == IdentifyVariant::Identify ? kNoDescriptionIdentify : kNoDescriptionWrite));
    return Outcome::Identified;
}

Outcome IdentifyCommand(const CommandContext& context) {
    const Outcome outcome = IdentifyDevice(context, IdentifyVariant::Identify);
    if (outcome != Outcome::Identified) return outcome;

    toolkit::Application& application = context.Application;
    context.ButtonOpenHex.SetEnabled(true);
    application.MessageBeep(platform::kMbIconAsterisk);
    application.ShowMessage(kIdentifiedPrefix + context.MemoAbout.Text());
    application.ShowMessage(kOpenHexMessage);
    context.LabelNameOfHex.SetCaption(kStatusOpenHex);
    context.Form.FocusControl(context.ButtonOpenHex);
    return Outcome::Identified;
}

}  // namespace protocol
