#pragma once
// Controls as plain objects: each holds the state that the commands read and write (caption,
// enabled, items, lines, ...) and the values of the window's definition (position, hint,
// cursor). A back end that draws real windows attaches a peer and is told of every change; the
// headless back end attaches none.
#include <string>

namespace toolkit {

class Control;

class ControlPeer {
public:
    virtual ~ControlPeer() = default;
    virtual void Changed(Control& control) = 0;
};

enum class CursorKind { Arrow, HandPoint };

struct Rect {
    int Left = 0;
    int Top = 0;
    int Width = 0;
    int Height = 0;
};

class Control {
public:
    explicit Control(std::string name) : name_(std::move(name)) {}
    virtual ~Control() = default;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    const std::string& Name() const { return name_; }

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) {
        if (enabled_ == enabled) return;
        enabled_ = enabled;
        Changed();
    }

    // Values of the window's definition.
    Control* Parent = nullptr;
    Rect Bounds;
    std::string Hint;
    CursorKind Cursor = CursorKind::Arrow;

    void SetPeer(ControlPeer* peer) { peer_ = peer; }
    ControlPeer* Peer() const { return peer_; }

protected:
    void Changed() {
        if (peer_) peer_->Changed(*this);
    }

private:
    std::string name_;
    bool enabled_ = true;
    ControlPeer* peer_ = nullptr;
};

// A panel, or any control that only groups others.
class Panel : public Control {
public:
    using Control::Control;
};

}  // namespace toolkit
