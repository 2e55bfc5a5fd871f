#pragma once
// The main window: its controls with the values of the window's definition, the state that the
// commands share, and the handlers. Nothing here depends on which toolkit back end draws it.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/SerialCommRegistry.h"
#include "protocol/CommandContext.h"
#include "protocol/DeviceInfo.h"
#include "protocol/Outcome.h"
#include "serial/TBComPort.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/Gauge.h"
#include "toolkit/Label.h"
#include "toolkit/Memo.h"

namespace app {

// What the window needs of the system it runs on.
struct Services {
    toolkit::Application& Application;
    platform::Clock& Clock;
    platform::CommApi& Comm;
    platform::SerialCommRegistry& Registry;
};

inline constexpr const char* kApplicationTitle = "Yarvex Bootloader";
inline constexpr const char* kMainCaption = "MT-R508 Bootloader (від 15.11.17)";
inline constexpr const char* kStatusReady = "Мікропрограма готова до запису";
inline constexpr const char* kStatusIdentifyDevice = "Визначте прилад";
inline constexpr int kBaudRateItem115200 = 12;
inline constexpr int kExpandedOuterHeight = 340;
inline constexpr const char* kMakerWebAddress = "https://mt-r508.example/";
inline constexpr const char* kDeviceManager = "devmgmt.msc";
inline constexpr const char* kPortsRefreshedMessage = "Порти оновлено!";
inline constexpr const char* kOpenDialogFilter = "Файли: I8HEX, I16HEX, I32HEX|*.hex";
inline constexpr const char* kOpenedStatusSuffix = " - відкрита. Запишіть в прилад";
inline constexpr const char* kOpenedMessage = "Мікропрограма відкрита,\r\n   запишіть її в прилад";
// Shown when a command is asked for while a device command or an image build runs.
inline constexpr const char* kBusyMessage = "Зачекайте: виконується попередня команда!";

using CommandOutcome = protocol::Outcome;

class TMainForm : public toolkit::Form {
public:
    explicit TMainForm(Services services);

    // Start-up: titles, port list, default port and rate, the built-in firmware made ready.
    void FormCreate();

    // Handlers. The constructor wires each control's OnClick / OnChange to its handler, so a back
    // end only clicks, picks and passes keys, inside Application::Run.
    void ButtonWriteClick();
    void ButtonConectClick();
    void ButtonOpenHexClick();
    void FormKeyDown(std::uint16_t key, unsigned shift);
    void cbPortChange();
    void cbBaudRateChange();
    void PNGButton6Click();
    void Label1Click();
    void sButton2Click();
    void sButton3Click();
    void sComboBoxSkinNameChange();
    void FormResize();
    void FormActivate();

    // Shows the About window (set by the program entry); the handlers call it when set.
    std::function<void()> ShowAboutWindow;

    // How the last command ended (read-only, for the command line's exit code).
    CommandOutcome LastOutcome() const { return lastOutcome_; }
    // True while a device command or the Open command runs.
    bool Busy() const { return busy_; }

    // Controls, in the order of the window's definition.
    toolkit::Panel sPanel1{"sPanel1"};
    toolkit::Label Label1{"Label1", "Порт:"};
    toolkit::ComboBox cbPort{"cbPort"};
    toolkit::Button ButtonWrite{"ButtonWrite"};
    toolkit::Button PNGButton6{"PNGButton6"};
    toolkit::Label LabelNameOfHex{"LabelNameOfHex", kStatusIdentifyDevice};
    toolkit::Gauge ProgressbarReadWrite{"ProgressbarReadWrite"};
    toolkit::Label Label3{"Label3", "Автокалібровка: 0.0.0"};
    toolkit::ProgressBar ProgressbarWrite{"ProgressbarWrite"};
    toolkit::ComboBox cbBaudRate{"cbBaudRate"};
    toolkit::Panel sPanel3{"sPanel3"};
    toolkit::Button sButton2{"sButton2"};
    toolkit::Button sButton3{"sButton3"};
    toolkit::Panel sPanel2{"sPanel2"};
    toolkit::Button ButtonConect{"ButtonConect", "Визначити"};
    toolkit::Button ButtonOpenHex{"ButtonOpenHex", "Відкрити"};
    toolkit::Memo TextTerminal{"TextTerminal"};
    toolkit::Memo MemoAbout{"MemoAbout"};
    toolkit::ComboBox sComboBoxSkinName{"sComboBoxSkinName"};

    // Non-visual components.
    serial::TBComPort BComPort1;
    // The file name last chosen in the open dialog (OpenDialog1's FileName).
    std::string OpenDialogFileName;
    // The skin manager's skin name.
    std::string SkinName = "WEB2";

    // State shared by the commands.
    std::string FlashImage;
    std::string InfoReply;
    std::string ReplyCode;
    std::string ReplyText;
    std::string CommandText;
    bool CancelRequested = false;
    protocol::DeviceInfo DeviceInfo;

    // The controls and state that the device commands work on.
    protocol::CommandContext CommandContext();

    toolkit::Application& Application() { return services_.Application; }
    const app::Services& System() const { return services_; }

private:
    // Runs a command that must not overlap another device command or the image build: refused
    // with kBusyMessage while one runs; its outcome is recorded, SystemError when an error ends it.
    template <typename Command>
    void RunExclusive(Command&& command);
    void RefreshPorts();

    app::Services services_;
    CommandOutcome lastOutcome_ = CommandOutcome::None;
    bool busy_ = false;
};

}  // namespace app
