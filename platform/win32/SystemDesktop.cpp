#include <windows.h>
#include <shellapi.h>

#include "platform/Desktop.h"
#include "platform/win32/WideText.h"

namespace platform {
namespace {

class Win32Desktop final : public Desktop {
public:
    void MessageBeep(std::uint32_t type) override { ::MessageBeep(type); }
    void Beep(std::uint32_t frequencyHz, std::uint32_t durationMs) override { ::Beep(frequencyHz, durationMs); }
    void OpenWithShell(void* ownerWindow, const std::string& verb, const std::string& file, int showCommand) override {
        const std::wstring wideVerb = Utf8ToUtf16(verb);
        ::ShellExecuteW(static_cast<HWND>(ownerWindow), verb.empty() ? nullptr : wideVerb.c_str(),
                      Utf8ToUtf16(file).c_str(), nullptr, nullptr, showCommand);
    }
};

}  // namespace

Desktop& SystemDesktop() {
    static Win32Desktop desktop;
    return desktop;
}

}  // namespace platform
