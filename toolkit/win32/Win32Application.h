#pragma once
// The application object over real windows: the message loop and the pump the commands call
// (both also run the calls that other threads queue for this thread), key preview, message
// boxes, sounds, the shell and the file-open dialog, all through the W API.
#include <windows.h>

#include <vector>

#include "toolkit/Application.h"

namespace toolkit::win32 {

class Win32Form;

class Win32Application final : public Application {
public:
    Win32Application();
    ~Win32Application() override;

    void ProcessMessages() override;
    void BringToFront() override;
    void ShowMessage(const std::string& text) override;
    void MessageBeep(std::uint32_t type) override;
    void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override;
    void OpenWithShell(Form* owner, const std::string& verb, const std::string& file, int showCommand) override;
    bool ExecuteOpenDialog(const std::string& filter, std::string& fileName) override;
    void HandleException(const std::exception& error) override;

    // Runs the message loop until the main window is closed.
    void RunMessageLoop();
    bool Terminated() const { return terminated_; }

    // Forms register themselves; the first is the main window.
    void AddForm(Win32Form& form);
    void RemoveForm(Win32Form& form);
    Win32Form* MainWindow() const { return forms_.empty() ? nullptr : forms_.front(); }
    Win32Form* FindForm(const Form& form) const;

    HFONT Font() const { return font_; }

private:
    void Dispatch(MSG& message);
    bool PreviewKey(MSG& message);
    HWND OwnerForBox() const;

    std::vector<Win32Form*> forms_;
    HFONT font_ = nullptr;
    UINT_PTR timer_ = 0;
    bool terminated_ = false;
};

}  // namespace toolkit::win32
