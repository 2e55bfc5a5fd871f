#pragma once
// The kinds of control windows a form creates.
#include "toolkit/win32/Win32Form.h"

namespace toolkit::win32 {

class PanelWindow final : public ControlWindow {
public:
    PanelWindow(Win32Form& form, Control& panel);
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void PaintBackground(HDC dc, const RECT& client) override;
};

class LabelWindow final : public ControlWindow {
public:
    LabelWindow(Win32Form& form, Label& label, LabelStyle style);
    void Changed(Control& control) override;
    LRESULT Handle(HWND window, UINT message, WPARAM wParam, LPARAM lParam) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    void FitToCaption();
    Label& label_;
    LabelStyle style_;
    bool hot_ = false;
    bool pressed_ = false;
};

class ButtonWindow final : public ControlWindow {
public:
    // A skinned push button (skin) or, with a picture, a picture button.
    ButtonWindow(Win32Form& form, Button& button, Skin skin, std::optional<Picture> picture);
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    void Click();

private:
    Button& button_;
    Skin skin_;
    std::optional<Picture> picture_;
};

class ComboBoxWindow final : public ControlWindow {
public:
    ComboBoxWindow(Win32Form& form, ComboBox& comboBox);
    void Changed(Control& control) override;
    void Command(WORD code) override;
    void DrawItem(const DRAWITEMSTRUCT& item) override;
    // The closed box in the skin's frame (the system control keeps its behaviour).
    void PaintClosed(HDC dc);

private:
    ComboBox& comboBox_;
    std::vector<std::string> shownItems_;
};

class PictureWindow final : public ControlWindow {
public:
    PictureWindow(Win32Form& form, Control& box, Picture picture);
    void Paint(HDC dc, const RECT& client) override;

private:
    Picture picture_;
};

class GaugeWindow final : public ControlWindow {
public:
    GaugeWindow(Win32Form& form, Gauge& gauge);
    void Changed(Control& control) override;
    void Paint(HDC dc, const RECT& client) override;

private:
    Gauge& gauge_;
};

class ProgressBarWindow final : public ControlWindow {
public:
    ProgressBarWindow(Win32Form& form, ProgressBar& bar);
    void Paint(HDC dc, const RECT& client) override;

private:
    ProgressBar& bar_;
};

}  // namespace toolkit::win32
