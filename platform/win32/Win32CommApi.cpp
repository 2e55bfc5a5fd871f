// The real comm calls. Two things Wine does differently are absorbed here: a timed-out
// overlapped read that received nothing completes with ERROR_TIMEOUT (1460) where Windows reports
// success with 0 characters, and EV_RXCHAR comes again and again for as long as unread characters
// wait, which would keep the line-event thread busy without a pause between event waits.
#include <windows.h>

#include <cstring>

#include "platform/CommApi.h"

namespace platform {

namespace {

static_assert(sizeof(OVERLAPPED) <= sizeof(Overlapped::SystemBlock));

HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// The system's completion block inside ours, carrying the caller's event.
OVERLAPPED* SystemOverlapped(Overlapped* overlapped) {
    auto* block = reinterpret_cast<OVERLAPPED*>(overlapped->SystemBlock);
    block->hEvent = AsHandle(overlapped->Event);
    return block;
}

bool RunningUnderWine() {
    static const bool wine = [] {
        HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
        return ntdll && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

class Win32CommApi final : public CommApi {
public:
    std::uint32_t LastError() override { return ::GetLastError(); }

    CommHandle OpenDevice(const std::string& path) override {
        HANDLE handle = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_FLAG_OVERLAPPED, nullptr);
        return handle == INVALID_HANDLE_VALUE ? kInvalidCommHandle : reinterpret_cast<CommHandle>(handle);
    }

    bool CloseHandle(CommHandle handle) override { return ::CloseHandle(AsHandle(handle)); }

    bool SetupComm(CommHandle handle, std::uint32_t inQueue, std::uint32_t outQueue) override {
        return ::SetupComm(AsHandle(handle), inQueue, outQueue);
    }

    bool SetCommState(CommHandle handle, const Dcb& dcb) override {
        DCB block{};
        block.DCBlength = sizeof(DCB);
        block.BaudRate = dcb.BaudRate;
        const std::uint32_t f = dcb.Flags;
        block.fBinary = f & 1;
        block.fParity = (f >> 1) & 1;
        block.fOutxCtsFlow = (f >> 2) & 1;
        block.fOutxDsrFlow = (f >> 3) & 1;
        block.fDtrControl = (f >> 4) & 3;
        block.fDsrSensitivity = (f >> 6) & 1;
        block.fTXContinueOnXoff = (f >> 7) & 1;
        block.fOutX = (f >> 8) & 1;
        block.fInX = (f >> 9) & 1;
        block.fErrorChar = (f >> 10) & 1;
        block.fNull = (f >> 11) & 1;
        block.fRtsControl = (f >> 12) & 3;
        block.fAbortOnError = (f >> 14) & 1;
        block.XonLim = dcb.XonLim;
        block.XoffLim = dcb.XoffLim;
        block.ByteSize = dcb.ByteSize;
        block.Parity = dcb.Parity;
        block.StopBits = dcb.StopBits;
        block.XonChar = dcb.XonChar;
        block.XoffChar = dcb.XoffChar;
        block.ErrorChar = dcb.ErrorChar;
        block.EofChar = dcb.EofChar;
        block.EvtChar = dcb.EvtChar;
        return ::SetCommState(AsHandle(handle), &block);
    }

    bool SetCommTimeouts(CommHandle handle, const CommTimeouts& timeouts) override {
        COMMTIMEOUTS t{timeouts.ReadIntervalTimeout, timeouts.ReadTotalTimeoutMultiplier,
                       timeouts.ReadTotalTimeoutConstant, timeouts.WriteTotalTimeoutMultiplier,
                       timeouts.WriteTotalTimeoutConstant};
        return ::SetCommTimeouts(AsHandle(handle), &t);
    }

    bool EscapeCommFunction(CommHandle handle, std::uint32_t function) override {
        return ::EscapeCommFunction(AsHandle(handle), function);
    }

    bool PurgeComm(CommHandle handle, std::uint32_t flags) override { return ::PurgeComm(AsHandle(handle), flags); }

    bool ClearCommError(CommHandle handle, std::uint32_t* errors, CommStatus* status) override {
        DWORD flags = 0;
        COMSTAT comStat{};
        if (!::ClearCommError(AsHandle(handle), &flags, &comStat)) return false;
        if (errors) *errors = flags;
        if (status) *status = CommStatus{comStat.cbInQue, comStat.cbOutQue};
        return true;
    }

    bool GetCommModemStatus(CommHandle handle, std::uint32_t* modemStatus) override {
        DWORD status = 0;
        if (!::GetCommModemStatus(AsHandle(handle), &status)) return false;
        *modemStatus = status;
        return true;
    }

    bool SetCommMask(CommHandle handle, std::uint32_t mask) override { return ::SetCommMask(AsHandle(handle), mask); }

    bool WaitCommEvent(CommHandle handle, std::uint32_t* mask, Overlapped* overlapped) override {
        // Under Wine the last wait's mask, still in the caller's variable, tells whether this
        // is the repeat of a received-characters event; give the reader a moment first.
        thread_local const std::uint32_t* lastMask = nullptr;
        if (RunningUnderWine() && lastMask == mask && *mask == EV_RXCHAR) ::Sleep(kWineRxCharPauseMs);
        lastMask = mask;
        static_assert(sizeof(DWORD) == sizeof(std::uint32_t));
        return ::WaitCommEvent(AsHandle(handle), reinterpret_cast<DWORD*>(mask), SystemOverlapped(overlapped));
    }

    bool ReadFile(CommHandle handle, void* buffer, std::uint32_t count, Overlapped* overlapped) override {
        return ::ReadFile(AsHandle(handle), buffer, count, nullptr, SystemOverlapped(overlapped));
    }

    bool WriteFile(CommHandle handle, const void* buffer, std::uint32_t count, Overlapped* overlapped) override {
        return ::WriteFile(AsHandle(handle), buffer, count, nullptr, SystemOverlapped(overlapped));
    }

    bool GetOverlappedResult(CommHandle handle, Overlapped* overlapped, std::uint32_t* transferred,
                             bool wait) override {
        OVERLAPPED* block = SystemOverlapped(overlapped);
        DWORD count = 0;
        if (::GetOverlappedResult(AsHandle(handle), block, &count, wait)) {
            *transferred = count;
            return true;
        }
        if (::GetLastError() == ERROR_TIMEOUT) {  // Wine: a read that timed out
            *transferred = static_cast<std::uint32_t>(block->InternalHigh);
            return true;
        }
        return false;
    }

    EventHandle NewEvent(bool manualReset, bool initiallySignalled) override {
        return reinterpret_cast<EventHandle>(::CreateEventW(nullptr, manualReset, initiallySignalled, nullptr));
    }

    bool SetEvent(EventHandle event) override { return ::SetEvent(AsHandle(event)); }
    bool CloseEvent(EventHandle event) override { return ::CloseHandle(AsHandle(event)); }

    std::uint32_t WaitForSingleObject(EventHandle event, std::uint32_t ms) override {
        return ::WaitForSingleObject(AsHandle(event), ms);
    }

    std::uint32_t WaitForMultipleObjects(std::uint32_t count, const EventHandle* events, bool waitAll,
                                         std::uint32_t ms) override {
        HANDLE handles[MAXIMUM_WAIT_OBJECTS];
        if (count > MAXIMUM_WAIT_OBJECTS) count = MAXIMUM_WAIT_OBJECTS;
        for (std::uint32_t i = 0; i < count; ++i) handles[i] = AsHandle(events[i]);
        return ::WaitForMultipleObjects(count, handles, waitAll, ms);
    }

private:
    static constexpr DWORD kWineRxCharPauseMs = 5;
};

}  // namespace

CommApi& SystemCommApi() {
    static Win32CommApi api;
    return api;
}

}  // namespace platform
