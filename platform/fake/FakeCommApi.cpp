#include "platform/fake/FakeCommApi.h"

#include "platform/CompletionBlock.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <limits>
#include <stdexcept>

namespace platform::fake {

namespace {

constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorIoIncomplete = 996;
constexpr std::uint32_t kMaximum = 0xFFFFFFFFu;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();

thread_local std::uint32_t lastError = 0;

bool Fails(bool result, std::uint32_t error) {
    if (!result) lastError = error;
    return result;
}

}  // namespace

const char* CallName(CommCall call) {
    static const char* const names[] = {
        "OpenDevice", "CloseHandle", "SetupComm", "SetCommState", "SetCommTimeouts", "EscapeCommFunction",
        "PurgeComm", "ClearCommError", "GetCommModemStatus", "SetCommMask", "WaitCommEvent", "ReadFile",
        "WriteFile", "GetOverlappedResult", "NewEvent", "SetEvent", "CloseEvent", "WaitForSingleObject",
        "WaitForMultipleObjects"};
    return names[static_cast<int>(call)];
}

void FakeCommApi::Fail(CommCall call, std::uint32_t error, int times) {
    std::lock_guard lock(mutex_);
    faults_[call] = Fault{error, times};
}

void FakeCommApi::Heal(CommCall call) {
    std::lock_guard lock(mutex_);
    faults_.erase(call);
}

bool FakeCommApi::Faulted(CommCall call) {
    auto it = faults_.find(call);
    if (it == faults_.end()) return false;
    lastError = it->second.error;
    if (it->second.times > 0 && --it->second.times == 0) faults_.erase(it);
    return true;
}

std::vector<CommCallRecord> FakeCommApi::Calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<CommCallRecord> FakeCommApi::Calls(CommCall call) const {
    std::lock_guard lock(mutex_);
    std::vector<CommCallRecord> found;
    for (const auto& record : calls_) {
        if (record.Call == call) found.push_back(record);
    }
    return found;
}

std::vector<std::string> FakeCommApi::CallTexts() const {
    std::vector<std::string> texts;
    char text[160];
    for (const auto& r : Calls()) {
        switch (r.Call) {
            case CommCall::OpenDevice:
                texts.push_back(std::string("OpenDevice(") + r.Path + ")");
                continue;
            case CommCall::SetupComm:
                std::snprintf(text, sizeof text, "SetupComm(%u,%u)", r.Value, r.Value2);
                break;
            case CommCall::SetCommState:
                std::snprintf(text, sizeof text, "SetCommState(%u,0x%X,%u,%u,%u)", r.State.BaudRate, r.State.Flags,
                              r.State.ByteSize, r.State.Parity, r.State.StopBits);
                break;
            case CommCall::SetCommTimeouts:
                std::snprintf(text, sizeof text, "SetCommTimeouts(%u,%u,%u,%u,%u)", r.Timeouts.ReadIntervalTimeout,
                              r.Timeouts.ReadTotalTimeoutMultiplier, r.Timeouts.ReadTotalTimeoutConstant,
                              r.Timeouts.WriteTotalTimeoutMultiplier, r.Timeouts.WriteTotalTimeoutConstant);
                break;
            case CommCall::EscapeCommFunction:
                std::snprintf(text, sizeof text, "EscapeCommFunction(%u)", r.Value);
                break;
            case CommCall::PurgeComm:
                std::snprintf(text, sizeof text, "PurgeComm(0x%X)", r.Value);
                break;
            case CommCall::SetCommMask:
                std::snprintf(text, sizeof text, "SetCommMask(0x%X)", r.Value);
                break;
            case CommCall::ReadFile:
            case CommCall::WriteFile:
                std::snprintf(text, sizeof text, "%s(%u)", CallName(r.Call), r.Value);
                break;
            default:
                std::snprintf(text, sizeof text, "%s", CallName(r.Call));
                break;
        }
        texts.emplace_back(text);
    }
    return texts;
}

void FakeCommApi::ClearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

void FakeCommApi::Record(CommCallRecord record) {
    record.AtMicroseconds = clock_.NowMicroseconds();
    calls_.push_back(std::move(record));
    changed_.notify_all();
}

void FakeCommApi::Deliver(std::string bytes, std::int64_t afterMicroseconds) {
    std::lock_guard lock(mutex_);
    const std::int64_t at = clock_.NowMicroseconds() + afterMicroseconds;
    auto place = std::upper_bound(input_.begin(), input_.end(), at,
                                  [](std::int64_t t, const Arrival& a) { return t < a.at; });
    input_.insert(place, Arrival{at, std::move(bytes)});
    if (RxCharOnDeliver) RaiseLocked(kEvRxChar);
}

std::string FakeCommApi::Written() const {
    std::lock_guard lock(mutex_);
    return written_;
}

std::uint32_t FakeCommApi::InputWaiting() const {
    std::lock_guard lock(mutex_);
    return ArrivedLocked();
}

std::uint32_t FakeCommApi::ArrivedLocked() const {
    const std::int64_t now = clock_.NowMicroseconds();
    std::uint32_t count = 0;
    for (const auto& arrival : input_) {
        if (arrival.at <= now) count += static_cast<std::uint32_t>(arrival.bytes.size());
    }
    return count;
}

void FakeCommApi::DiscardArrivedLocked() {
    const std::int64_t now = clock_.NowMicroseconds();
    std::erase_if(input_, [now](const Arrival& a) { return a.at <= now; });
}

void FakeCommApi::RaiseLineEvent(std::uint32_t eventBits) {
    std::lock_guard lock(mutex_);
    RaiseLocked(eventBits);
}

void FakeCommApi::RaiseLocked(std::uint32_t eventBits) {
    eventBits &= eventMask_;
    if (eventBits == 0 || openHandle_ == kInvalidCommHandle) return;
    if (!waitBlock_) {
        keptEvents_ |= eventBits;
        return;
    }
    *waitMask_ = eventBits;
    EndEventWait(0);
}

void FakeCommApi::EndEventWait(std::uint32_t status) {
    if (!waitBlock_) return;
    if (status != 0) *waitMask_ = 0;
    Complete(waitBlock_, status, 0);
    waitBlock_ = nullptr;
    waitMask_ = nullptr;
}

void FakeCommApi::SetErrorFlags(std::uint32_t flags) {
    std::lock_guard lock(mutex_);
    errorFlags_ = flags;
}

void FakeCommApi::SetModemStatus(std::uint32_t status) {
    std::lock_guard lock(mutex_);
    modemStatus_ = status;
}

bool FakeCommApi::PortOpen() const {
    std::lock_guard lock(mutex_);
    return openHandle_ != kInvalidCommHandle;
}

std::uint32_t FakeCommApi::EventMask() const {
    std::lock_guard lock(mutex_);
    return eventMask_;
}

bool FakeCommApi::Dtr() const {
    std::lock_guard lock(mutex_);
    return dtr_;
}

bool FakeCommApi::Rts() const {
    std::lock_guard lock(mutex_);
    return rts_;
}

bool FakeCommApi::EventWaitPending() const {
    std::lock_guard lock(mutex_);
    return waitBlock_ != nullptr;
}

bool FakeCommApi::AwaitEventWait(std::uint32_t ms) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return waitBlock_ != nullptr; });
}

bool FakeCommApi::AwaitEventResultsTaken(std::size_t count, std::uint32_t ms) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return eventResultsTaken_ >= count; });
}

std::size_t FakeCommApi::LiveEvents() const {
    std::lock_guard lock(mutex_);
    return events_.size();
}

std::uint32_t FakeCommApi::LastError() {
    return lastError;
}

bool FakeCommApi::KnownPort(CommHandle handle) {
    if (handle != kInvalidCommHandle && handle == openHandle_) return true;
    lastError = kErrorInvalidHandle;
    return false;
}

CommHandle FakeCommApi::OpenDevice(const std::string& path) {
    std::lock_guard lock(mutex_);
    CommCallRecord record(CommCall::OpenDevice);
    record.Path = path;
    Record(std::move(record));
    if (Faulted(CommCall::OpenDevice)) return kInvalidCommHandle;
    if (openHandle_ != kInvalidCommHandle) {
        lastError = kErrorAccessDenied;  // one open at a time: the port is in use
        return kInvalidCommHandle;
    }
    openHandle_ = nextHandle_++;
    openPath_ = path;
    eventMask_ = 0;
    keptEvents_ = 0;
    errorFlags_ = 0;
    return openHandle_;
}

bool FakeCommApi::CloseHandle(CommHandle handle) {
    std::lock_guard lock(mutex_);
    Record(CommCall::CloseHandle);
    if (Faulted(CommCall::CloseHandle) || !KnownPort(handle)) return false;
    EndEventWait(kErrorOperationAborted);
    openHandle_ = kInvalidCommHandle;
    dtr_ = rts_ = false;
    eventMask_ = 0;
    DiscardArrivedLocked();
    return true;
}

bool FakeCommApi::SetupComm(CommHandle handle, std::uint32_t inQueue, std::uint32_t outQueue) {
    std::lock_guard lock(mutex_);
    Record(CommCall::SetupComm, inQueue, outQueue);
    return !Faulted(CommCall::SetupComm) && KnownPort(handle);
}

bool FakeCommApi::SetCommState(CommHandle handle, const Dcb& dcb) {
    std::lock_guard lock(mutex_);
    CommCallRecord record(CommCall::SetCommState);
    record.State = dcb;
    Record(std::move(record));
    if (Faulted(CommCall::SetCommState) || !KnownPort(handle)) return false;
    dtr_ = (dcb.Flags & 0x0030) != 0;
    rts_ = (dcb.Flags & 0x3000) != 0;
    return true;
}

bool FakeCommApi::SetCommTimeouts(CommHandle handle, const CommTimeouts& timeouts) {
    std::lock_guard lock(mutex_);
    CommCallRecord record(CommCall::SetCommTimeouts);
    record.Timeouts = timeouts;
    Record(std::move(record));
    if (Faulted(CommCall::SetCommTimeouts) || !KnownPort(handle)) return false;
    timeouts_ = timeouts;
    return true;
}

bool FakeCommApi::EscapeCommFunction(CommHandle handle, std::uint32_t function) {
    std::lock_guard lock(mutex_);
    Record(CommCall::EscapeCommFunction, function);
    if (Faulted(CommCall::EscapeCommFunction) || !KnownPort(handle)) return false;
    switch (function) {
        case kSetDtr: dtr_ = true; break;
        case kClrDtr: dtr_ = false; break;
        case kSetRts: rts_ = true; break;
        case kClrRts: rts_ = false; break;
        default: return Fails(false, 87);
    }
    return true;
}

bool FakeCommApi::PurgeComm(CommHandle handle, std::uint32_t flags) {
    std::lock_guard lock(mutex_);
    Record(CommCall::PurgeComm, flags);
    if (Faulted(CommCall::PurgeComm) || !KnownPort(handle)) return false;
    if (flags & kPurgeRxClear) DiscardArrivedLocked();
    return true;
}

bool FakeCommApi::ClearCommError(CommHandle handle, std::uint32_t* errors, CommStatus* status) {
    std::lock_guard lock(mutex_);
    Record(CommCall::ClearCommError);
    if (Faulted(CommCall::ClearCommError) || !KnownPort(handle)) return false;
    if (errors) *errors = errorFlags_;
    errorFlags_ = 0;
    if (status) *status = CommStatus{ArrivedLocked(), 0};
    return true;
}

bool FakeCommApi::GetCommModemStatus(CommHandle handle, std::uint32_t* modemStatus) {
    std::lock_guard lock(mutex_);
    Record(CommCall::GetCommModemStatus);
    if (Faulted(CommCall::GetCommModemStatus) || !KnownPort(handle)) return false;
    *modemStatus = modemStatus_;
    return true;
}

bool FakeCommApi::SetCommMask(CommHandle handle, std::uint32_t mask) {
    std::lock_guard lock(mutex_);
    Record(CommCall::SetCommMask, mask);
    if (Faulted(CommCall::SetCommMask) || !KnownPort(handle)) return false;
    eventMask_ = mask;
    keptEvents_ &= mask;
    if (waitBlock_) {
        *waitMask_ = 0;
        EndEventWait(MaskChangeAbortsWait ? kErrorOperationAborted : 0);
    }
    return true;
}

bool FakeCommApi::WaitCommEvent(CommHandle handle, std::uint32_t* mask, Overlapped* overlapped) {
    std::lock_guard lock(mutex_);
    Record(CommCall::WaitCommEvent);
    auto event = events_.find(overlapped->Event);
    if (event != events_.end()) event->second.signalled = false;
    if (Faulted(CommCall::WaitCommEvent) || !KnownPort(handle)) return false;
    if (waitBlock_) return Fails(false, 87);  // one event wait at a time
    lastWaitBlock_ = overlapped;
    if (keptEvents_) {
        *mask = keptEvents_;
        keptEvents_ = 0;
        Complete(overlapped, 0, 0);
        return true;
    }
    waitMask_ = mask;
    waitBlock_ = overlapped;
    lastWaitBlock_ = overlapped;
    WriteCompletion(*overlapped, {kCompletionPending, 0});
    lastError = kErrorIoPending;
    return false;
}

void FakeCommApi::Complete(Overlapped* overlapped, std::uint32_t status, std::uint32_t count) {
    WriteCompletion(*overlapped, {status, count});
    SignalLocked(overlapped->Event);
}

void FakeCommApi::SignalLocked(EventHandle event) {
    auto it = events_.find(event);
    if (it == events_.end()) return;
    it->second.signalled = true;
    changed_.notify_all();
}

std::string FakeCommApi::TakeLocked(std::uint32_t count, const CommTimeouts& t, std::int64_t& end) {
    const std::int64_t start = clock_.NowMicroseconds();
    std::string taken;
    auto takeFrom = [&](Arrival& arrival) {
        const std::size_t n = std::min<std::size_t>(count - taken.size(), arrival.bytes.size());
        taken += arrival.bytes.substr(0, n);
        arrival.bytes.erase(0, n);
    };
    auto finish = [&] { std::erase_if(input_, [](const Arrival& a) { return a.bytes.empty(); }); };

    // Interval at its maximum with both totals zero: what has arrived, at once.
    if (t.ReadIntervalTimeout == kMaximum && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
        for (auto& arrival : input_) {
            if (arrival.at <= start && taken.size() < count) takeFrom(arrival);
        }
        end = start;
        finish();
        return taken;
    }
    // Interval and multiplier at their maximum: what has arrived at once, else the first arrival
    // within the constant.
    if (t.ReadIntervalTimeout == kMaximum && t.ReadTotalTimeoutMultiplier == kMaximum &&
        t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaximum) {
        const std::int64_t first = input_.empty() ? kNever : std::max(input_.front().at, start);
        end = first <= start + static_cast<std::int64_t>(t.ReadTotalTimeoutConstant) * 1000
                  ? first
                  : start + static_cast<std::int64_t>(t.ReadTotalTimeoutConstant) * 1000;
        for (auto& arrival : input_) {
            if (std::max(arrival.at, start) <= end && end == first && taken.size() < count) takeFrom(arrival);
        }
        finish();
        return taken;
    }
    const std::uint64_t total = static_cast<std::uint64_t>(t.ReadTotalTimeoutMultiplier) * count +
                                t.ReadTotalTimeoutConstant;
    const std::int64_t deadline = total ? start + static_cast<std::int64_t>(total) * 1000 : kNever;
    const std::int64_t interval = t.ReadIntervalTimeout == kMaximum ? 0 : t.ReadIntervalTimeout * std::int64_t{1000};
    std::int64_t last = 0;
    end = kNever;
    for (auto& arrival : input_) {
        const std::int64_t at = std::max(arrival.at, start);
        if (!taken.empty() && interval && at - last > interval) {
            end = last + interval;
            break;
        }
        if (at > deadline) break;
        takeFrom(arrival);
        last = at;
        if (taken.size() == count) {
            end = at;
            break;
        }
    }
    if (end == kNever && !taken.empty() && interval) end = last + interval;
    end = std::min(end, deadline);
    finish();
    if (end == kNever) throw std::logic_error("FakeCommApi: a read without time-outs would wait forever");
    return taken;
}

bool FakeCommApi::ReadFile(CommHandle handle, void* buffer, std::uint32_t count, Overlapped* overlapped) {
    std::unique_lock lock(mutex_);
    auto event = events_.find(overlapped->Event);
    if (event != events_.end()) event->second.signalled = false;
    CommCallRecord record(CommCall::ReadFile, count);
    if (Faulted(CommCall::ReadFile) || !KnownPort(handle)) {
        Record(record);
        return false;
    }
    std::int64_t end = 0;
    const std::string taken = TakeLocked(count, timeouts_, end);
    record.Value2 = static_cast<std::uint32_t>(taken.size());
    record.Data = taken;
    Record(record);
    if (end > clock_.NowMicroseconds()) clock_.Advance(end - clock_.NowMicroseconds());
    std::memcpy(buffer, taken.data(), taken.size());
    Complete(overlapped, 0, static_cast<std::uint32_t>(taken.size()));
    return true;
}

bool FakeCommApi::WriteFile(CommHandle handle, const void* buffer, std::uint32_t count, Overlapped* overlapped) {
    std::string bytes(static_cast<const char*>(buffer), count);
    {
        std::lock_guard lock(mutex_);
        auto event = events_.find(overlapped->Event);
        if (event != events_.end()) event->second.signalled = false;
        CommCallRecord record(CommCall::WriteFile, count, count);
        record.Data = bytes;
        Record(std::move(record));
        if (Faulted(CommCall::WriteFile) || !KnownPort(handle)) return false;
        written_ += bytes;
    }
    if (OnWrite) OnWrite(bytes);
    std::lock_guard lock(mutex_);
    RaiseLocked(kEvTxEmpty);
    Complete(overlapped, 0, count);
    return true;
}

bool FakeCommApi::GetOverlappedResult(CommHandle handle, Overlapped* overlapped, std::uint32_t* transferred,
                                      bool wait) {
    std::unique_lock lock(mutex_);
    if (overlapped != lastWaitBlock_ && Faulted(CommCall::GetOverlappedResult)) return false;
    (void)handle;
    if (wait) changed_.wait(lock, [&] { return ReadCompletion(*overlapped).status != kCompletionPending; });
    const CompletionState state = ReadCompletion(*overlapped);
    if (state.status == kCompletionPending) return Fails(false, kErrorIoIncomplete);
    *transferred = state.count;
    if (overlapped == lastWaitBlock_ && state.status == 0) {
        ++eventResultsTaken_;
        changed_.notify_all();
    }
    return Fails(state.status == 0, state.status);
}

EventHandle FakeCommApi::NewEvent(bool manualReset, bool initiallySignalled) {
    std::lock_guard lock(mutex_);
    if (Faulted(CommCall::NewEvent)) return kNoEvent;
    const EventHandle handle = nextEvent_++;
    events_[handle] = Event{manualReset, initiallySignalled};
    return handle;
}

bool FakeCommApi::SetEvent(EventHandle event) {
    std::lock_guard lock(mutex_);
    if (Faulted(CommCall::SetEvent)) return false;
    if (!events_.count(event)) return Fails(false, kErrorInvalidHandle);
    SignalLocked(event);
    return true;
}

bool FakeCommApi::CloseEvent(EventHandle event) {
    std::lock_guard lock(mutex_);
    if (Faulted(CommCall::CloseEvent)) return false;
    return Fails(events_.erase(event) == 1, kErrorInvalidHandle);
}

std::uint32_t FakeCommApi::WaitForSingleObject(EventHandle event, std::uint32_t ms) {
    return WaitForMultipleObjects(1, &event, false, ms);
}

std::uint32_t FakeCommApi::WaitForMultipleObjects(std::uint32_t count, const EventHandle* events, bool waitAll,
                                                  std::uint32_t ms) {
    std::unique_lock lock(mutex_);
    const CommCall call = count == 1 ? CommCall::WaitForSingleObject : CommCall::WaitForMultipleObjects;
    if (Faulted(call)) return kWaitFailed;
    if (waitAll || count == 0) {
        lastError = 87;
        return kWaitFailed;
    }
    // The index of the first signalled event, count when none, or -1 when one is unknown.
    auto firstSignalled = [&]() -> std::int64_t {
        for (std::uint32_t i = 0; i < count; ++i) {
            auto it = events_.find(events[i]);
            if (it == events_.end()) return -1;
            if (it->second.signalled) return i;
        }
        return count;
    };
    std::int64_t index = firstSignalled();
    if (index == count && ms == kInfinite) {
        changed_.wait(lock, [&] { return (index = firstSignalled()) != count; });
    }
    if (index < 0) return Fails(false, kErrorInvalidHandle), kWaitFailed;
    if (index == count) {
        clock_.Advance(static_cast<std::int64_t>(ms) * 1000);
        return kWaitTimeout;
    }
    Event& signalled = events_[events[index]];
    if (!signalled.manualReset) signalled.signalled = false;
    return kWaitObject0 + static_cast<std::uint32_t>(index);
}

}  // namespace platform::fake
