#pragma once
// A hidden window owned by the user-interface thread that receives one message number sent from
// another thread. The sender waits until the window's procedure has replied, which it does at
// once, before the handler runs. On Windows it is a real window; elsewhere the message travels
// through the user-interface thread's queue of calls (MainThreadCalls).
#include <cstdint>
#include <functional>
#include <memory>

namespace platform {

class MessageWindow {
public:
    using Procedure = std::function<void(std::uintptr_t wParam, std::intptr_t lParam)>;
    virtual ~MessageWindow() = default;

    // From a thread other than the window's: deliver the message and wait for the reply.
    virtual void Send(std::uintptr_t wParam, std::intptr_t lParam) = 0;
    // On the window's thread: deliver the messages other threads have sent to its windows.
    virtual void DeliverSentMessages() = 0;
};

// A window on the calling thread that hands every message numbered message to procedure
// (after replying to the sender); any other message gets the system's default handling.
std::unique_ptr<MessageWindow> NewMessageWindow(std::uint32_t message, MessageWindow::Procedure procedure);

}  // namespace platform
