// The comm calls over a terminal device: the Windows semantics that the serial port component
// expects, on Linux. Transfers run to their end inside ReadFile and WriteFile (the descriptor is
// non-blocking, the waits are ppoll against deadlines on CLOCK_MONOTONIC, so a 1 ms interval is
// kept to the microsecond), and report completion through the caller's event at once. The event
// wait is truly overlapped: a watcher thread per open device completes it, and a change of the
// event mask or the close ends it at once. Events are eventfds.
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <limits>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/CommApi.h"
#include "platform/CompletionBlock.h"
#include "platform/posix/TtyLineSettings.h"

namespace platform {

namespace {

constexpr std::uint32_t kErrorInvalidHandle = 6;
constexpr std::uint32_t kErrorGenFailure = 31;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorIoIncomplete = 996;
constexpr std::uint32_t kErrorDeviceNotConnected = 1167;
constexpr std::uint32_t kMaximum = 0xFFFFFFFFu;
constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::max();
// While read characters wait unread, the watcher looks for new ones this often.
constexpr std::int64_t kWaitingInputRecheckNs = 2'000'000;

thread_local std::uint32_t lastError = 0;

bool Fail(std::uint32_t error) {
    lastError = error;
    return false;
}

std::int64_t NowNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1'000'000'000LL + now.tv_nsec;
}

// ppoll until the deadline (kNever: no limit). Returns ppoll's result.
int PollUntil(pollfd* fds, nfds_t count, std::int64_t deadline) {
    for (;;) {
        timespec timeout{};
        timespec* limit = nullptr;
        if (deadline != kNever) {
            const std::int64_t left = std::max<std::int64_t>(0, deadline - NowNs());
            timeout.tv_sec = left / 1'000'000'000;
            timeout.tv_nsec = left % 1'000'000'000;
            limit = &timeout;
        }
        const int result = ppoll(fds, count, limit, nullptr);
        if (result >= 0 || errno != EINTR) return result;
    }
}

// An eventfd; it stays open while a wait still holds it, even after CloseEvent.
struct Event {
    Event(int descriptor, bool manual) : fd(descriptor), manualReset(manual) {}
    ~Event() { close(fd); }
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;
    int fd;
    bool manualReset;
};

void Signal(const Event& event) {
    const std::uint64_t one = 1;
    [[maybe_unused]] ssize_t n = write(event.fd, &one, sizeof one);
}

// Takes the signal; false when there was none.
bool Consume(const Event& event) {
    std::uint64_t value = 0;
    return read(event.fd, &value, sizeof value) == sizeof value;
}

struct Device {
    int fd = -1;
    int wakeFd = -1;
    std::mutex mutex;
    CommTimeouts timeouts;
    std::uint32_t eventMask = 0;
    std::uint32_t* waitMask = nullptr;
    Overlapped* waitBlock = nullptr;
    std::uint32_t reportedInput = 0;  // characters already announced by EV_RXCHAR
    bool txEmptyDue = false;
    bool hungUp = false;
    bool stopping = false;
    serial_icounter_struct counters{};
    bool haveCounters = false;
    std::thread watcher;

    CommTimeouts Timeouts() {
        std::lock_guard lock(mutex);
        return timeouts;
    }
};

std::uint32_t InputWaiting(int fd) {
    int count = 0;
    return ioctl(fd, FIONREAD, &count) == 0 && count > 0 ? static_cast<std::uint32_t>(count) : 0u;
}

std::uint32_t OutputWaiting(int fd) {
    int count = 0;
    return ioctl(fd, TIOCOUTQ, &count) == 0 && count > 0 ? static_cast<std::uint32_t>(count) : 0u;
}

// A modem-line call that a device without modem lines (a pseudo-terminal) refuses counts as
// done, and so does one on a line that has hung up (EIO): there is nothing left to drive.
bool ModemCall(int fd, unsigned long request, int* bits) {
    if (ioctl(fd, request, bits) == 0) return true;
    return errno == ENOTTY || errno == EINVAL || errno == EIO;
}

// Emptying a queue of a line that has hung up has nothing to do.
bool Flush(int fd, int queue) {
    return tcflush(fd, queue) == 0 || errno == EIO;
}

class PosixCommApi final : public CommApi {
public:
    // A program that ends with a port still open: stop the watchers before they go.
    ~PosixCommApi() override {
        std::vector<CommHandle> open;
        {
            std::lock_guard lock(tableMutex_);
            for (const auto& entry : devices_) open.push_back(entry.first);
        }
        for (CommHandle handle : open) CloseHandle(handle);
    }

    std::uint32_t LastError() override { return lastError; }

    CommHandle OpenDevice(const std::string& path) override {
        std::string device = path;
        if (device.rfind("\\\\.\\", 0) == 0) device.erase(0, 4);
        if (device.find('/') == std::string::npos) device = "/dev/" + device;
        const int fd = open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            switch (errno) {
                case ENOENT: case ENOTDIR: case ENXIO: case ENODEV: lastError = kErrorFileNotFound; break;
                case EBUSY: case EACCES: case EPERM: lastError = kErrorAccessDenied; break;
                default: lastError = kErrorGenFailure; break;
            }
            return kInvalidCommHandle;
        }
        // Exclusive use: TIOCEXCL keeps other programs out, the lock also keeps out a second
        // open as root (which TIOCEXCL lets through).
        if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
            close(fd);
            lastError = kErrorAccessDenied;
            return kInvalidCommHandle;
        }
        ioctl(fd, TIOCEXCL);
        auto device_ = std::make_shared<Device>();
        device_->fd = fd;
        device_->wakeFd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        serial_icounter_struct counters{};
        device_->haveCounters = ioctl(fd, TIOCGICOUNT, &counters) == 0;
        device_->counters = counters;
        Device* raw = device_.get();
        device_->watcher = std::thread([this, raw] { Watch(*raw); });
        std::lock_guard lock(tableMutex_);
        const CommHandle handle = nextHandle_++;
        devices_[handle] = std::move(device_);
        return handle;
    }

    bool CloseHandle(CommHandle handle) override {
        std::shared_ptr<Device> device;
        {
            std::lock_guard lock(tableMutex_);
            auto it = devices_.find(handle);
            if (it == devices_.end()) return Fail(kErrorInvalidHandle);
            device = std::move(it->second);
            devices_.erase(it);
        }
        {
            std::lock_guard lock(device->mutex);
            device->stopping = true;
            EndEventWait(*device, kErrorOperationAborted);
        }
        Wake(*device);
        device->watcher.join();
        ioctl(device->fd, TIOCNXCL);
        close(device->fd);
        close(device->wakeFd);
        return true;
    }

    bool SetupComm(CommHandle handle, std::uint32_t, std::uint32_t) override {
        // The terminal driver's queues have a fixed size; the call checks that this is a terminal.
        auto device = Find(handle);
        if (!device) return false;
        termios t{};
        return tcgetattr(device->fd, &t) == 0 || Fail(kErrorNotSupported);
    }

    bool SetCommState(CommHandle handle, const Dcb& dcb) override {
        auto device = Find(handle);
        if (!device) return false;
        if (!posix::ApplyTtyLineSettings(device->fd, dcb)) return Fail(kErrorInvalidParameter);
        int dtr = TIOCM_DTR, rts = TIOCM_RTS;
        const std::uint32_t dtrControl = (dcb.Flags >> 4) & 3, rtsControl = (dcb.Flags >> 12) & 3;
        if (dtrControl != 2) ModemCall(device->fd, dtrControl == 1 ? TIOCMBIS : TIOCMBIC, &dtr);
        if (rtsControl != 2 && rtsControl != 3) ModemCall(device->fd, rtsControl == 1 ? TIOCMBIS : TIOCMBIC, &rts);
        return true;
    }

    bool SetCommTimeouts(CommHandle handle, const CommTimeouts& timeouts) override {
        auto device = Find(handle);
        if (!device) return false;
        std::lock_guard lock(device->mutex);
        device->timeouts = timeouts;
        return true;
    }

    bool EscapeCommFunction(CommHandle handle, std::uint32_t function) override {
        auto device = Find(handle);
        if (!device) return false;
        int bits = 0;
        unsigned long request = 0;
        switch (function) {
            case kSetDtr: bits = TIOCM_DTR; request = TIOCMBIS; break;
            case kClrDtr: bits = TIOCM_DTR; request = TIOCMBIC; break;
            case kSetRts: bits = TIOCM_RTS; request = TIOCMBIS; break;
            case kClrRts: bits = TIOCM_RTS; request = TIOCMBIC; break;
            default: return Fail(kErrorInvalidParameter);
        }
        return ModemCall(device->fd, request, &bits) || Fail(kErrorGenFailure);
    }

    bool PurgeComm(CommHandle handle, std::uint32_t flags) override {
        // Transfers never outlive their call here, so there is nothing pending to abort.
        auto device = Find(handle);
        if (!device) return false;
        if ((flags & kPurgeRxClear) && !Flush(device->fd, TCIFLUSH)) return Fail(kErrorGenFailure);
        if ((flags & kPurgeTxClear) && !Flush(device->fd, TCOFLUSH)) return Fail(kErrorGenFailure);
        if (flags & kPurgeRxClear) {
            std::lock_guard lock(device->mutex);
            device->reportedInput = 0;
        }
        return true;
    }

    bool ClearCommError(CommHandle handle, std::uint32_t* errors, CommStatus* status) override {
        auto device = Find(handle);
        if (!device) return false;
        std::uint32_t flags = 0;
        std::lock_guard lock(device->mutex);
        serial_icounter_struct now{};
        if (device->haveCounters && ioctl(device->fd, TIOCGICOUNT, &now) == 0) {
            const serial_icounter_struct& was = device->counters;
            if (now.frame != was.frame) flags |= kCeFrame;
            if (now.parity != was.parity) flags |= kCeRxParity;
            if (now.overrun != was.overrun) flags |= kCeOverrun;
            if (now.brk != was.brk) flags |= kCeBreak;
            if (now.buf_overrun != was.buf_overrun) flags |= kCeRxOver;
            device->counters = now;
        }
        if (device->hungUp) flags |= kCeIoe;
        if (errors) *errors = flags;
        if (status) *status = CommStatus{InputWaiting(device->fd), OutputWaiting(device->fd)};
        return true;
    }

    bool GetCommModemStatus(CommHandle handle, std::uint32_t* modemStatus) override {
        auto device = Find(handle);
        if (!device) return false;
        int bits = 0;
        if (!ModemCall(device->fd, TIOCMGET, &bits)) return Fail(kErrorGenFailure);
        *modemStatus = ((bits & TIOCM_CTS) ? kMsCtsOn : 0u) | ((bits & TIOCM_DSR) ? kMsDsrOn : 0u) |
                       ((bits & TIOCM_RNG) ? kMsRingOn : 0u) | ((bits & TIOCM_CAR) ? kMsRlsdOn : 0u);
        return true;
    }

    bool SetCommMask(CommHandle handle, std::uint32_t mask) override {
        auto device = Find(handle);
        if (!device) return false;
        {
            std::lock_guard lock(device->mutex);
            device->eventMask = mask;
            if (device->waitBlock) {
                *device->waitMask = 0;
                EndEventWait(*device, 0);
            }
        }
        Wake(*device);
        return true;
    }

    bool WaitCommEvent(CommHandle handle, std::uint32_t* mask, Overlapped* overlapped) override {
        ResetEvent(overlapped->Event);
        auto device = Find(handle);
        if (!device) return false;
        {
            std::lock_guard lock(device->mutex);
            if (device->waitBlock) return Fail(kErrorInvalidParameter);
            device->waitMask = mask;
            device->waitBlock = overlapped;
            WriteCompletion(*overlapped, {kCompletionPending, 0});
        }
        Wake(*device);
        return Fail(kErrorIoPending);
    }

    bool ReadFile(CommHandle handle, void* buffer, std::uint32_t count, Overlapped* overlapped) override {
        ResetEvent(overlapped->Event);
        auto device = Find(handle);
        if (!device) return false;
        const CommTimeouts t = device->Timeouts();
        auto* bytes = static_cast<char*>(buffer);
        const std::int64_t start = NowNs();
        std::int64_t deadline = kNever;
        std::int64_t interval = 0;
        bool firstOnly = false;
        if (t.ReadIntervalTimeout == kMaximum && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0) {
            deadline = start;  // what has arrived, at once
        } else if (t.ReadIntervalTimeout == kMaximum && t.ReadTotalTimeoutMultiplier == kMaximum &&
                   t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaximum) {
            deadline = start + std::int64_t{t.ReadTotalTimeoutConstant} * 1'000'000;
            firstOnly = true;  // what has arrived, else the first arrival within the constant
        } else {
            const std::uint64_t total =
                std::uint64_t{t.ReadTotalTimeoutMultiplier} * count + t.ReadTotalTimeoutConstant;
            if (total) deadline = start + static_cast<std::int64_t>(std::min<std::uint64_t>(total, 1ull << 40)) * 1'000'000;
            if (t.ReadIntervalTimeout != kMaximum) interval = std::int64_t{t.ReadIntervalTimeout} * 1'000'000;
        }
        std::uint32_t got = 0;
        std::int64_t lastArrival = 0;
        bool hungUp = false;
        while (got < count) {
            const ssize_t n = read(device->fd, bytes + got, count - got);
            if (n > 0) {
                got += static_cast<std::uint32_t>(n);
                lastArrival = NowNs();
                if (firstOnly) break;
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n == 0 || errno != EAGAIN) {
                hungUp = true;
                break;
            }
            std::int64_t until = deadline;
            if (got > 0 && interval) until = std::min(until, lastArrival + interval);
            if (until != kNever && NowNs() >= until) break;
            pollfd fd{device->fd, POLLIN, 0};
            if (PollUntil(&fd, 1, until) < 0) {
                hungUp = true;
                break;
            }
            if ((fd.revents & (POLLHUP | POLLERR)) && !(fd.revents & POLLIN)) {
                hungUp = true;
                break;
            }
        }
        {
            std::lock_guard lock(device->mutex);
            device->reportedInput = std::min(device->reportedInput, InputWaiting(device->fd));
            if (hungUp) device->hungUp = true;
        }
        if (hungUp && got == 0) return Fail(kErrorDeviceNotConnected);
        Complete(overlapped, 0, got);
        return true;
    }

    bool WriteFile(CommHandle handle, const void* buffer, std::uint32_t count, Overlapped* overlapped) override {
        ResetEvent(overlapped->Event);
        auto device = Find(handle);
        if (!device) return false;
        const CommTimeouts t = device->Timeouts();
        const auto* bytes = static_cast<const char*>(buffer);
        const std::uint64_t total = std::uint64_t{t.WriteTotalTimeoutMultiplier} * count + t.WriteTotalTimeoutConstant;
        const std::int64_t deadline =
            total ? NowNs() + static_cast<std::int64_t>(std::min<std::uint64_t>(total, 1ull << 40)) * 1'000'000 : kNever;
        std::uint32_t written = 0;
        bool hungUp = false;
        while (written < count) {
            const ssize_t n = write(device->fd, bytes + written, count - written);
            if (n > 0) {
                written += static_cast<std::uint32_t>(n);
                continue;
            }
            if (n < 0 && errno == EINTR) continue;
            if (n == 0 || errno != EAGAIN) {
                hungUp = true;
                break;
            }
            if (deadline != kNever && NowNs() >= deadline) break;
            pollfd fd{device->fd, POLLOUT, 0};
            PollUntil(&fd, 1, deadline);
            if (fd.revents & (POLLHUP | POLLERR)) {
                hungUp = true;
                break;
            }
        }
        // The write is done when the driver has sent it, or when its time is up.
        while (!hungUp && OutputWaiting(device->fd) > 0 && (deadline == kNever || NowNs() < deadline)) {
            const std::int64_t pause = NowNs() + 1'000'000;
            PollUntil(nullptr, 0, deadline == kNever ? pause : std::min(pause, deadline));
        }
        const std::uint32_t sent = written - std::min(written, OutputWaiting(device->fd));
        {
            std::lock_guard lock(device->mutex);
            if (hungUp) device->hungUp = true;
            if (!hungUp && (device->eventMask & kEvTxEmpty)) device->txEmptyDue = true;
        }
        if (hungUp && written == 0) return Fail(kErrorDeviceNotConnected);
        Wake(*device);
        Complete(overlapped, 0, sent);
        return true;
    }

    bool GetOverlappedResult(CommHandle, Overlapped* overlapped, std::uint32_t* transferred, bool wait) override {
        if (wait && ReadCompletion(*overlapped).status == kCompletionPending) {
            std::shared_ptr<Event> event = FindEvent(overlapped->Event);
            while (event && ReadCompletion(*overlapped).status == kCompletionPending) {
                pollfd fd{event->fd, POLLIN, 0};
                PollUntil(&fd, 1, NowNs() + 10'000'000);
            }
        }
        const CompletionState state = ReadCompletion(*overlapped);
        if (state.status == kCompletionPending) return Fail(kErrorIoIncomplete);
        *transferred = state.count;
        return state.status == 0 || Fail(state.status);
    }

    EventHandle NewEvent(bool manualReset, bool initiallySignalled) override {
        const int fd = eventfd(initiallySignalled ? 1 : 0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (fd < 0) {
            lastError = kErrorGenFailure;
            return kNoEvent;
        }
        std::lock_guard lock(tableMutex_);
        const EventHandle handle = nextEvent_++;
        events_[handle] = std::make_shared<Event>(fd, manualReset);
        return handle;
    }

    bool SetEvent(EventHandle handle) override {
        auto event = FindEvent(handle);
        if (!event) return Fail(kErrorInvalidHandle);
        Signal(*event);
        return true;
    }

    bool CloseEvent(EventHandle handle) override {
        std::lock_guard lock(tableMutex_);
        return events_.erase(handle) == 1 || Fail(kErrorInvalidHandle);
    }

    std::uint32_t WaitForSingleObject(EventHandle event, std::uint32_t ms) override {
        return WaitForMultipleObjects(1, &event, false, ms);
    }

    std::uint32_t WaitForMultipleObjects(std::uint32_t count, const EventHandle* handles, bool waitAll,
                                         std::uint32_t ms) override {
        if (waitAll || count == 0 || count > 64) return Fail(kErrorInvalidParameter), kWaitFailed;
        std::vector<std::shared_ptr<Event>> events;
        std::vector<pollfd> fds;
        for (std::uint32_t i = 0; i < count; ++i) {
            auto event = FindEvent(handles[i]);
            if (!event) return Fail(kErrorInvalidHandle), kWaitFailed;
            fds.push_back(pollfd{event->fd, POLLIN, 0});
            events.push_back(std::move(event));
        }
        const std::int64_t deadline = ms == kInfinite ? kNever : NowNs() + std::int64_t{ms} * 1'000'000;
        for (;;) {
            if (PollUntil(fds.data(), fds.size(), deadline) < 0) return Fail(kErrorGenFailure), kWaitFailed;
            for (std::uint32_t i = 0; i < count; ++i) {
                if (!(fds[i].revents & POLLIN)) continue;
                if (events[i]->manualReset || Consume(*events[i])) return kWaitObject0 + i;
            }
            if (deadline != kNever && NowNs() >= deadline) return kWaitTimeout;
        }
    }

private:
    std::shared_ptr<Device> Find(CommHandle handle) {
        std::lock_guard lock(tableMutex_);
        auto it = devices_.find(handle);
        if (it != devices_.end()) return it->second;
        lastError = kErrorInvalidHandle;
        return nullptr;
    }

    std::shared_ptr<Event> FindEvent(EventHandle handle) {
        std::lock_guard lock(tableMutex_);
        auto it = events_.find(handle);
        return it == events_.end() ? nullptr : it->second;
    }

    void ResetEvent(EventHandle handle) {
        if (auto event = FindEvent(handle)) Consume(*event);
    }

    void Complete(Overlapped* overlapped, std::uint32_t status, std::uint32_t count) {
        WriteCompletion(*overlapped, {status, count});
        if (auto event = FindEvent(overlapped->Event)) Signal(*event);
    }

    // With the device's lock held.
    void EndEventWait(Device& device, std::uint32_t status) {
        if (!device.waitBlock) return;
        if (status != 0) *device.waitMask = 0;
        Complete(device.waitBlock, status, 0);
        device.waitBlock = nullptr;
        device.waitMask = nullptr;
    }

    static void Wake(Device& device) {
        const std::uint64_t one = 1;
        [[maybe_unused]] ssize_t n = write(device.wakeFd, &one, sizeof one);
    }

    // The watcher: completes the pending event wait when an event the mask asks for happens.
    void Watch(Device& device) {
        for (;;) {
            bool watchInput = false;
            std::int64_t until = kNever;
            {
                std::lock_guard lock(device.mutex);
                if (device.stopping) return;
                if (device.waitBlock) {
                    std::uint32_t events = 0;
                    if (device.txEmptyDue && (device.eventMask & kEvTxEmpty)) {
                        events |= kEvTxEmpty;
                        device.txEmptyDue = false;
                    }
                    if ((device.eventMask & kEvRxChar) && !device.hungUp) {
                        const std::uint32_t waiting = InputWaiting(device.fd);
                        if (waiting > device.reportedInput) {
                            events |= kEvRxChar;
                            device.reportedInput = waiting;
                        } else if (waiting > 0) {
                            // Characters wait unread: readiness would not end the poll, so look
                            // again a little later instead.
                            until = NowNs() + kWaitingInputRecheckNs;
                        } else {
                            watchInput = true;
                        }
                    }
                    if (events) {
                        *device.waitMask = events;
                        EndEventWait(device, 0);
                        continue;
                    }
                }
            }
            pollfd fds[2] = {{device.wakeFd, POLLIN, 0}, {device.fd, POLLIN, 0}};
            PollUntil(fds, watchInput ? 2 : 1, until);
            if (fds[0].revents & POLLIN) {
                std::uint64_t value = 0;
                [[maybe_unused]] ssize_t n = read(device.wakeFd, &value, sizeof value);
            }
            if (watchInput && (fds[1].revents & (POLLHUP | POLLERR)) && !(fds[1].revents & POLLIN)) {
                std::lock_guard lock(device.mutex);
                device.hungUp = true;
            }
        }
    }

    std::mutex tableMutex_;
    std::map<CommHandle, std::shared_ptr<Device>> devices_;
    std::map<EventHandle, std::shared_ptr<Event>> events_;
    CommHandle nextHandle_ = 0x100;
    EventHandle nextEvent_ = 0x10000;
};

}  // namespace

CommApi& SystemCommApi() {
    static PosixCommApi api;
    return api;
}

}  // namespace platform
