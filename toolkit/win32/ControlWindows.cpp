#include "toolkit/win32/ControlWindows.h"

#include <commctrl.h>

#include "platform/win32/WideText.h"
#include "toolkit/win32/Win32Application.h"

namespace toolkit::win32 {
namespace {

LRESULT CALLBACK SkinnedComboProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR self) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        reinterpret_cast<ComboBoxWindow*>(self)->PaintClosed(dc);
        EndPaint(window, &paint);
        return 0;
    }
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, SkinnedComboProc, 1);
    return DefSubclassProc(window, message, wParam, lParam);
}

COLORREF FromRgb(long rgb) {
    return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

}  // namespace

// ---- PanelWindow

PanelWindow::PanelWindow(Win32Form& form, Control& panel) : ControlWindow(form, panel) {
    Create(nullptr, WS_CLIPCHILDREN | WS_CLIPSIBLINGS, WS_EX_CONTROLPARENT);
}

LRESULT PanelWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (form_.ContainerMessage(message, wParam, lParam, result)) return result;
    return ControlWindow::Handle(window, message, wParam, lParam);
}

void PanelWindow::PaintBackground(HDC dc, const RECT& client) {
    PaintParentBehind(window_, dc);  // behind the rounded corners
    PaintPanel(dc, client);
}

// ---- LabelWindow

LabelWindow::LabelWindow(Win32Form& form, Label& label, LabelStyle style)
    : ControlWindow(form, label), label_(label), style_(style) {
    Create(nullptr, 0, 0);
    FitToCaption();
}

void LabelWindow::FitToCaption() {
    if (!style_.autoSize) return;
    const std::wstring text = platform::Utf8ToUtf16(label_.Caption());
    HDC dc = GetDC(window_);
    HGDIOBJ old = SelectObject(dc, form_.App().Font());
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(window_, dc);
    RECT now;
    GetClientRect(window_, &now);
    if (now.right != size.cx) {
        SetWindowPos(window_, nullptr, 0, 0, size.cx, label_.Bounds.Height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void LabelWindow::Changed(Control& control) {
    // The caption is also the window's text, for screen readers and test probes.
    SetText(label_.Caption());
    FitToCaption();
    ControlWindow::Changed(control);
}

void LabelWindow::Paint(HDC dc, const RECT& client) {
    COLORREF color;
    if (!label_.Enabled()) {
        color = GetSysColor(COLOR_GRAYTEXT);
    } else if (style_.link && hot_) {
        color = GetSysColor(COLOR_WINDOWTEXT);
    } else {
        color = label_.Color < 0 ? GetSysColor(COLOR_WINDOWTEXT) : FromRgb(label_.Color);
    }
    const std::wstring text = platform::Utf8ToUtf16(label_.Caption());
    HGDIOBJ old = SelectObject(dc, form_.App().Font());
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, color);
    RECT r = client;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
}

LRESULT LabelWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        pressed_ = true;
        SetCapture(window);
        return 0;
    case WM_LBUTTONUP: {
        if (!pressed_) return 0;
        pressed_ = false;
        ReleaseCapture();
        RECT client;
        GetClientRect(window, &client);
        const POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        if (PtInRect(&client, at)) form_.App().Run([&] { label_.Click(); });
        return 0;
    }
    case WM_MOUSEMOVE:
        if (style_.link && !hot_) {
            hot_ = true;
            TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, window, 0};
            TrackMouseEvent(&track);
            InvalidateRect(window, nullptr, FALSE);
        }
        return 0;
    case WM_MOUSELEAVE:
        hot_ = false;
        InvalidateRect(window, nullptr, FALSE);
        return 0;
    default:
        return ControlWindow::Handle(window, message, wParam, lParam);
    }
}

// ---- ButtonWindow

ButtonWindow::ButtonWindow(Win32Form& form, Button& button, Skin skin, std::optional<Picture> picture)
    : ControlWindow(form, button), button_(button), skin_(skin), picture_(std::move(picture)) {
    Create(L"BUTTON", BS_OWNERDRAW | WS_TABSTOP, 0);
    SetText(button_.Caption);
}

void ButtonWindow::Click() {
    form_.App().Run([&] { button_.Click(); });
}

void ButtonWindow::Command(WORD code) {
    // An owner-drawn button reports the second click of a double click on its own.
    if (code == BN_CLICKED || code == BN_DOUBLECLICKED) Click();
}

void ButtonWindow::DrawItem(const DRAWITEMSTRUCT& item) {
    const RECT& r = item.rcItem;
    const int width = r.right - r.left;
    const int height = r.bottom - r.top;
    HDC memory = CreateCompatibleDC(item.hDC);
    HBITMAP bitmap = CreateCompatibleBitmap(item.hDC, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    PaintParentBehind(window_, memory);
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    const bool disabled = (item.itemState & ODS_DISABLED) != 0;
    if (picture_) {
        // Centred, no frame in any state; 2 pixels right and down while pressed; a disabled
        // button shows its picture at a third of its opacity.
        int x = (width - picture_->Width()) / 2;
        int y = (height - picture_->Height()) / 2;
        if (pressed) {
            x += 2;
            y += 2;
        }
        picture_->Draw(memory, x, y, disabled ? 3 : 1);
    } else {
        ButtonState state;
        state.pressed = pressed;
        state.focused = (item.itemState & ODS_FOCUS) != 0;
        state.disabled = disabled;
        PaintButton(memory, RECT{0, 0, width, height}, skin_, state, platform::Utf8ToUtf16(button_.Caption),
                    form_.App().Font());
    }
    BitBlt(item.hDC, r.left, r.top, width, height, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
}

// ---- ComboBoxWindow

ComboBoxWindow::ComboBoxWindow(Win32Form& form, ComboBox& comboBox) : ControlWindow(form, comboBox), comboBox_(comboBox) {
    // The window's height includes the dropped-down list: room for 16 items.
    Create(L"COMBOBOX", CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP, 0,
           comboBox.Bounds.Height + 16 * 15);
    SetWindowSubclass(window_, SkinnedComboProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void ComboBoxWindow::PaintClosed(HDC dc) {
    RECT client;
    GetClientRect(window_, &client);
    const bool disabled = !IsWindowEnabled(window_);
    const RECT field = PaintComboFrame(dc, client, disabled);
    const int index = static_cast<int>(SendMessageW(window_, CB_GETCURSEL, 0, 0));
    std::wstring text;
    if (index >= 0 && static_cast<std::size_t>(index) < shownItems_.size()) {
        text = platform::Utf8ToUtf16(shownItems_[static_cast<std::size_t>(index)]);
    }
    const bool focused = GetFocus() == window_ && !SendMessageW(window_, CB_GETDROPPEDSTATE, 0, 0);
    PaintComboItem(dc, field, text, focused, disabled, form_.App().Font());
}

void ComboBoxWindow::Changed(Control& control) {
    if (comboBox_.Items() != shownItems_) {
        shownItems_ = comboBox_.Items();
        SendMessageW(window_, CB_RESETCONTENT, 0, 0);
        for (const std::string& item : shownItems_) {
            SendMessageW(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Utf8ToUtf16(item).c_str()));
        }
    }
    const int index = comboBox_.ItemIndex();
    if (static_cast<int>(SendMessageW(window_, CB_GETCURSEL, 0, 0)) != index) {
        SendMessageW(window_, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    }
    ControlWindow::Changed(control);
}

void ComboBoxWindow::Command(WORD code) {
    if (code != CBN_SELCHANGE) return;
    const int index = static_cast<int>(SendMessageW(window_, CB_GETCURSEL, 0, 0));
    form_.App().Run([&] { comboBox_.Pick(index); });
}

void ComboBoxWindow::DrawItem(const DRAWITEMSTRUCT& item) {
    std::wstring text;
    if (item.itemID != static_cast<UINT>(-1) && item.itemID < shownItems_.size()) {
        text = platform::Utf8ToUtf16(shownItems_[item.itemID]);
    }
    PaintComboItem(item.hDC, item.rcItem, text, (item.itemState & ODS_SELECTED) != 0,
                   (item.itemState & ODS_DISABLED) != 0, form_.App().Font());
}

// ---- PictureWindow

PictureWindow::PictureWindow(Win32Form& form, Control& box, Picture picture)
    : ControlWindow(form, box), picture_(std::move(picture)) {
    Create(nullptr, 0, 0);
}

void PictureWindow::Paint(HDC dc, const RECT&) {
    picture_.Draw(dc, 0, 0);  // at its own size, top left
}

// ---- GaugeWindow

GaugeWindow::GaugeWindow(Win32Form& form, Gauge& gauge) : ControlWindow(form, gauge), gauge_(gauge) {
    Create(nullptr, 0, 0);
}

void GaugeWindow::Changed(Control& control) {
    SetText(gauge_.PercentText());
    ControlWindow::Changed(control);
}

void GaugeWindow::Paint(HDC dc, const RECT& client) {
    PaintBar(dc, client, gauge_.Percent() / 100.0, platform::Utf8ToUtf16(gauge_.PercentText()), form_.App().Font());
}

// ---- ProgressBarWindow

ProgressBarWindow::ProgressBarWindow(Win32Form& form, ProgressBar& bar) : ControlWindow(form, bar), bar_(bar) {
    Create(nullptr, 0, 0);
}

void ProgressBarWindow::Paint(HDC dc, const RECT& client) {
    const int range = bar_.Max() - bar_.Min();
    const double fraction = range > 0 ? static_cast<double>(bar_.Position() - bar_.Min()) / range : 0.0;
    PaintBar(dc, client, fraction, std::wstring(), form_.App().Font());
}

}  // namespace toolkit::win32
