#include "app/MainForm.h"

#include <exception>

#include "image/BuildFlashImage.h"
#include "image/LoadHexFile.h"
#include "platform/Desktop.h"
#include "protocol/CancelAndReset.h"
#include "protocol/IdentifyDevice.h"
#include "protocol/WriteFirmware.h"
#include "resources/BuiltInFirmware.h"
#include "serial/ListSerialPorts.h"

namespace app {
namespace {

constexpr long kLabelTextColor = 0x434C58;  // RGB(67, 76, 88)

void Place(toolkit::Control& control, toolkit::Control* parent, int left, int top, int width, int height) {
    control.Parent = parent;
    control.Bounds = {left, top, width, height};
}

}  // namespace

TMainForm::TMainForm(app::Services services)
    : toolkit::Form("MainForm"), BComPort1(services.Comm), services_(services) {
    using toolkit::CursorKind;
    ClientWidth = 302;
    ClientHeight = 130;
    KeyPreview = true;

    Place(sPanel1, this, 7, 8, 289, 73);
    Place(Label1, &sPanel1, 49, 17, 28, 13);
    Label1.Hint = "Запустити диспетчер пристроїв";
    Label1.Color = kLabelTextColor;
    Place(cbPort, &sPanel1, 30, 37, 73, 21);
    cbPort.Hint = "Ctrl+R оновлення списку портів";
    cbPort.Cursor = CursorKind::HandPoint;
    Place(ButtonWrite, &sPanel1, 128, 8, 73, 57);
    ButtonWrite.Hint =
        "\rКоманда запису!\r\rЗаборонено переривати процедуру запису, інакше це може привести до "
        "некоректної роботи приладу!";
    ButtonWrite.Cursor = CursorKind::HandPoint;
    Place(PNGButton6, &sPanel1, 224, 15, 41, 42);
    PNGButton6.Hint = "Про програму";
    PNGButton6.Cursor = CursorKind::HandPoint;
    Place(LabelNameOfHex, this, 10, 87, 86, 13);
    LabelNameOfHex.Color = kLabelTextColor;
    Place(ProgressbarReadWrite, this, 6, 104, 289, 17);
    Place(Label3, this, 12, 149, 110, 13);
    Place(ProgressbarWrite, this, 8, 167, 265, 9);
    Place(cbBaudRate, this, 16, 190, 81, 21);
    cbBaudRate.Hint = "Швидкість встановлюється відповідно до документації на прилад";
    cbBaudRate.Cursor = CursorKind::HandPoint;
    cbBaudRate.SetItems({"110", "300", "600", "1200", "2400", "4800", "9600", "14400", "19200", "38400", "56000",
                         "57600", "115200", "128000", "256000"});
    Place(sPanel3, this, 248, 200, 41, 153);
    Place(sButton2, &sPanel3, 8, 12, 25, 57);
    sButton2.Hint = "Сайт виробника";
    Place(sButton3, &sPanel3, 8, 84, 25, 57);
    sButton3.Hint = "Інформація про програму";
    Place(sPanel2, this, 8, 224, 265, 81);
    Place(ButtonConect, &sPanel2, 31, 16, 81, 57);
    ButtonConect.Cursor = CursorKind::HandPoint;
    Place(ButtonOpenHex, &sPanel2, 152, 16, 81, 57);
    ButtonOpenHex.Hint = "Повинна бути точна відповідність приладу і мікропрограми для нього";
    ButtonOpenHex.Cursor = CursorKind::HandPoint;
    Place(TextTerminal, this, -288, 320, 465, 225);
    TextTerminal.SetText(std::string(resources::BuiltInFirmwareText()));
    Place(MemoAbout, this, 264, 368, 273, 193);
    // The definition fills MemoAbout with another build's HEX text; start-up empties it unread.
    MemoAbout.SetText(":020000040000FA\r\n:00000001FF\r\n");
    Place(sComboBoxSkinName, this, 32, 760, 145, 21);
    sComboBoxSkinName.SetEditableText("sComboBoxSkinName");

    // BComPort1: every time-out 1 ms, so that a read ends 1 ms after the last character.
    serial::TComTimeouts& timeouts = BComPort1.Timeouts();
    timeouts.SetReadInterval(1);
    timeouts.SetReadTotalMultiplier(1);
    timeouts.SetReadTotalConstant(1);
    timeouts.SetWriteTotalMultiplier(1);
    timeouts.SetWriteTotalConstant(1);
    BComPort1.ExceptionHandler = [this](const std::exception& error) { Application().HandleException(error); };

    ButtonWrite.OnClick = [this] { ButtonWriteClick(); };
    PNGButton6.OnClick = [this] { PNGButton6Click(); };
    Label1.OnClick = [this] { Label1Click(); };
    cbPort.OnChange = [this] { cbPortChange(); };
    cbBaudRate.OnChange = [this] { cbBaudRateChange(); };
    ButtonConect.OnClick = [this] { ButtonConectClick(); };
    ButtonOpenHex.OnClick = [this] { ButtonOpenHexClick(); };
    sButton2.OnClick = [this] { sButton2Click(); };
    sButton3.OnClick = [this] { sButton3Click(); };
    sComboBoxSkinName.OnChange = [this] { sComboBoxSkinNameChange(); };
}

void TMainForm::FormCreate() {
    Application().SetTitle(kMainCaption);
    SetCaption(kMainCaption);

    std::vector<std::string> ports = cbPort.Items();
    serial::ListSerialPorts(services_.Registry, ports);
    cbPort.SetItems(std::move(ports));
    cbPort.SetItemIndex(0);
    cbBaudRate.SetItemIndex(kBaudRateItem115200);
    MemoAbout.Clear();
    ProgressbarReadWrite.SetProgress(0);

    if (!image::BuildFlashImage({Application(), TextTerminal, ProgressbarReadWrite, ButtonWrite, FlashImage,
                                 services_.Clock})) {
        return;
    }
    LabelNameOfHex.SetCaption(kStatusReady);
}

protocol::CommandContext TMainForm::CommandContext() {
    return {Application(), services_.Clock, BComPort1, *this, cbPort, cbBaudRate, LabelNameOfHex, Label3,
            ProgressbarReadWrite, ProgressbarWrite, TextTerminal, MemoAbout, ButtonConect, ButtonOpenHex,
            ButtonWrite, FlashImage, DeviceInfo, InfoReply, ReplyCode, ReplyText, CommandText, CancelRequested,
            OpenDialogFileName};
}

template <typename Command>
void TMainForm::RunExclusive(Command&& command) {
    if (busy_) {
        lastOutcome_ = CommandOutcome::Busy;
        Application().ShowMessage(kBusyMessage);
        return;
    }
    // Clears the flag on every end; an error that ends the command is recorded as its outcome.
    struct Scope {
        TMainForm& form;
        int exceptions = std::uncaught_exceptions();
        ~Scope() {
            form.busy_ = false;
            if (std::uncaught_exceptions() > exceptions) form.lastOutcome_ = CommandOutcome::SystemError;
        }
    };
    busy_ = true;
    lastOutcome_ = CommandOutcome::None;
    Scope scope{*this};
    lastOutcome_ = command();
}

void TMainForm::ButtonWriteClick() {
    RunExclusive([this] { return protocol::WriteFirmware(CommandContext()); });
}

void TMainForm::ButtonConectClick() {
    RunExclusive([this] { return protocol::IdentifyCommand(CommandContext()); });
}

void TMainForm::ButtonOpenHexClick() {
    RunExclusive([this] {
        std::string fileName;
        if (!Application().ExecuteOpenDialog(kOpenDialogFilter, fileName)) return CommandOutcome::None;
        OpenDialogFileName = fileName;
        TextTerminal.SetLines(image::LoadHexFile(fileName));
        if (!image::BuildFlashImage(
                {Application(), TextTerminal, ProgressbarReadWrite, ButtonWrite, FlashImage, services_.Clock})) {
            return CommandOutcome::FirmwareRefused;
        }
        LabelNameOfHex.SetCaption(protocol::kStatusFilePrefix + protocol::FileNameOnly(fileName) + kOpenedStatusSuffix);
        Application().ShowMessage(kOpenedMessage);
        return CommandOutcome::Opened;
    });
}

void TMainForm::FormKeyDown(std::uint16_t key, unsigned shift) {
    const bool ctrl = (shift & toolkit::kCtrl) != 0;
    if (key == toolkit::kVkF1) {
        if (ShowAboutWindow) ShowAboutWindow();
    } else if (key == toolkit::kVkE && ctrl && (shift & toolkit::kShift) != 0) {
        SetOuterHeight(kExpandedOuterHeight);
    } else if (key == toolkit::kVkDelete && ctrl) {
        protocol::CancelWrite(CommandContext());
    } else if (key == toolkit::kVkR && ctrl) {
        RunExclusive([this] {
            RefreshPorts();
            return CommandOutcome::None;
        });
    } else if (key == toolkit::kVkL && ctrl) {
        RunExclusive([this] {
            protocol::ResetDevice(CommandContext());
            return CommandOutcome::Reset;
        });
    }
}

void TMainForm::RefreshPorts() {
    std::vector<std::string> ports;
    serial::ListSerialPorts(services_.Registry, ports);
    cbPort.SetItems(std::move(ports));
    cbPort.SetItemIndex(0);
    Application().ShowMessage(kPortsRefreshedMessage);
}

void TMainForm::cbPortChange() {
    FocusControl(ButtonConect);
}

void TMainForm::cbBaudRateChange() {
    const int index = cbBaudRate.ItemIndex();
    if (index >= 0) BComPort1.SetBaudRate(static_cast<serial::TBaudRate>(index));
}

void TMainForm::PNGButton6Click() {
    Application().MessageBeep(platform::kMbIconAsterisk);
    if (ShowAboutWindow) ShowAboutWindow();
}

void TMainForm::Label1Click() {
    Application().OpenWithShell(this, "open", kDeviceManager, platform::kSwShowNormal);
}

void TMainForm::sButton2Click() {
    Application().MessageBeep(platform::kMbIconAsterisk);
    Application().OpenWithShell(this, "", kMakerWebAddress, platform::kSwShow);
}

void TMainForm::sButton3Click() {
    PNGButton6Click();
}

void TMainForm::sComboBoxSkinNameChange() {
    // A name of no skin makes the manager fall back to its internal skin.
    SkinName = sComboBoxSkinName.Text();
}

void TMainForm::FormResize() {
    Application().ProcessMessages();
}

void TMainForm::FormActivate() {
    FormResize();
}

}  // namespace app
