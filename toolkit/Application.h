#pragma once
// The application object as the commands use it: its title, the message pump that long commands
// call, bringing the program to the front, modal message boxes, system sounds, the shell, and
// the default error handler. The Win32 back end shows real windows; the headless back end
// records (or prints) instead and lets tests script the user.
#include <cstdint>
#include <exception>
#include <string>

namespace toolkit {

class Form;

class Application {
public:
    virtual ~Application() = default;

    const std::string& Title() const { return title_; }
    virtual void SetTitle(std::string title) { title_ = std::move(title); }

    // Processes the pending window messages: repaints, the user's keys and clicks, and the calls
    // that other threads have queued for this thread.
    virtual void ProcessMessages() = 0;
    // Brings the application's window to the front.
    virtual void BringToFront() = 0;
    // A modal message box with an OK button; returns when the user has closed it.
    virtual void ShowMessage(const std::string& text) = 0;
    virtual void MessageBeep(std::uint32_t type) = 0;
    virtual void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) = 0;
    virtual void OpenWithShell(Form* owner, const std::string& verb, const std::string& file, int showCommand) = 0;
    // The file-open dialog with one filter ("description|pattern"); true with fileName set when
    // the user chose a file, false when cancelled.
    virtual bool ExecuteOpenDialog(const std::string& filter, std::string& fileName) = 0;

    // The default error handler: shows the exception's message in a message box.
    virtual void HandleException(const std::exception& error) { ShowMessage(error.what()); }

    // Runs a command the way the message loop runs a handler: an exception it raises ends it
    // and goes to the default error handler.
    template <typename Command>
    void Run(Command&& command) {
        try {
            command();
        } catch (const std::exception& error) {
            HandleException(error);
        }
    }

private:
    std::string title_;
};

}  // namespace toolkit
