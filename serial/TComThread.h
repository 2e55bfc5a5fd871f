#pragma once
// The line-event thread of an open port: it waits for the driver's line events and hands them to
// the port's handlers by the port's SyncMethod. It is created when the port opens and destroyed,
// after its body has returned, when the port closes.
#include <atomic>
#include <exception>
#include <thread>

#include "platform/CommApi.h"
#include "serial/ComPortTypes.h"

namespace serial {

class TBComPort;

class TComThread {
public:
    // Sets the driver's event mask and starts the thread.
    explicit TComThread(TBComPort& ownerPort);
    // Sets StopEvent and waits until the body has returned, meanwhile running the dispatches the
    // thread has handed to this (the user-interface) thread.
    ~TComThread();
    TComThread(const TComThread&) = delete;
    TComThread& operator=(const TComThread&) = delete;

    TBComPort& OwnerPort() const { return ownerPort_; }
    TLineEvents ReceivedEvents() const { return receivedEvents_; }
    bool Finished() const { return finished_.load(); }
    // The exception that ended the body early (a dispatch that raised), if any.
    std::exception_ptr Error() const { return error_; }

    void DispatchEvents();
    void SendEventMessages();

private:
    void Execute();

    TBComPort& ownerPort_;
    platform::EventHandle stopEvent_ = platform::kNoEvent;
    TLineEvents receivedEvents_;
    std::atomic<bool> finished_{false};
    std::exception_ptr error_;
    std::thread thread_;
};

}  // namespace serial
