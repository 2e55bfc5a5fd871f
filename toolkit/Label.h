#pragma once
#include <functional>

#include "toolkit/Control.h"

namespace toolkit {

class Label : public Control {
public:
    Label(std::string name, std::string caption) : Control(std::move(name)), caption_(std::move(caption)) {}

    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) {
        if (caption_ == caption) return;
        caption_ = std::move(caption);
        Changed();
    }

    // Text colour as RGB; -1 for the window's text colour.
    long Color = -1;
    std::function<void()> OnClick;
    void Click() {
        if (Enabled() && OnClick) OnClick();
    }

private:
    std::string caption_;
};

}  // namespace toolkit
