#pragma once
// Calls that a worker thread hands to the user-interface thread and waits for (the toolkit's
// synchronize). The user-interface thread runs them whenever it processes its message queue
// (every toolkit pump calls RunPending) and while it waits for a worker to end.
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <deque>

namespace platform {

class MainThreadCalls {
public:
    // The one queue of the process; the thread that first asks for it is the user-interface thread.
    static MainThreadCalls& Instance();

    // Makes the calling thread the user-interface thread.
    void BindToCurrentThread();
    bool OnMainThread() const;

    // From any thread: run call on the user-interface thread and wait until it has run there.
    // Called on the user-interface thread itself, it runs the call at once. An exception raised
    // by the call is raised again here.
    void Synchronize(const std::function<void()>& call);

    // From any thread: queue call for the user-interface thread and return at once. An exception
    // it raises comes out of the RunPending that runs it.
    void Post(std::function<void()> call);

    // On the user-interface thread: run every call queued so far. True when one ran.
    bool RunPending();

    // On the user-interface thread: run queued calls as they come until done() is true.
    // done() is tested again whenever Wake() is called, a call is queued, or 5 ms pass.
    void RunPendingUntil(const std::function<bool()>& done);
    void Wake();

private:
    struct Request {
        std::function<void()> call;
        bool finished = false;
        bool posted = false;
        std::exception_ptr error;
    };
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable finished_;
    std::deque<Request*> pending_;
    std::thread::id mainThread_ = std::this_thread::get_id();
};

}  // namespace platform
