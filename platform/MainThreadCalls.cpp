#include "platform/MainThreadCalls.h"

#include <chrono>
#include <memory>

namespace platform {

MainThreadCalls& MainThreadCalls::Instance() {
    static MainThreadCalls instance;
    return instance;
}

void MainThreadCalls::BindToCurrentThread() {
    std::lock_guard lock(mutex_);
    mainThread_ = std::this_thread::get_id();
}

bool MainThreadCalls::OnMainThread() const {
    std::lock_guard lock(mutex_);
    return mainThread_ == std::this_thread::get_id();
}

void MainThreadCalls::Synchronize(const std::function<void()>& call) {
    if (OnMainThread()) {
        call();
        return;
    }
    Request request;
    request.call = call;
    std::unique_lock lock(mutex_);
    pending_.push_back(&request);
    queued_.notify_all();
    finished_.wait(lock, [&] { return request.finished; });
    if (request.error) std::rethrow_exception(request.error);
}

void MainThreadCalls::Post(std::function<void()> call) {
    auto request = std::make_unique<Request>();
    request->call = std::move(call);
    request->posted = true;
    std::lock_guard lock(mutex_);
    pending_.push_back(request.release());
    queued_.notify_all();
}

bool MainThreadCalls::RunPending() {
    bool ran = false;
    for (;;) {
        Request* request = nullptr;
        {
            std::lock_guard lock(mutex_);
            if (pending_.empty()) return ran;
            request = pending_.front();
            pending_.pop_front();
        }
        if (request->posted) {
            std::unique_ptr<Request> owned(request);
            ran = true;
            owned->call();
            continue;
        }
        try {
            request->call();
        } catch (...) {
            request->error = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            request->finished = true;
        }
        finished_.notify_all();
        ran = true;
    }
}

void MainThreadCalls::RunPendingUntil(const std::function<bool()>& done) {
    while (!done()) {
        RunPending();
        std::unique_lock lock(mutex_);
        queued_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !pending_.empty(); });
    }
    RunPending();
}

void MainThreadCalls::Wake() {
    queued_.notify_all();
}

}  // namespace platform
