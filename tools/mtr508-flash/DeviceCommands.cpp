// mtr508-flash identify | write | reset: the window's device commands on the chosen port.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "app/MainForm.h"
#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/ConsoleStream.h"
#include "platform/SerialCommRegistry.h"
#include "protocol/WriteFirmware.h"
#include "tools/mtr508-flash/CommandLine.h"
#include "tools/mtr508-flash/ConsoleApplication.h"
#include "tools/mtr508-flash/WriteProgress.h"

namespace flash {
namespace {

enum class DeviceCommand { Identify, Write, Reset };

// Prints every new caption of the status line.
class StatusLinePrinter : public toolkit::ControlPeer {
public:
    StatusLinePrinter(toolkit::Label& label, ConsoleApplication& application)
        : label_(label), application_(application), shown_(label.Caption()) {
        label_.SetPeer(this);
    }
    ~StatusLinePrinter() override { label_.SetPeer(nullptr); }
    StatusLinePrinter(const StatusLinePrinter&) = delete;
    StatusLinePrinter& operator=(const StatusLinePrinter&) = delete;

    void Changed(toolkit::Control&) override {
        if (label_.Caption() == shown_) return;
        shown_ = label_.Caption();
        if (application_.BeforePrint) application_.BeforePrint();
        PrintLines(stdout, shown_);
    }

private:
    toolkit::Label& label_;
    ConsoleApplication& application_;
    std::string shown_;
};

bool SameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// The listed port of that name, or else the name (a path, say) added to the list; chosen as the
// user chooses it.
void ChoosePort(app::TMainForm& form, const std::string& port) {
    std::vector<std::string> items = form.cbPort.Items();
    auto found = std::find_if(items.begin(), items.end(), [&](const auto& item) { return SameName(item, port); });
    if (found == items.end()) {
        items.push_back(port);
        form.cbPort.SetItems(items);
        found = items.end() - 1;
    }
    form.cbPort.Pick(static_cast<int>(found - items.begin()));
}

int RateIndex(app::TMainForm& form, const std::string& rate) {
    const auto& items = form.cbBaudRate.Items();
    const auto found = std::find(items.begin(), items.end(), rate);
    if (found == items.end()) {
        std::string rates;
        for (const auto& item : items) rates += " " + item;
        throw UsageError("--baud must be one of:" + rates);
    }
    return static_cast<int>(found - items.begin());
}

// The exit code of an error that the default error handler reported.
int ExitCodeOfError(ErrorKind kind, bool duringDeviceCommand) {
    switch (kind) {
        case ErrorKind::Conversion:
            // From the firmware text while opening it; from the device's answers during a command.
            return duringDeviceCommand ? kExitDevice : kExitRefused;
        case ErrorKind::Range:
            return kExitRefused;
        default:
            return kExitSystem;
    }
}

int ExitCodeOfOutcome(protocol::Outcome outcome, ErrorKind error) {
    using protocol::Outcome;
    switch (outcome) {
        case Outcome::Identified:
        case Outcome::Done:
        case Outcome::Reset:
            return kExitDone;
        case Outcome::DeviceNotFound:
        case Outcome::LoaderRefused:
        case Outcome::VersionRefused:
        case Outcome::GeometryRefused:
        case Outcome::WriteError:
            return kExitDevice;
        case Outcome::Cancelled:
            return kExitCancelled;
        case Outcome::FirmwareRefused:
            return kExitRefused;
        case Outcome::SystemError:
            return ExitCodeOfError(error, true);
        default:
            return kExitSystem;
    }
}

void WriteLog(const std::string& path, const std::string& text) {
    const std::filesystem::path file(std::u8string(path.begin(), path.end()));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    if (out) out.write(text.data(), static_cast<std::streamsize>(text.size()));
    if (out) out.close();
    if (!out) throw std::runtime_error("Cannot create file \"" + path + "\".");
}

int RunDeviceCommand(DeviceCommand command, const std::vector<std::string>& words) {
    const Options options(words, {"port", "baud", "hex", "log", "progress"});
    const std::string progressMode = options.Get("progress").value_or("auto");
    if (progressMode != "auto" && progressMode != "always" && progressMode != "never") {
        throw UsageError("--progress takes auto, always or never");
    }
    const auto port = options.Get("port");
    if (!port) throw UsageError("--port is required");

    ConsoleApplication application;
    app::TMainForm form({application, platform::RealClock(), platform::SystemCommApi(),
                         platform::SystemSerialCommRegistry()});
    const int rate = RateIndex(form, options.Get("baud").value_or("115200"));

    // Start-up as the window does it: port list, default port and rate, the built-in firmware.
    application.Run([&] { form.FormCreate(); });
    if (application.LastError() != ErrorKind::None) return ExitCodeOfError(application.LastError(), false);
    if (form.LabelNameOfHex.Caption() != app::kStatusReady) return kExitRefused;

    if (const auto hex = options.Get("hex")) {
        application.QueueOpenDialogAnswer(*hex);
        application.Run([&] { form.ButtonOpenHexClick(); });
        if (form.LastOutcome() != protocol::Outcome::Opened) {
            return form.LastOutcome() == protocol::Outcome::SystemError ? ExitCodeOfError(application.LastError(), false)
                                                                          : kExitRefused;
        }
    }
    ChoosePort(form, *port);
    form.cbBaudRate.Pick(rate);

    std::unique_ptr<WriteProgress> progress;
    const bool terminal = platform::StandardErrorIsTerminal();
    if (command == DeviceCommand::Write && (progressMode == "always" || (progressMode == "auto" && terminal))) {
        progress = std::make_unique<WriteProgress>(form, stderr, terminal);
        application.BeforePrint = [&] { progress->Clear(); };
    }
    StatusLinePrinter status(form.LabelNameOfHex, application);

    // Ctrl+C acts as Ctrl+Del once the write's pages run and a cancel can take effect; one
    // pressed earlier waits for that moment.
    bool cancelPending = false;
    if (command == DeviceCommand::Write) CatchInterrupt();
    application.OnPump = [&] {
        if (Interrupted()) cancelPending = true;
        if (cancelPending && form.LabelNameOfHex.Caption() == protocol::kStatusWriting &&
            form.ProgressbarReadWrite.Progress() > 0) {
            form.FormKeyDown(toolkit::kVkDelete, toolkit::kCtrl);
            cancelPending = !form.CancelRequested;
        }
        if (progress) progress->Update();
    };

    application.Run([&] {
        switch (command) {
            case DeviceCommand::Identify:
                form.ButtonConectClick();
                break;
            case DeviceCommand::Write:
                form.ButtonWriteClick();
                break;
            case DeviceCommand::Reset:
                form.FormKeyDown(toolkit::kVkL, toolkit::kCtrl);
                break;
        }
    });
    application.OnPump = nullptr;
    if (progress) progress->Clear();

    int code = ExitCodeOfOutcome(form.LastOutcome(), application.LastError());
    if (const auto log = options.Get("log")) {
        try {
            WriteLog(*log, form.MemoAbout.Text());
        } catch (const std::exception& error) {
            application.HandleException(error);
            if (code == kExitDone) code = kExitSystem;
        }
    }
    return code;
}

}  // namespace

int IdentifyCommand(const std::vector<std::string>& words) {
    return RunDeviceCommand(DeviceCommand::Identify, words);
}

int WriteCommand(const std::vector<std::string>& words) {
    return RunDeviceCommand(DeviceCommand::Write, words);
}

int ResetCommand(const std::vector<std::string>& words) {
    return RunDeviceCommand(DeviceCommand::Reset, words);
}

}  // namespace flash
