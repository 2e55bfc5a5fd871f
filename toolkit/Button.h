#pragma once
#include <functional>

#include "toolkit/Control.h"

namespace toolkit {

// Push buttons, skinned buttons and picture buttons alike: a click runs OnClick while enabled.
class Button : public Control {
public:
    Button(std::string name, std::string caption = {}) : Control(std::move(name)), Caption(std::move(caption)) {}

    std::string Caption;
    std::function<void()> OnClick;

    void Click() {
        if (Enabled() && OnClick) OnClick();
    }
};

}  // namespace toolkit
