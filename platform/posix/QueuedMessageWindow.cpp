// Without a window system the notify window is a queue: a sent message becomes a call queued for
// the user-interface thread, and the sender waits until that call has started (the reply).
#include <condition_variable>
#include <memory>
#include <mutex>

#include "platform/MainThreadCalls.h"
#include "platform/MessageWindow.h"

namespace platform {

namespace {

class QueuedMessageWindow final : public MessageWindow {
public:
    explicit QueuedMessageWindow(Procedure procedure)
        : procedure_(std::make_shared<Procedure>(std::move(procedure))) {}
    // Calls still queued find the window gone and do nothing.
    ~QueuedMessageWindow() override { *procedure_ = nullptr; }

    void Send(std::uintptr_t wParam, std::intptr_t lParam) override {
        struct Reply {
            std::mutex mutex;
            std::condition_variable done;
            bool replied = false;
        };
        auto reply = std::make_shared<Reply>();
        MainThreadCalls::Instance().Post([reply, procedure = procedure_, wParam, lParam] {
            {
                std::lock_guard lock(reply->mutex);
                reply->replied = true;
            }
            reply->done.notify_all();
            if (*procedure) (*procedure)(wParam, lParam);
        });
        std::unique_lock lock(reply->mutex);
        reply->done.wait(lock, [&] { return reply->replied; });
    }

    void DeliverSentMessages() override { MainThreadCalls::Instance().RunPending(); }

private:
    std::shared_ptr<Procedure> procedure_;
};

}  // namespace

std::unique_ptr<MessageWindow> NewMessageWindow(std::uint32_t, MessageWindow::Procedure procedure) {
    return std::make_unique<QueuedMessageWindow>(std::move(procedure));
}

}  // namespace platform
