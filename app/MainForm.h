#pragma once
// The main window: its controls with the values of the window's definition, the state that the
// commands share, and the handlers. Nothing here depends on which toolkit back end draws it.
#include <string>

#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/SerialCommRegistry.h"
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

class TMainForm : public toolkit::Form {
public:
    explicit TMainForm(Services services);

    // Start-up: titles, port list, default port and rate, the built-in firmware made ready.
    void FormCreate();

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

    // State shared by the commands.
    std::string FlashImage;
    std::string InfoReply;
    std::string ReplyCode;
    std::string ReplyText;
    std::string CommandText;
    bool CancelRequested = false;

    toolkit::Application& Application() { return services_.Application; }
    const app::Services& System() const { return services_; }

private:
    app::Services services_;
};

}  // namespace app
