#pragma once
// A window: its caption, size, the control that has the keyboard focus, and its visibility.
#include <cstdint>
#include <string>

#include "toolkit/Control.h"

namespace toolkit {

// Shift state of a key press.
enum ShiftState : unsigned {
    kShift = 1,
    kAlt = 2,
    kCtrl = 4,
};

// Virtual-key codes the windows handle.
inline constexpr std::uint16_t kVkDelete = 0x2E;
inline constexpr std::uint16_t kVkE = 0x45;
inline constexpr std::uint16_t kVkL = 0x4C;
inline constexpr std::uint16_t kVkR = 0x52;
inline constexpr std::uint16_t kVkF1 = 0x70;
inline constexpr std::uint16_t kVkEscape = 0x1B;

class Form : public Control {
public:
    using Control::Control;

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) {
        caption_ = std::move(caption);
        Changed();
    }

    // Outer height (title bar and border included) when set by a command; 0 while the window
    // keeps the size its definition gives its client area.
    int OuterHeight() const { return outerHeight_; }
    void SetOuterHeight(int height) {
        if (outerHeight_ == height) return;
        outerHeight_ = height;
        Changed();
    }

    int ClientWidth = 0;
    int ClientHeight = 0;
    bool KeyPreview = true;

    Control* ActiveControl() const { return activeControl_; }
    void FocusControl(Control& control) {
        activeControl_ = &control;
        Changed();
    }

    bool Visible() const { return visible_; }
    void SetVisible(bool visible) {
        if (visible_ == visible) return;
        visible_ = visible;
        Changed();
    }

private:
    std::string caption_;
    int outerHeight_ = 0;
    Control* activeControl_ = nullptr;
    bool visible_ = false;
};

}  // namespace toolkit
