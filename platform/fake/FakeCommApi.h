#pragma once
// The comm calls as a test wants them: every call can be made to fail with a chosen error, the
// port calls are recorded with their arguments and the virtual time, and a line model on a
// VirtualClock stands in for the device: what the host writes goes to OnWrite, Deliver queues
// input that arrives later, and ReadFile ends as the five time-out values say, moving the
// virtual clock to the moment the read ends. Safe to use from the line-event thread.
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/CommApi.h"
#include "platform/fake/VirtualClock.h"

namespace platform::fake {

enum class CommCall {
    OpenDevice, CloseHandle, SetupComm, SetCommState, SetCommTimeouts, EscapeCommFunction, PurgeComm,
    ClearCommError, GetCommModemStatus, SetCommMask, WaitCommEvent, ReadFile, WriteFile,
    GetOverlappedResult, NewEvent, SetEvent, CloseEvent, WaitForSingleObject, WaitForMultipleObjects
};
const char* CallName(CommCall call);

// One recorded port call. Value and Value2 hold the call's numbers: SetupComm in and out sizes,
// the EscapeCommFunction function, the PurgeComm flags, the SetCommMask mask, the count of
// ReadFile or WriteFile (Value2: the count transferred, Data: the bytes).
struct CommCallRecord {
    CommCall Call;
    std::int64_t AtMicroseconds = 0;
    std::string Path;
    std::uint32_t Value = 0;
    std::uint32_t Value2 = 0;
    platform::Dcb State;
    CommTimeouts Timeouts;
    std::string Data;

    CommCallRecord(CommCall call, std::uint32_t value = 0, std::uint32_t value2 = 0)
        : Call(call), Value(value), Value2(value2) {}
};

class FakeCommApi final : public CommApi {
public:
    explicit FakeCommApi(VirtualClock& clock) : clock_(clock) {}

    // Faults: the next `times` calls of that kind fail with error (times < 0: every call until Heal).
    // A failing OpenDevice returns the invalid handle; a failing wait returns WAIT_FAILED. A
    // GetOverlappedResult fault hits the transfers' completions, not the line-event thread's.
    void Fail(CommCall call, std::uint32_t error, int times = -1);
    void Heal(CommCall call);

    // The recorded port calls (event calls and GetOverlappedResult are not recorded).
    std::vector<CommCallRecord> Calls() const;
    std::vector<CommCallRecord> Calls(CommCall call) const;
    // The recorded calls as short texts, e.g. "EscapeCommFunction(6)", "PurgeComm(0x3)".
    std::vector<std::string> CallTexts() const;
    void ClearCalls();

    // The line. OnWrite is called (outside the fake's lock, on the writing thread) with every
    // write's bytes; it may Deliver. Deliver queues bytes that arrive afterMicroseconds after now.
    std::function<void(std::string_view bytes)> OnWrite;
    void Deliver(std::string bytes, std::int64_t afterMicroseconds = 0);
    std::string Written() const;
    // Characters that have arrived by now and not been read.
    std::uint32_t InputWaiting() const;

    // Line events: RaiseLineEvent completes the pending WaitCommEvent with the bits the event mask
    // allows (or keeps them for the next wait). Deliver raises EV_RXCHAR unless told not to.
    void RaiseLineEvent(std::uint32_t eventBits);
    bool RxCharOnDeliver = true;
    // How a change of the event mask ends a pending wait: success with mask 0 (Windows), or the
    // error 995 (Wine).
    bool MaskChangeAbortsWait = false;
    void SetErrorFlags(std::uint32_t flags);
    void SetModemStatus(std::uint32_t status);

    // The state of the port as the driver sees it.
    bool PortOpen() const;
    std::uint32_t EventMask() const;
    bool Dtr() const;
    bool Rts() const;
    bool EventWaitPending() const;
    // Real time: waits until the line-event thread has an event wait pending (true) or ms pass.
    bool AwaitEventWait(std::uint32_t ms) const;
    // Real time: waits until GetOverlappedResult has taken the result of count completed event
    // waits (the line-event thread then goes on to dispatch), true, or ms pass, false.
    bool AwaitEventResultsTaken(std::size_t count, std::uint32_t ms) const;
    // Events created and not yet closed.
    std::size_t LiveEvents() const;

    std::uint32_t LastError() override;
    CommHandle OpenDevice(const std::string& path) override;
    bool CloseHandle(CommHandle handle) override;
    bool SetupComm(CommHandle handle, std::uint32_t inQueue, std::uint32_t outQueue) override;
    bool SetCommState(CommHandle handle, const Dcb& dcb) override;
    bool SetCommTimeouts(CommHandle handle, const CommTimeouts& timeouts) override;
    bool EscapeCommFunction(CommHandle handle, std::uint32_t function) override;
    bool PurgeComm(CommHandle handle, std::uint32_t flags) override;
    bool ClearCommError(CommHandle handle, std::uint32_t* errors, CommStatus* status) override;
    bool GetCommModemStatus(CommHandle handle, std::uint32_t* modemStatus) override;
    bool SetCommMask(CommHandle handle, std::uint32_t mask) override;
    bool WaitCommEvent(CommHandle handle, std::uint32_t* mask, Overlapped* overlapped) override;
    bool ReadFile(CommHandle handle, void* buffer, std::uint32_t count, Overlapped* overlapped) override;
    bool WriteFile(CommHandle handle, const void* buffer, std::uint32_t count, Overlapped* overlapped) override;
    bool GetOverlappedResult(CommHandle handle, Overlapped* overlapped, std::uint32_t* transferred,
                             bool wait) override;
    EventHandle NewEvent(bool manualReset, bool initiallySignalled) override;
    bool SetEvent(EventHandle event) override;
    bool CloseEvent(EventHandle event) override;
    std::uint32_t WaitForSingleObject(EventHandle event, std::uint32_t ms) override;
    std::uint32_t WaitForMultipleObjects(std::uint32_t count, const EventHandle* events, bool waitAll,
                                         std::uint32_t ms) override;

private:
    struct Fault {
        std::uint32_t error;
        int times;
    };
    struct Event {
        bool manualReset;
        bool signalled;
    };
    struct Arrival {
        std::int64_t at;
        std::string bytes;
    };
    using Lock = std::unique_lock<std::mutex>;

    bool Faulted(CommCall call);
    bool KnownPort(CommHandle handle);
    void Record(CommCallRecord record);
    void Record(CommCall call, std::uint32_t value = 0, std::uint32_t value2 = 0) { Record(CommCallRecord(call, value, value2)); }
    void Complete(Overlapped* overlapped, std::uint32_t status, std::uint32_t count);
    void SignalLocked(EventHandle event);
    void RaiseLocked(std::uint32_t eventBits);
    void EndEventWait(std::uint32_t status);
    std::uint32_t ArrivedLocked() const;
    void DiscardArrivedLocked();
    std::string TakeLocked(std::uint32_t count, const CommTimeouts& timeouts, std::int64_t& end);

    VirtualClock& clock_;
    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::map<CommCall, Fault> faults_;
    std::vector<CommCallRecord> calls_;
    std::map<EventHandle, Event> events_;
    EventHandle nextEvent_ = 1000;

    CommHandle openHandle_ = kInvalidCommHandle;
    std::string openPath_;
    CommHandle nextHandle_ = 100;
    CommTimeouts timeouts_;
    std::uint32_t eventMask_ = 0;
    std::uint32_t keptEvents_ = 0;
    std::uint32_t errorFlags_ = 0;
    std::uint32_t modemStatus_ = 0;
    bool dtr_ = false;
    bool rts_ = false;
    std::uint32_t* waitMask_ = nullptr;
    Overlapped* waitBlock_ = nullptr;
    Overlapped* lastWaitBlock_ = nullptr;
    std::size_t eventResultsTaken_ = 0;

    std::deque<Arrival> input_;
    std::string written_;
};

}  // namespace platform::fake
