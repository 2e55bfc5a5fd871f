#pragma once
// The write's progress: pages and blocks, percent, rate and time left, and the auto-calibration
// delays. On a terminal one line is redrawn in place; elsewhere (a log, a pipe) a line is added
// every second. It reads the window's controls: the page gauge, the
// block bar (whose every step is one block written) and Label3.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/MainForm.h"
#include "toolkit/Control.h"

namespace flash {

class WriteProgress : private toolkit::ControlPeer {
public:
    // Counts blocks from now on; draws on stream, redrawing one line when it is a terminal.
    WriteProgress(app::TMainForm& form, std::FILE* stream, bool terminal);
    ~WriteProgress() override;
    WriteProgress(const WriteProgress&) = delete;
    WriteProgress& operator=(const WriteProgress&) = delete;

    // Draws the line when the write runs and the last drawing is old enough (100 ms on a
    // terminal, a second elsewhere).
    void Update();
    // Takes the line off the terminal (before other output).
    void Clear();

    // The line as it would be drawn now ("" when no write runs).
    std::string Text() const;

private:
    void Changed(toolkit::Control& control) override;

    using SteadyClock = std::chrono::steady_clock;
    app::TMainForm& form_;
    std::FILE* stream_;
    bool terminal_;
    int lastPosition_ = 0;
    long long blocksDone_ = 0;
    SteadyClock::time_point start_{};
    SteadyClock::time_point drawn_{};
    bool shown_ = false;
};

}  // namespace flash
