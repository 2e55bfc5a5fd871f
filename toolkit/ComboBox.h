#pragma once
#include <functional>
#include <string>
#include <vector>

#include "toolkit/Control.h"

namespace toolkit {

// A drop-down list. Selecting an item from code does not run OnChange; only the user's pick
// (Pick) does.
class ComboBox : public Control {
public:
    using Control::Control;

    const std::vector<std::string>& Items() const { return items_; }
    // Replaces the items; nothing stays selected.
    void SetItems(std::vector<std::string> items) {
        items_ = std::move(items);
        itemIndex_ = -1;
        Changed();
    }

    int ItemIndex() const { return itemIndex_; }
    // An index outside the items selects nothing.
    void SetItemIndex(int index) {
        itemIndex_ = index >= 0 && index < static_cast<int>(items_.size()) ? index : -1;
        Changed();
    }

    // The selected item's text; for an editable box, the text typed.
    std::string Text() const {
        if (editable_) return text_;
        return itemIndex_ >= 0 ? items_[static_cast<std::size_t>(itemIndex_)] : std::string();
    }
    void SetEditableText(std::string text) {
        editable_ = true;
        text_ = std::move(text);
        Changed();
    }

    std::function<void()> OnChange;

    // The user picks item index.
    void Pick(int index) {
        if (!Enabled()) return;
        SetItemIndex(index);
        if (OnChange) OnChange();
    }

private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    bool editable_ = false;
    std::string text_;
};

}  // namespace toolkit
