#include "toolkit/win32/Win32Application.h"

#include <commdlg.h>

#include <algorithm>

#include "platform/Desktop.h"
#include "platform/MainThreadCalls.h"
#include "platform/win32/WideText.h"
#include "toolkit/win32/ControlWindows.h"
#include "toolkit/win32/Win32Form.h"

namespace toolkit::win32 {
namespace {

// Calls queued by other threads run on every pass of the message loop; this timer wakes the loop
// (and any modal loop, such as a message box's) so that they also run while the user is idle.
void CALLBACK RunQueuedCalls(HWND, UINT, UINT_PTR, DWORD) { platform::MainThreadCalls::Instance().RunPending(); }

unsigned ShiftStateNow() {
    unsigned shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= kShift;
    if (GetKeyState(VK_MENU) < 0) shift |= kAlt;
    if (GetKeyState(VK_CONTROL) < 0) shift |= kCtrl;
    return shift;
}

// True when the font found for face is that face and has the Ukrainian letters.
bool FontServes(HFONT font, const wchar_t* face) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    wchar_t chosen[LF_FACESIZE] = {};
    GetTextFaceW(dc, LF_FACESIZE, chosen);
    const wchar_t letters[] = L"\u041F\u0456\u0457\u0454\u0491";  // П і ї є ґ
    WORD glyphs[5] = {};
    const DWORD found = GetGlyphIndicesW(dc, letters, 5, glyphs, GGI_MARK_NONEXISTING_GLYPHS);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    if (lstrcmpiW(chosen, face) != 0 || found != 5) return false;
    for (WORD glyph : glyphs) {
        if (glyph == 0xFFFF) return false;
    }
    return true;
}

}  // namespace

Win32Application::Win32Application() {
    platform::MainThreadCalls::Instance().BindToCurrentThread();
    // The windows' font: MS Sans Serif 8 points, 11 pixels at 96 dots per inch. The first of
    // these faces that is installed and draws Ukrainian letters: the texts are Ukrainian on a
    // Windows of any language.
    for (const wchar_t* face : {L"Microsoft Sans Serif", L"MS Sans Serif", L"Tahoma", L"Arial"}) {
        if (font_) DeleteObject(font_);
        font_ = CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                            CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, face);
        if (FontServes(font_, face)) break;
    }
    timer_ = SetTimer(nullptr, 0, 10, &RunQueuedCalls);
}

Win32Application::~Win32Application() {
    if (timer_) KillTimer(nullptr, timer_);
    if (font_) DeleteObject(font_);
}

void Win32Application::AddForm(Win32Form& form) { forms_.push_back(&form); }

void Win32Application::RemoveForm(Win32Form& form) { std::erase(forms_, &form); }

Win32Form* Win32Application::FindForm(const Form& form) const {
    for (Win32Form* f : forms_) {
        if (&f->Subject() == &form) return f;
    }
    return nullptr;
}

bool Win32Application::PreviewKey(MSG& message) {
    Win32Form* target = nullptr;
    for (Win32Form* form : forms_) {
        if (form->HandlesKeysOf(message.hwnd)) target = form;
    }
    if (!target) return false;
    if (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN) {
        // Key preview: the form's handler sees every key first and never consumes it.
        if (target->KeyDown && target->Subject().KeyPreview) {
            const auto key = static_cast<std::uint16_t>(message.wParam);
            const unsigned shift = ShiftStateNow();
            Run([&] { target->KeyDown(key, shift); });
        }
        // Enter clicks the focused push button, as Space does.
        if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN) {
            if (auto* button = dynamic_cast<ButtonWindow*>(target->Find(GetFocus()))) {
                if (IsWindowEnabled(button->Handle())) button->Click();
                return true;
            }
        }
    }
    // Tab moves between the controls; IDOK and IDCANCEL that this sends are ignored by the forms.
    if (IsWindow(target->Handle()) && IsWindowVisible(target->Handle())) {
        return IsDialogMessageW(target->Handle(), &message) != FALSE;
    }
    return false;
}

void Win32Application::Dispatch(MSG& message) {
    if (PreviewKey(message)) return;
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Win32Application::ProcessMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        Dispatch(message);
    }
    platform::MainThreadCalls::Instance().RunPending();
}

void Win32Application::RunMessageLoop() {
    MSG message;
    while (!terminated_) {
        platform::MainThreadCalls::Instance().RunPending();
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got <= 0) break;
        Dispatch(message);
    }
    terminated_ = true;
}

HWND Win32Application::OwnerForBox() const {
    HWND active = GetActiveWindow();
    for (Win32Form* form : forms_) {
        if (form->Handle() == active && IsWindowVisible(active)) return active;
    }
    Win32Form* main = MainWindow();
    if (main && IsWindowVisible(main->Handle())) return main->Handle();
    return nullptr;
}

void Win32Application::BringToFront() {
    Win32Form* main = MainWindow();
    if (!main || !IsWindowVisible(main->Handle())) return;
    HWND front = GetLastActivePopup(main->Handle());
    SetForegroundWindow(front ? front : main->Handle());
}

void Win32Application::ShowMessage(const std::string& text) {
    MessageBoxW(OwnerForBox(), platform::Utf8ToUtf16(text).c_str(), platform::Utf8ToUtf16(Title()).c_str(), MB_OK);
}

void Win32Application::HandleException(const std::exception& error) {
    MessageBoxW(OwnerForBox(), platform::Utf8ToUtf16(error.what()).c_str(), platform::Utf8ToUtf16(Title()).c_str(),
                MB_OK | MB_ICONERROR);
}

void Win32Application::MessageBeep(std::uint32_t type) { platform::SystemDesktop().MessageBeep(type); }

void Win32Application::Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) {
    platform::SystemDesktop().Beep(frequencyHz, durationMs);
}

void Win32Application::OpenWithShell(Form* owner, const std::string& verb, const std::string& file, int showCommand) {
    Win32Form* form = owner ? FindForm(*owner) : nullptr;
    platform::SystemDesktop().OpenWithShell(form ? form->Handle() : nullptr, verb, file, showCommand);
}

bool Win32Application::ExecuteOpenDialog(const std::string& filter, std::string& fileName) {
    // "description|pattern|..." becomes "description\0pattern\0...\0\0".
    std::wstring filters = platform::Utf8ToUtf16(filter);
    std::replace(filters.begin(), filters.end(), L'|', L'\0');
    filters.push_back(L'\0');
    filters.push_back(L'\0');
    std::wstring buffer(32768, L'\0');
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = OwnerForBox();
    dialog.lpstrFilter = filters.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = static_cast<DWORD>(buffer.size());
    dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&dialog)) return false;
    fileName = platform::Utf16ToUtf8(buffer.c_str());
    return true;
}

}  // namespace toolkit::win32
