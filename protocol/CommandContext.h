#pragma once
// What the device commands work on: the main window's controls and shared state, its serial
// port, the application and the clock. The window fills one of these with references to its own
// members, so the commands stay free of any window class.
#include <string>

#include "platform/Clock.h"
#include "protocol/DeviceInfo.h"
#include "serial/TBComPort.h"
#include "toolkit/Application.h"
#include "toolkit/Button.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/Gauge.h"
#include "toolkit/Label.h"
#include "toolkit/Memo.h"

namespace protocol {

struct CommandContext {
    toolkit::Application& Application;
    platform::Clock& Clock;
    serial::TBComPort& BComPort1;
    toolkit::Form& Form;

    toolkit::ComboBox& cbPort;
    toolkit::ComboBox& cbBaudRate;
    toolkit::Label& LabelNameOfHex;
    toolkit::Label& Label3;
    toolkit::Gauge& ProgressbarReadWrite;
    toolkit::ProgressBar& ProgressbarWrite;
    toolkit::Memo& TextTerminal;
    toolkit::Memo& MemoAbout;
    toolkit::Button& ButtonConect;
    toolkit::Button& ButtonOpenHex;
    toolkit::Button& ButtonWrite;

    std::string& FlashImage;
    protocol::DeviceInfo& DeviceInfo;
    std::string& InfoReply;
    std::string& ReplyCode;
    std::string& ReplyText;
    std::string& CommandText;
    bool& CancelRequested;
    // The file last chosen in the open dialog (empty when none was), named in write errors.
    const std::string& OpenedFileName;
};

}  // namespace protocol
