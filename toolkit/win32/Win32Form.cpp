#include "toolkit/win32/Win32Form.h"

#include <commctrl.h>

#include <cstdlib>
#include <stdexcept>

#include "platform/win32/WideText.h"
#include "toolkit/win32/ControlWindows.h"
#include "toolkit/win32/Win32Application.h"

namespace toolkit::win32 {
namespace {

constexpr wchar_t kFormClass[] = L"MtrForm";
constexpr wchar_t kDialogClass[] = L"MtrDialog";  // a dialog's title bar shows no icon
constexpr wchar_t kSurfaceClass[] = L"MtrSurface";
constexpr int kSnapBuffer = 10;
constexpr int kProgramIcon = 1;
constexpr UINT kActivatedMessage = WM_APP + 1;

LRESULT CALLBACK SurfaceProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* surface = reinterpret_cast<Surface*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    if (surface) return surface->Handle(window, message, wParam, lParam);
    return DefWindowProcW(window, message, wParam, lParam);
}

void RegisterClasses() {
    static bool registered = false;
    if (registered) return;
    registered = true;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW form{};
    form.cbSize = sizeof(form);
    form.lpfnWndProc = SurfaceProc;
    form.hInstance = instance;
    form.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    form.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kProgramIcon));
    form.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(kProgramIcon), IMAGE_ICON, 16, 16, 0));
    if (!form.hIcon) form.hIcon = LoadIconW(nullptr, MAKEINTRESOURCEW(32512));  // IDI_APPLICATION
    form.lpszClassName = kFormClass;
    RegisterClassExW(&form);
    WNDCLASSEXW dialog = form;
    dialog.hIcon = nullptr;
    dialog.hIconSm = nullptr;
    dialog.lpszClassName = kDialogClass;
    RegisterClassExW(&dialog);
    WNDCLASSEXW surface{};
    surface.cbSize = sizeof(surface);
    surface.style = CS_DBLCLKS;
    surface.lpfnWndProc = SurfaceProc;
    surface.hInstance = instance;
    surface.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
    surface.lpszClassName = kSurfaceClass;
    RegisterClassExW(&surface);
}

// The W API breaks lines at CR LF; the hints hold lone CRs.
std::wstring HintText(const std::string& hint) {
    std::wstring text;
    for (wchar_t c : platform::Utf8ToUtf16(hint)) {
        text.push_back(c);
        if (c == L'\r') text.push_back(L'\n');
    }
    for (std::size_t i = 0; i + 2 < text.size(); ++i) {
        if (text[i] == L'\r' && text[i + 1] == L'\n' && text[i + 2] == L'\n') text.erase(i + 2, 1);
    }
    return text;
}

// Each window carries its control's name (as a global atom in the property "MtrName"), so that
// tools outside the process, such as the window tests' probe, can tell the controls apart.
void NameWindow(HWND window, const std::string& name) {
    const ATOM atom = GlobalAddAtomW(platform::Utf8ToUtf16(name).c_str());
    SetPropW(window, L"MtrName", reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(atom)));
}

}  // namespace

const wchar_t* SurfaceClassName() { return kSurfaceClass; }

void PaintParentBehind(HWND child, HDC dc) {
    HWND parent = GetParent(child);
    if (!parent) return;
    POINT origin{0, 0};
    MapWindowPoints(child, parent, &origin, 1);
    POINT old{};
    OffsetWindowOrgEx(dc, origin.x, origin.y, &old);
    SendMessageW(parent, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SetWindowOrgEx(dc, old.x, old.y, nullptr);
}

// ---- ControlWindow

ControlWindow::ControlWindow(Win32Form& form, Control& control) : form_(form), control_(control) {}

ControlWindow::~ControlWindow() {
    if (control_.Peer() == this) control_.SetPeer(nullptr);
}

void ControlWindow::Create(const wchar_t* className, DWORD style, DWORD exStyle, int height) {
    static int nextId = 1000;
    const Rect& b = control_.Bounds;
    window_ = CreateWindowExW(exStyle, className ? className : kSurfaceClass, L"", WS_CHILD | WS_VISIBLE | style,
                              b.Left, b.Top, b.Width, height < 0 ? b.Height : height, form_.ParentHandleOf(control_),
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(nextId++)), GetModuleHandleW(nullptr),
                              className ? nullptr : static_cast<Surface*>(this));
    if (!window_) throw std::runtime_error("Cannot create the window of " + control_.Name());
    SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(form_.App().Font()), FALSE);
    NameWindow(window_, control_.Name());
    control_.SetPeer(this);
    EnableWindow(window_, control_.Enabled());
}

void ControlWindow::SetText(const std::string& text) {
    const std::wstring wide = platform::Utf8ToUtf16(text);
    const int length = GetWindowTextLengthW(window_);
    std::wstring shown(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(window_, shown.data(), length + 1);
    shown.resize(static_cast<std::size_t>(length));
    if (shown != wide) SetWindowTextW(window_, wide.c_str());
}

void ControlWindow::Changed(Control&) {
    if (!window_) return;
    const bool enabled = control_.Enabled();
    if ((IsWindowEnabled(window_) != FALSE) != enabled) EnableWindow(window_, enabled);
    InvalidateRect(window_, nullptr, FALSE);
}

void ControlWindow::PaintBackground(HDC dc, const RECT&) { PaintParentBehind(window_, dc); }

LRESULT ControlWindow::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(window, &client);
        PaintBackground(reinterpret_cast<HDC>(wParam), client);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        // Drawn off screen first, so that nothing flickers.
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, client.right > 0 ? client.right : 1, client.bottom > 0 ? client.bottom : 1);
        HGDIOBJ old = SelectObject(memory, bitmap);
        PaintBackground(memory, client);
        Paint(memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        EndPaint(window, &paint);
        return 0;
    }
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// ---- Win32Form

Win32Form::Win32Form(Win32Application& application, Form& form, FormStyle style)
    : application_(application), form_(form), style_(style) {
    RegisterClasses();
    DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    DWORD exStyle = WS_EX_CONTROLPARENT;
    if (style_.dialogBorder) {
        exStyle |= WS_EX_DLGMODALFRAME;
    } else {
        windowStyle |= WS_MINIMIZEBOX;
    }
    RECT outer{0, 0, form_.ClientWidth, form_.ClientHeight};
    AdjustWindowRectEx(&outer, windowStyle, FALSE, exStyle);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    int left;
    int top;
    if (style_.firstPosition) {
        left = style_.firstPosition->x;
        top = style_.firstPosition->y;
    } else {
        left = (GetSystemMetrics(SM_CXSCREEN) - width) / 2;
        top = (GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    }
    Win32Form* main = application_.MainWindow();
    application_.AddForm(*this);
    window_ = CreateWindowExW(exStyle, style_.dialogBorder ? kDialogClass : kFormClass, platform::Utf8ToUtf16(form_.Caption()).c_str(), windowStyle, left,
                              top, width, height, main ? main->Handle() : nullptr, nullptr, GetModuleHandleW(nullptr),
                              static_cast<Surface*>(this));
    if (!window_) {
        application_.RemoveForm(*this);
        throw std::runtime_error("Cannot create the window of " + form_.Name());
    }
    NameWindow(window_, form_.Name());
    form_.SetPeer(this);
}

Win32Form::~Win32Form() {
    form_.SetPeer(nullptr);
    if (IsWindow(window_)) DestroyWindow(window_);
    children_.clear();
    application_.RemoveForm(*this);
}

void Win32Form::Adopt(std::unique_ptr<ControlWindow> child) {
    byHandle_[child->Handle()] = child.get();
    byControl_[&child->Subject()] = child.get();
    AddHint(*child);
    child->Changed(child->Subject());
    children_.push_back(std::move(child));
}

void Win32Form::AddPanel(Control& panel) { Adopt(std::make_unique<PanelWindow>(*this, panel)); }
void Win32Form::AddLabel(Label& label, LabelStyle style) { Adopt(std::make_unique<LabelWindow>(*this, label, style)); }
void Win32Form::AddComboBox(ComboBox& comboBox) { Adopt(std::make_unique<ComboBoxWindow>(*this, comboBox)); }
void Win32Form::AddButton(Button& button, Skin skin) {
    Adopt(std::make_unique<ButtonWindow>(*this, button, skin, std::nullopt));
}
void Win32Form::AddPictureButton(Button& button, int pictureResource) {
    Adopt(std::make_unique<ButtonWindow>(*this, button, Skin::None, Picture::FromResource(pictureResource)));
}
void Win32Form::AddPicture(Control& box, int pictureResource) {
    Adopt(std::make_unique<PictureWindow>(*this, box, Picture::FromResource(pictureResource)));
}
void Win32Form::AddGauge(Gauge& gauge) { Adopt(std::make_unique<GaugeWindow>(*this, gauge)); }
void Win32Form::AddProgressBar(ProgressBar& bar) { Adopt(std::make_unique<ProgressBarWindow>(*this, bar)); }

void Win32Form::AddHint(const ControlWindow& child) {
    const std::string& hint = child.Subject().Hint;
    if (hint.empty()) return;
    if (!tooltip_) {
        tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        // A width makes the tooltip break lines; the hints are short except ButtonWrite's.
        SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, 320);
        SendMessageW(tooltip_, TTM_SETDELAYTIME, TTDT_AUTOPOP, 10000);
    }
    std::wstring text = HintText(hint);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(child.Handle());
    tool.lpszText = text.data();
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

ControlWindow* Win32Form::Find(HWND window) const {
    const auto found = byHandle_.find(window);
    return found == byHandle_.end() ? nullptr : found->second;
}

HWND Win32Form::ParentHandleOf(const Control& control) const {
    if (control.Parent && control.Parent != &form_) {
        const auto found = byControl_.find(control.Parent);
        if (found != byControl_.end()) return found->second->Handle();
    }
    return window_;
}

bool Win32Form::HandlesKeysOf(HWND window) const {
    return window && (window == window_ || IsChild(window_, window));
}

void Win32Form::BringToFront() {
    if (!IsWindowVisible(window_)) return;
    if (IsIconic(window_)) ShowWindow(window_, SW_RESTORE);
    BringWindowToTop(window_);
    SetForegroundWindow(window_);
    SetActiveWindow(window_);
}

void Win32Form::Changed(Control&) {
    if (syncing_ || !window_) return;
    syncing_ = true;
    const std::wstring caption = platform::Utf8ToUtf16(form_.Caption());
    wchar_t shown[512] = {};
    GetWindowTextW(window_, shown, 512);
    if (caption != shown) SetWindowTextW(window_, caption.c_str());

    if (form_.OuterHeight() > 0) {
        RECT outer;
        GetWindowRect(window_, &outer);
        if (outer.bottom - outer.top != form_.OuterHeight()) {
            SetWindowPos(window_, nullptr, 0, 0, outer.right - outer.left, form_.OuterHeight(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }

    const bool visible = IsWindowVisible(window_) != FALSE;
    if (form_.Visible() && !visible) {
        ShowWindow(window_, SW_SHOW);
        UpdateWindow(window_);
        shown_ = true;
    } else if (!form_.Visible() && visible) {
        ShowWindow(window_, SW_HIDE);
    }

    if (Control* active = form_.ActiveControl()) {
        const auto found = byControl_.find(active);
        if (found != byControl_.end()) {
            HWND target = found->second->Handle();
            // Also the focus the window gets back when it is next activated (after a message
            // box, say, whose closing may reactivate the window only later).
            lastFocus_ = target;
            if (GetActiveWindow() == window_ && GetFocus() != target) SetFocus(target);
        }
    }
    syncing_ = false;
}

void Win32Form::Snap(WINDOWPOS& position) const {
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    if (std::abs(position.x - work.left) <= kSnapBuffer) position.x = work.left;
    if (std::abs(position.y - work.top) <= kSnapBuffer) position.y = work.top;
    if (std::abs(work.right - (position.x + position.cx)) <= kSnapBuffer) position.x = work.right - position.cx;
    if (std::abs(work.bottom - (position.y + position.cy)) <= kSnapBuffer) position.y = work.bottom - position.cy;
}

bool Win32Form::ContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        // IDOK and IDCANCEL from the dialog keys (Enter, Esc) come without a control: nothing.
        if (ControlWindow* child = Find(reinterpret_cast<HWND>(lParam))) child->Command(HIWORD(wParam));
        result = 0;
        return true;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (ControlWindow* child = Find(item->hwndItem)) child->DrawItem(*item);
        result = TRUE;
        return true;
    }
    case WM_MEASUREITEM: {
        // Drop-down lists: 15-pixel items, so the closed box is 21 pixels high.
        auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        item->itemHeight = 15;
        result = TRUE;
        return true;
    }
    case WM_SETCURSOR: {
        ControlWindow* child = Find(reinterpret_cast<HWND>(wParam));
        if (child && LOWORD(lParam) == HTCLIENT && child->Subject().Cursor == CursorKind::HandPoint) {
            SetCursor(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649)));  // IDC_HAND
            result = TRUE;
            return true;
        }
        return false;
    }
    default:
        return false;
    }
}

LRESULT Win32Form::Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ContainerMessage(message, wParam, lParam, result)) return result;
    switch (message) {
    case WM_ERASEBKGND:
    case WM_PRINTCLIENT: {
        RECT client;
        GetClientRect(window, &client);
        HBRUSH brush = CreateSolidBrush(style_.background);
        FillRect(reinterpret_cast<HDC>(wParam), &client, brush);
        DeleteObject(brush);
        return 1;
    }
    case WM_CLOSE:
        if (style_.hideOnClose) {
            form_.SetVisible(false);
        } else {
            DestroyWindow(window);
        }
        return 0;
    case WM_DESTROY:
        if (application_.MainWindow() == this) PostQuitMessage(0);
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (style_.snapToScreenEdges) {
            auto* position = reinterpret_cast<WINDOWPOS*>(lParam);
            if (!(position->flags & SWP_NOMOVE)) {
                if (position->flags & SWP_NOSIZE) {
                    RECT outer;
                    GetWindowRect(window, &outer);
                    position->cx = outer.right - outer.left;
                    position->cy = outer.bottom - outer.top;
                }
                Snap(*position);
            }
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case WM_SIZE:
        // A new size repaints the whole window at once, then runs the form's resize handler.
        if (shown_ && wParam != SIZE_MINIMIZED) {
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
            if (Resized) application_.Run(Resized);
        }
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus)) lastFocus_ = focus;
            return 0;
        }
        if (Activated) PostMessageW(window, kActivatedMessage, 0, 0);
        if (lastFocus_ && IsWindow(lastFocus_) && IsChild(window, lastFocus_)) {
            SetFocus(lastFocus_);
            return 0;
        }
        if (HWND first = GetNextDlgTabItem(window, nullptr, FALSE)) {
            SetFocus(first);
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    case kActivatedMessage:
        // The activation handler runs once the activation itself is complete.
        if (Activated) application_.Run(Activated);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace toolkit::win32
