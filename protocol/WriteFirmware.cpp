#include "protocol/WriteFirmware.h"

#include <algorithm>

#include "image/BuildFlashImage.h"
#include "platform/Desktop.h"
#include "protocol/CommandFrame.h"
#include "protocol/Description.h"
#include "protocol/Exchanges.h"
#include "protocol/FrameLog.h"
#include "protocol/IdentifyDevice.h"

namespace protocol {
namespace {

enum class StepKind { Erase, Write, Flash };

enum class StepEnd { Accepted, Exhausted, Cancelled };

// The state of one write, set at the start of its page loop.
struct WriteState {
    std::uint32_t WriteAddress = 0;
    int FailedAttempts = 0;
    int Delays[3] = {0, 0, 0};  // erase, write, flash: the wait in ms before reading a reply
};

// What sets each kind of step apart: the reply that acknowledges it, the verb of its log
// line, and the prefix of its error message.
struct StepTexts {
    const char* ReplyStart;
    const char* Verb;
    const char* ErrorPrefix;
};

const StepTexts& TextsOf(StepKind kind) {
    static const StepTexts kTexts[] = {
        {kEraseReplyStart, kEraseVerb, kEraseErrorPrefix},
        {kWriteReplyStart, kWriteVerb, kWriteErrorPrefix},
        {kFlashReplyStart, kFlashVerb, kFlashErrorPrefix},
    };
    return kTexts[static_cast<int>(kind)];
}

std::string CalibrationText(const WriteState& state) {
    return std::string(kCalibrationPrefix) + std::to_string(state.Delays[0]) + "." + std::to_string(state.Delays[1]) +
           "." + std::to_string(state.Delays[2]);
}

// Sends CommandText until the device acknowledges it, at most kAttemptLimit times, waiting the
// delay of its kind before each read; each failure lengthens that delay by 1 ms.
StepEnd AcknowledgedStep(const CommandContext& context, WriteState& state, StepKind kind) {
    int& delay = state.Delays[static_cast<int>(kind)];
    for (int attempt = 0; attempt < kAttemptLimit; ++attempt) {
        context.Application.ProcessMessages();
        Send(context, context.CommandText);
        LogSentFrame(context.MemoAbout, TextsOf(kind).Verb, context.CommandText);
        context.Clock.Sleep(static_cast<std::uint32_t>(delay));
        context.ReplyText.clear();
        context.ReplyText = Read(context, kShortReplyLimit);
        if (ReplyAccepted(context.ReplyText, TextsOf(kind).ReplyStart)) return StepEnd::Accepted;
        ++state.FailedAttempts;
        ++delay;
        context.Label3.SetCaption(CalibrationText(state));
        if (context.CancelRequested) return StepEnd::Cancelled;
    }
    return StepEnd::Exhausted;
}

// The device was refused before anything was erased: reset it, close the port, say why.
void RefuseDevice(const CommandContext& context, const char* message) {
    ResetSequence(context);
    context.Application.MessageBeep(platform::kMbIconExclamation);
    context.BComPort1.Close();
    context.Application.ShowMessage(message);
}

bool GeometryFits(const CommandContext& context) {
    const std::uint64_t imageBytes = std::min<std::uint64_t>(image::kImageBytes, context.FlashImage.size() / 2);
    return WrittenBytes(context.DeviceInfo) <= imageBytes && LastPageStart(context.DeviceInfo) < kAddressLimit;
}

Outcome ReportStepError(const CommandContext& context, const WriteState& state, StepKind kind) {
    toolkit::Application& application = context.Application;
    application.BringToFront();
    application.MessageBeep(platform::kMbIconAsterisk);
    application.Beep(1200, 200);
    application.Beep(800, 200);
    application.Beep(500, 200);
    context.cbPort.SetEnabled(true);
    context.cbBaudRate.SetEnabled(true);
    context.ButtonConect.SetEnabled(true);
    context.LabelNameOfHex.SetCaption(kStatusFilePrefix + FileNameOnly(context.OpenedFileName) + kStatusErrorSuffix);
    application.ShowMessage(TextsOf(kind).ErrorPrefix + HexDigits(state.WriteAddress, 6));
    application.ShowMessage(kWarningIncomplete);
    return Outcome::WriteError;
}

Outcome ReportSuccess(const CommandContext& context) {
    toolkit::Application& application = context.Application;
    application.BringToFront();
    ResetSequence(context);
    application.MessageBeep(platform::kMbIconExclamation);
    context.ButtonConect.SetEnabled(true);
    context.cbPort.SetEnabled(true);
    context.cbBaudRate.SetEnabled(true);
    context.LabelNameOfHex.SetCaption(kStatusWritten + context.Clock.LongTimeOfDayText());
    context.BComPort1.Close();
    application.ShowMessage(kSuccessMessageStart + context.Clock.LongTimeOfDayText() + kSuccessMessageEnd);
    context.ProgressbarReadWrite.SetProgress(0);
    context.ProgressbarWrite.SetPosition(0);
    context.Form.FocusControl(context.ButtonConect);
    context.ButtonWrite.SetEnabled(false);
    return Outcome::Done;
}

}  // namespace

std::string FileNameOnly(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Outcome WriteFirmware(const CommandContext& context) {
    const Outcome identified = IdentifyDevice(context, IdentifyVariant::Write);
    if (identified != Outcome::Identified) return identified;

    switch (CheckVersion(context.MemoAbout.Text())) {
        case VersionVerdict::Unknown: RefuseDevice(context, kUnknownVersionMessage); return Outcome::VersionRefused;
        case VersionVerdict::Same: RefuseDevice(context, kSameVersionMessage); return Outcome::VersionRefused;
        case VersionVerdict::Newer: RefuseDevice(context, kNewerVersionMessage); return Outcome::VersionRefused;
        case VersionVerdict::Older: break;
    }
    if (!GeometryFits(context)) {
        RefuseDevice(context, kGeometryRefusedMessage);
        return Outcome::GeometryRefused;
    }

    toolkit::Application& application = context.Application;
    context.ButtonOpenHex.SetEnabled(true);
    application.MessageBeep(platform::kMbIconAsterisk);
    context.cbPort.SetEnabled(false);
    context.cbBaudRate.SetEnabled(false);
    context.ButtonConect.SetEnabled(false);
    context.ButtonWrite.SetEnabled(false);

    const DeviceInfo info = context.DeviceInfo;
    context.ProgressbarReadWrite.SetMaxValue(info.PageCount);
    context.ProgressbarReadWrite.SetProgress(0);
    WriteState state;
    context.LabelNameOfHex.SetCaption(kStatusWriting);
    context.CancelRequested = false;

    for (int page = 0; page < info.PageCount; ++page) {
        application.ProcessMessages();
        if (context.CancelRequested) return Outcome::Cancelled;

        context.CommandText = EraseFrame(state.WriteAddress);
        if (AcknowledgedStep(context, state, StepKind::Erase) == StepEnd::Cancelled) return Outcome::Cancelled;
        if (state.FailedAttempts > kFailureLimit) return ReportStepError(context, state, StepKind::Erase);

        context.ProgressbarWrite.SetMax(info.BlocksPerPage);
        context.ProgressbarWrite.SetPosition(0);
        for (int block = 1; block <= info.BlocksPerPage; ++block) {
            application.ProcessMessages();
            const std::string_view data = std::string_view(context.FlashImage)
                                              .substr(2 * std::size_t{state.WriteAddress},
                                                      2 * static_cast<std::size_t>(info.BlockSize));
            context.CommandText = WriteFrame(static_cast<unsigned>(block), data);
            if (AcknowledgedStep(context, state, StepKind::Write) == StepEnd::Cancelled) return Outcome::Cancelled;
            context.ProgressbarWrite.StepBy(1);
            if (state.FailedAttempts > kFailureLimit) return ReportStepError(context, state, StepKind::Write);

            context.CommandText = kFlashFrame;
            if (AcknowledgedStep(context, state, StepKind::Flash) == StepEnd::Cancelled) return Outcome::Cancelled;
            if (state.FailedAttempts > kFailureLimit) return ReportStepError(context, state, StepKind::Flash);

            state.WriteAddress += static_cast<std::uint32_t>(info.BlockSize);
        }
        context.ProgressbarReadWrite.AddProgress(1);
    }
    return ReportSuccess(context);
}

}  // namespace protocol
