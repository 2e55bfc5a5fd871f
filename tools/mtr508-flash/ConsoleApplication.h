#pragma once
// The headless application as the command line runs it: message boxes printed on stdout and
// errors on stderr as they come, the kind of the last error kept for the exit code, and a hook
// at every pump of the message queue (the progress line, Ctrl+C).
#include <functional>

#include "toolkit/headless/HeadlessApplication.h"

namespace flash {

enum class ErrorKind {
    None,
    File,        // a file that cannot be opened or read
    Conversion,  // a field that is not a number
    Range,       // a value a control refuses (the gauge's range error of an empty text)
    Port,        // the serial port or the port list
    Other,
};

class ConsoleApplication : public toolkit::headless::HeadlessApplication {
public:
    ConsoleApplication();

    void ProcessMessages() override;
    void HandleException(const std::exception& error) override;

    // The kind of the last error that the default error handler reported.
    ErrorKind LastError() const { return lastError_; }

    // Runs after every pump.
    std::function<void()> OnPump;
    // Runs before anything is printed (to take a progress line off the terminal).
    std::function<void()> BeforePrint;

private:
    ErrorKind lastError_ = ErrorKind::None;
};

// Ctrl+C: the first one is kept for the command to act on (Interrupted() then returns true
// once); a second one ends the program as the system does.
void CatchInterrupt();
bool Interrupted();

}  // namespace flash
