// The notify window on Windows: a message-only window of the thread that creates it. A message
// sent from another thread is replied to at once (ReplyMessage), so the sender goes on while the
// procedure runs.
#include <windows.h>

#include <cstdio>
#include <exception>

#include "platform/MessageWindow.h"

namespace platform {

namespace {

constexpr const wchar_t* kClassName = L"MtrNotifyWindow";

class Win32MessageWindow final : public MessageWindow {
public:
    Win32MessageWindow(std::uint32_t message, Procedure procedure)
        : message_(message), procedure_(std::move(procedure)) {
        static const ATOM registered = [] {
            WNDCLASSW windowClass{};
            windowClass.lpfnWndProc = &Win32MessageWindow::WindowProcedure;
            windowClass.hInstance = ::GetModuleHandleW(nullptr);
            windowClass.lpszClassName = kClassName;
            return ::RegisterClassW(&windowClass);
        }();
        (void)registered;
        window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    ::GetModuleHandleW(nullptr), nullptr);
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }

    ~Win32MessageWindow() override {
        ::SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        ::DestroyWindow(window_);
    }

    void Send(std::uintptr_t wParam, std::intptr_t lParam) override {
        ::SendMessageW(window_, message_, static_cast<WPARAM>(wParam), static_cast<LPARAM>(lParam));
    }

    void DeliverSentMessages() override {
        MSG message;
        ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }

private:
    static LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<Win32MessageWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
        if (!self || message != self->message_) return ::DefWindowProcW(window, message, wParam, lParam);
        if (::InSendMessage()) ::ReplyMessage(0);
        try {
            self->procedure_(static_cast<std::uintptr_t>(wParam), static_cast<std::intptr_t>(lParam));
        } catch (const std::exception& error) {
            // An exception cannot cross the system's window procedure; the port hands its own to
            // the application's handler, so only one without a handler gets here.
            std::fprintf(stderr, "%s\n", error.what());
        }
        return 0;
    }

    std::uint32_t message_;
    Procedure procedure_;
    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<MessageWindow> NewMessageWindow(std::uint32_t message, MessageWindow::Procedure procedure) {
    return std::make_unique<Win32MessageWindow>(message, std::move(procedure));
}

}  // namespace platform
