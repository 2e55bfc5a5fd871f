// The desktop program's entry: the application, the main window (its start-up runs before it is
// shown), the hidden About window, and the message loop until the main window closes.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/FormHelp.h"
#include "app/MainForm.h"
#include "platform/Clock.h"
#include "platform/CommApi.h"
#include "platform/SerialCommRegistry.h"
#include "platform/win32/WideText.h"
#include "resources/windows/ResourceIds.h"
#include "toolkit/win32/Win32Application.h"
#include "toolkit/win32/Win32Form.h"

namespace {

using toolkit::win32::FormStyle;
using toolkit::win32::LabelStyle;
using toolkit::win32::Skin;
using toolkit::win32::Win32Form;

void DrawMainWindow(Win32Form& window, app::TMainForm& form) {
    window.AddPanel(form.sPanel1);
    window.AddLabel(form.Label1);
    window.AddComboBox(form.cbPort);
    window.AddPictureButton(form.ButtonWrite, MTR_PICTURE_WRITE);
    window.AddPictureButton(form.PNGButton6, MTR_PICTURE_INFORMATION);
    window.AddLabel(form.LabelNameOfHex);
    window.AddGauge(form.ProgressbarReadWrite);
    window.AddLabel(form.Label3);
    window.AddProgressBar(form.ProgressbarWrite);
    window.AddComboBox(form.cbBaudRate);
    window.AddPanel(form.sPanel3);
    window.AddButton(form.sButton2, Skin::Dialog);
    window.AddButton(form.sButton3, Skin::Dialog);
    window.AddPanel(form.sPanel2);
    window.AddButton(form.ButtonConect, Skin::ButtonHuge);
    window.AddButton(form.ButtonOpenHex, Skin::ButtonHuge);
    // TextTerminal, MemoAbout and sComboBoxSkinName lie outside the client area in both layouts:
    // they stay text holders without a window.
    window.KeyDown = [&form](std::uint16_t key, unsigned shift) { form.FormKeyDown(key, shift); };
    window.Resized = [&form] { form.FormResize(); };
    window.Activated = [&form] { form.FormActivate(); };
}

void DrawAboutWindow(Win32Form& window, app::TFormHelp& form) {
    window.AddPicture(form.Image_Emblem, MTR_PICTURE_EMBLEM);
    LabelStyle link;
    link.link = true;
    window.AddLabel(form.sWebLabel1, link);
    window.AddButton(form.Button1, Skin::Dialog);
    window.KeyDown = [&form](std::uint16_t key, unsigned shift) { form.FormKeyDown(key, shift); };
}

int Run() {
    toolkit::win32::Win32Application application;
    application.SetTitle(app::kApplicationTitle);

    app::TMainForm mainForm(app::Services{application, platform::RealClock(), platform::SystemCommApi(),
                                          platform::SystemSerialCommRegistry()});
    FormStyle mainStyle;
    mainStyle.background = toolkit::win32::MainWindowColor();
    mainStyle.snapToScreenEdges = true;
    Win32Form mainWindow(application, mainForm, mainStyle);
    DrawMainWindow(mainWindow, mainForm);
    application.Run([&] { mainForm.FormCreate(); });

    app::TFormHelp formHelp(application);
    FormStyle helpStyle;
    helpStyle.dialogBorder = true;
    helpStyle.background = toolkit::win32::DialogWindowColor();
    helpStyle.hideOnClose = true;
    helpStyle.firstPosition = POINT{616, 197};
    Win32Form helpWindow(application, formHelp, helpStyle);
    DrawAboutWindow(helpWindow, formHelp);
    mainForm.ShowAboutWindow = [&] {
        formHelp.SetVisible(true);
        helpWindow.BringToFront();
    };

    mainForm.SetVisible(true);
    application.RunMessageLoop();
    mainForm.ShowAboutWindow = nullptr;
    return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    int result = 1;
    try {
        result = Run();
    } catch (const std::exception& error) {
        // Only what fails before the message loop runs gets here (a window or a picture that
        // cannot be made); the handlers' errors go to the application's default handler.
        MessageBoxW(nullptr, platform::Utf8ToUtf16(error.what()).c_str(), platform::Utf8ToUtf16(app::kApplicationTitle).c_str(),
                    MB_OK | MB_ICONERROR);
    }
    CoUninitialize();
    return result;
}
