#pragma once
// The Windows communications calls that the serial port component makes, as one interface.
// Three implementations: win32/ (the real calls), posix/ (the same semantics over termios and
// poll) and fake/ (scripted, for tests). Values and flags keep their Windows numbers so that the
// component above reads like the system it was written for.
#include <cstdint>
#include <string>

namespace platform {

using CommHandle = std::intptr_t;
using EventHandle = std::intptr_t;
inline constexpr CommHandle kInvalidCommHandle = -1;
inline constexpr EventHandle kNoEvent = 0;

// System error codes the component looks at.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorNotSupported = 50;
inline constexpr std::uint32_t kErrorOperationAborted = 995;
inline constexpr std::uint32_t kErrorIoPending = 997;
inline constexpr std::uint32_t kErrorTimeout = 1460;

// Waits.
inline constexpr std::uint32_t kInfinite = 0xFFFFFFFFu;
inline constexpr std::uint32_t kWaitObject0 = 0;
inline constexpr std::uint32_t kWaitTimeout = 258;
inline constexpr std::uint32_t kWaitFailed = 0xFFFFFFFFu;

// PurgeComm flags.
inline constexpr std::uint32_t kPurgeTxAbort = 0x0001;
inline constexpr std::uint32_t kPurgeRxAbort = 0x0002;
inline constexpr std::uint32_t kPurgeTxClear = 0x0004;
inline constexpr std::uint32_t kPurgeRxClear = 0x0008;

// EscapeCommFunction functions.
inline constexpr std::uint32_t kSetRts = 3;
inline constexpr std::uint32_t kClrRts = 4;
inline constexpr std::uint32_t kSetDtr = 5;
inline constexpr std::uint32_t kClrDtr = 6;

// Event mask bits (SetCommMask, WaitCommEvent).
inline constexpr std::uint32_t kEvRxChar = 0x0001;
inline constexpr std::uint32_t kEvTxEmpty = 0x0004;
inline constexpr std::uint32_t kEvCts = 0x0008;
inline constexpr std::uint32_t kEvDsr = 0x0010;
inline constexpr std::uint32_t kEvRlsd = 0x0020;
inline constexpr std::uint32_t kEvErr = 0x0080;
inline constexpr std::uint32_t kEvRing = 0x0100;
inline constexpr std::uint32_t kEvRx80Full = 0x0400;

// Modem status bits (GetCommModemStatus).
inline constexpr std::uint32_t kMsCtsOn = 0x0010;
inline constexpr std::uint32_t kMsDsrOn = 0x0020;
inline constexpr std::uint32_t kMsRingOn = 0x0040;
inline constexpr std::uint32_t kMsRlsdOn = 0x0080;

// Line error flags (ClearCommError).
inline constexpr std::uint32_t kCeRxOver = 0x0001;
inline constexpr std::uint32_t kCeOverrun = 0x0002;
inline constexpr std::uint32_t kCeRxParity = 0x0004;
inline constexpr std::uint32_t kCeFrame = 0x0008;
inline constexpr std::uint32_t kCeBreak = 0x0010;
inline constexpr std::uint32_t kCeTxFull = 0x0100;
inline constexpr std::uint32_t kCeIoe = 0x0400;
inline constexpr std::uint32_t kCeMode = 0x8000;

// The device control block, field for field; Flags is the bit-field word of the system's DCB.
struct Dcb {
    std::uint32_t DCBlength = 28;
    std::uint32_t BaudRate = 0;
    std::uint32_t Flags = 0;
    std::uint16_t XonLim = 0;
    std::uint16_t XoffLim = 0;
    std::uint8_t ByteSize = 0;
    std::uint8_t Parity = 0;
    std::uint8_t StopBits = 0;
    char XonChar = 0;
    char XoffChar = 0;
    char ErrorChar = 0;
    char EofChar = 0;
    char EvtChar = 0;
};

struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

struct CommStatus {
    std::uint32_t InQueue = 0;
    std::uint32_t OutQueue = 0;
};

// A completion block for one overlapped operation. Event is the caller's event, signalled when
// the operation completes. The rest belongs to the implementation (the real OVERLAPPED on
// Windows, the pending request elsewhere) and must stay in place until the operation is over.
struct Overlapped {
    EventHandle Event = kNoEvent;
    alignas(8) unsigned char SystemBlock[32] = {};
    void* Request = nullptr;
};

class CommApi {
public:
    virtual ~CommApi() = default;

    // The calling thread's last error (GetLastError).
    virtual std::uint32_t LastError() = 0;

    // CreateFileA(path, GENERIC_READ | GENERIC_WRITE, no sharing, OPEN_EXISTING, FILE_FLAG_OVERLAPPED).
    virtual CommHandle OpenDevice(const std::string& path) = 0;
    virtual bool CloseHandle(CommHandle handle) = 0;

    virtual bool SetupComm(CommHandle handle, std::uint32_t inQueue, std::uint32_t outQueue) = 0;
    virtual bool SetCommState(CommHandle handle, const Dcb& dcb) = 0;
    virtual bool SetCommTimeouts(CommHandle handle, const CommTimeouts& timeouts) = 0;
    virtual bool EscapeCommFunction(CommHandle handle, std::uint32_t function) = 0;
    virtual bool PurgeComm(CommHandle handle, std::uint32_t flags) = 0;
    virtual bool ClearCommError(CommHandle handle, std::uint32_t* errors, CommStatus* status) = 0;
    virtual bool GetCommModemStatus(CommHandle handle, std::uint32_t* modemStatus) = 0;
    virtual bool SetCommMask(CommHandle handle, std::uint32_t mask) = 0;
    virtual bool WaitCommEvent(CommHandle handle, std::uint32_t* mask, Overlapped* overlapped) = 0;

    // Overlapped transfers: true when done at once, false with LastError() kErrorIoPending when
    // under way, false with another error when refused.
    virtual bool ReadFile(CommHandle handle, void* buffer, std::uint32_t count, Overlapped* overlapped) = 0;
    virtual bool WriteFile(CommHandle handle, const void* buffer, std::uint32_t count, Overlapped* overlapped) = 0;
    virtual bool GetOverlappedResult(CommHandle handle, Overlapped* overlapped, std::uint32_t* transferred,
                                     bool wait) = 0;

    // Events and waits.
    virtual EventHandle NewEvent(bool manualReset, bool initiallySignalled) = 0;
    virtual bool SetEvent(EventHandle event) = 0;
    virtual bool CloseEvent(EventHandle event) = 0;
    virtual std::uint32_t WaitForSingleObject(EventHandle event, std::uint32_t ms) = 0;
    virtual std::uint32_t WaitForMultipleObjects(std::uint32_t count, const EventHandle* events, bool waitAll,
                                                 std::uint32_t ms) = 0;
};

// The calls of the system the program runs on.
CommApi& SystemCommApi();

}  // namespace platform
