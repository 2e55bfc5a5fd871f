#include "app/MainForm.h"

#include "image/BuildFlashImage.h"
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

TMainForm::TMainForm(app::Services services) : toolkit::Form("MainForm"), services_(services) {
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

}  // namespace app
