#pragma once
// A form drawn as a real top-level window, and its controls drawn as child windows. Each control
// window is the peer of its toolkit object: changes of the object (caption, enabled state,
// items, progress, visibility, focus) reach the window, and the user's clicks, picks and keys
// run the object's handlers through Application::Run, so that errors reach the default handler.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "toolkit/Button.h"
#include "toolkit/ComboBox.h"
#include "toolkit/Form.h"
#include "toolkit/Gauge.h"
#include "toolkit/Label.h"
#include "toolkit/win32/Picture.h"
#include "toolkit/win32/Skin.h"

namespace toolkit::win32 {

class Win32Application;
class Win32Form;

// A window that paints or handles its own messages: forms and the controls drawn by us.
class Surface {
public:
    virtual ~Surface() = default;
    virtual LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) = 0;
};

// One control's window.
class ControlWindow : public ControlPeer, public Surface {
public:
    ControlWindow(Win32Form& form, Control& control);
    ~ControlWindow() override;

    HWND Handle() const { return window_; }
    Control& Subject() const { return control_; }

    void Changed(Control& control) override;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Notifications from the window's parent.
    virtual void Command(WORD /*code*/) {}
    virtual void DrawItem(const DRAWITEMSTRUCT& /*item*/) {}
    // Paints what lies behind the children of this window (containers only).
    virtual void PaintBackground(HDC dc, const RECT& client);
    // Paints the control itself (windows of our own class).
    virtual void Paint(HDC /*dc*/, const RECT& /*client*/) {}

protected:
    // Creates the window: a system class (BUTTON, COMBOBOX) or, with className null, our own.
    void Create(const wchar_t* className, DWORD style, DWORD exStyle, int height = -1);
    // Sets the window's text when it differs.
    void SetText(const std::string& text);
    Win32Form& form_;
    Control& control_;
    HWND window_ = nullptr;
};

struct FormStyle {
    bool dialogBorder = false;        // fixed dialog border: close button only
    COLORREF background = 0;
    bool hideOnClose = false;         // closing hides the window (a secondary form)
    std::optional<POINT> firstPosition;  // outer top left; centred on the screen when absent
    bool snapToScreenEdges = false;
};

struct LabelStyle {
    bool autoSize = true;   // the width follows the caption
    bool link = false;      // drawn in the window text colour while the mouse is over it
};

class Win32Form final : public ControlPeer, public Surface {
public:
    Win32Form(Win32Application& application, Form& form, FormStyle style);
    ~Win32Form() override;
    Win32Form(const Win32Form&) = delete;
    Win32Form& operator=(const Win32Form&) = delete;

    void AddPanel(Control& panel);
    void AddLabel(Label& label, LabelStyle style = {});
    void AddComboBox(ComboBox& comboBox);
    void AddButton(Button& button, Skin skin);
    void AddPictureButton(Button& button, int pictureResource);
    void AddPicture(Control& box, int pictureResource);
    void AddGauge(Gauge& gauge);
    void AddProgressBar(ProgressBar& bar);

    // The form's key handler, run before the focused control gets the key.
    std::function<void(std::uint16_t key, unsigned shift)> KeyDown;
    // Run after the window has been resized (it is repainted at once first), and after it has
    // become the active window.
    std::function<void()> Resized;
    std::function<void()> Activated;

    HWND Handle() const { return window_; }
    Form& Subject() const { return form_; }
    Win32Application& App() const { return application_; }
    void BringToFront();

    ControlWindow* Find(HWND window) const;
    HWND ParentHandleOf(const Control& control) const;
    bool HandlesKeysOf(HWND window) const;

    void Changed(Control& control) override;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;

    // Messages that every container (the form, a panel) handles for its children.
    bool ContainerMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

private:
    void Adopt(std::unique_ptr<ControlWindow> child);
    void AddHint(const ControlWindow& child);
    void Snap(WINDOWPOS& position) const;

    Win32Application& application_;
    Form& form_;
    FormStyle style_;
    HWND window_ = nullptr;
    HWND tooltip_ = nullptr;
    HWND lastFocus_ = nullptr;
    bool shown_ = false;
    bool syncing_ = false;
    std::vector<std::unique_ptr<ControlWindow>> children_;
    std::map<HWND, ControlWindow*> byHandle_;
    std::map<const Control*, ControlWindow*> byControl_;
};

// Window class of every window we paint ourselves.
const wchar_t* SurfaceClassName();
// Paints the part of the parent that lies behind child into dc (child's coordinates).
void PaintParentBehind(HWND child, HDC dc);

}  // namespace toolkit::win32
