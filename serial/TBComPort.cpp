#include "serial/TBComPort.h"

#include <array>

#include "platform/MainThreadCalls.h"
#include "serial/TComThread.h"

namespace serial {

namespace {

// The device path of a port: the prefix \\.\ and the port's name.
constexpr const char* kDevicePrefix = "\\\\.\\";

// The bits of the device control block's flags word that the port sets.
constexpr std::uint32_t kDcbBinary = 0x0001;
constexpr std::uint32_t kDcbParity = 0x0002;
constexpr std::uint32_t kDcbDtrControlEnable = 0x0010;
constexpr std::uint32_t kDcbRtsControlEnable = 0x1000;

// The order in which the dispatch goes through the received line events.
constexpr std::array<TLineEvent, 8> kDispatchOrder = {leError, leRxChar, leTxEmpty, leRing,
                                                      leCTS,   leDSR,    leRLSD,    leRx80Full};

std::int32_t EvenBufferSize(std::int32_t size) {
    return size > 0 && size % 2 != 0 ? size - 1 : size;
}

}  // namespace

TBComPort::TBComPort(platform::CommApi& comm) : comm_(comm) {}

TBComPort::~TBComPort() {
    if (!isOpen_) return;
    try {
        Close();
    } catch (const EComPort&) {
        // A destructor cannot pass the refusal on: release the thread, window and handle anyway.
        thread_.reset();
        notifyWindow_.reset();
        CloseDevice();
        isOpen_ = false;
    }
}

bool TBComPort::Open() {
    if (isOpen_) return true;
    // The queue of calls for this (the user-interface) thread must exist before the line-event
    // thread hands it its first dispatch.
    platform::MainThreadCalls::Instance();
    OpenDevice();
    isOpen_ = true;
    try {
        ApplySettings();
    } catch (...) {
        CloseDevice();
        isOpen_ = false;
        throw;
    }
    if (syncMethod_ == smWindowSync) {
        notifyWindow_ = platform::NewMessageWindow(WM_LINEEVENT, [this](std::uintptr_t wParam, std::intptr_t) {
            try {
                HandleLineEventMessage(wParam);
            } catch (const std::exception& error) {
                if (!ExceptionHandler) throw;
                ExceptionHandler(error);
            }
        });
    }
    StartThread();
    return isOpen_;
}

bool TBComPort::Close() {
    if (!isOpen_) return true;
    SetDtrLine(false);
    SetRtsLine(false);
    PurgeTransfers();
    StopThread();
    if (syncMethod_ == smWindowSync) notifyWindow_.reset();
    CloseDevice();
    isOpen_ = false;
    return true;
}

void TBComPort::OpenDevice() {
    portHandle_ = comm_.OpenDevice(kDevicePrefix + port_);
    if (portHandle_ != platform::kInvalidCommHandle) return;
    switch (comm_.LastError()) {
        case platform::kErrorFileNotFound:
            throw EComPort(kPortNotFoundMessage);
        case platform::kErrorAccessDenied:
            throw EComPort(kPortInUseMessage);
        default:
            // Not reported here: the first driver call on the invalid handle fails.
            break;
    }
}

void TBComPort::CloseDevice() {
    if (portHandle_ == platform::kInvalidCommHandle) return;
    comm_.CloseHandle(portHandle_);
    portHandle_ = platform::kInvalidCommHandle;
}

void TBComPort::StartThread() {
    thread_ = std::make_unique<TComThread>(*this);
}

void TBComPort::StopThread() {
    thread_.reset();
}

void TBComPort::SetBaudRate(TBaudRate rate) {
    if (rate == baudRate_) return;
    baudRate_ = rate;
    ApplyLineSettings();
}

void TBComPort::SetByteSize(TByteSize size) {
    if (size == byteSize_) return;
    byteSize_ = size;
    ApplyLineSettings();
}

void TBComPort::SetInBufSize(std::int32_t size) {
    if (size == inBufSize_) return;
    inBufSize_ = EvenBufferSize(size);
    ApplyBuffers();
}

void TBComPort::SetOutBufSize(std::int32_t size) {
    if (size == outBufSize_) return;
    outBufSize_ = EvenBufferSize(size);
    ApplyBuffers();
}

void TBComPort::SetParity(TParity parity) {
    if (parity == parity_) return;
    parity_ = parity;
    ApplyLineSettings();
}

void TBComPort::SetPort(const std::string& port) {
    if (isOpen_) throw EComPort(kPropertyWhileOpenMessage);
    port_ = port;
}

void TBComPort::SetSyncMethod(TSyncMethod method) {
    if (method == syncMethod_) return;
    if (isOpen_) throw EComPort(kPropertyWhileOpenMessage);
    syncMethod_ = method;
}

void TBComPort::SetStopBits(TStopBits stopBits) {
    if (stopBits == stopBits_) return;
    stopBits_ = stopBits;
    ApplyLineSettings();
}

void TBComPort::SetTimeouts(const TComTimeouts& timeouts) {
    timeouts_.Assign(timeouts);
    ApplyTimeouts();
}

void TBComPort::ApplySettings() {
    ApplyBuffers();
    ApplyLineSettings();
    ApplyTimeouts();
}

void TBComPort::ApplyBuffers() {
    if (!isOpen_) return;
    if (!comm_.SetupComm(portHandle_, static_cast<std::uint32_t>(inBufSize_), static_cast<std::uint32_t>(outBufSize_)))
        throw EComPort(kSetupCommMessage);
}

void TBComPort::ApplyLineSettings() {
    if (!isOpen_) return;
    platform::Dcb dcb;
    dcb.DCBlength = 28;
    dcb.BaudRate = BaudRateValue(baudRate_);
    dcb.Flags = kDcbBinary | kDcbDtrControlEnable | kDcbRtsControlEnable | (parity_ != paNone ? kDcbParity : 0u);
    dcb.ByteSize = static_cast<std::uint8_t>(byteSize_ + 5);
    dcb.Parity = parity_;
    dcb.StopBits = stopBits_;
    dcb.XonChar = 0x11;
    dcb.XoffChar = 0x13;
    if (!comm_.SetCommState(portHandle_, dcb)) throw EComPort(kSetCommStateMessage);
}

void TBComPort::ApplyTimeouts() {
    if (!isOpen_) return;
    if (!comm_.SetCommTimeouts(portHandle_, timeouts_.ToCommTimeouts())) throw EComPort(kSetCommTimeoutsMessage);
}

void TBComPort::SetDtrLine(bool state) {
    if (!comm_.EscapeCommFunction(portHandle_, state ? platform::kSetDtr : platform::kClrDtr))
        throw EComPort(kEscapeCommFunctionMessage);
}

void TBComPort::SetRtsLine(bool state) {
    if (!comm_.EscapeCommFunction(portHandle_, state ? platform::kSetRts : platform::kClrRts))
        throw EComPort(kEscapeCommFunctionMessage);
}

void TBComPort::PurgeTransfers() {
    if (!comm_.PurgeComm(portHandle_, platform::kPurgeTxAbort | platform::kPurgeRxAbort))
        throw EComPort(kPurgeCommMessage);
}

std::int32_t TBComPort::ReceivedCount() {
    std::uint32_t errors = 0;
    platform::CommStatus status;
    if (!comm_.ClearCommError(portHandle_, &errors, &status)) throw EComPort(kClearCommErrorMessage);
    return static_cast<std::int32_t>(status.InQueue);
}

TLineSignals TBComPort::LineSignals() {
    std::uint32_t status = 0;
    if (!comm_.GetCommModemStatus(portHandle_, &status)) throw EComPort(kGetCommModemStatusMessage);
    TLineSignals signals;
    if (status & platform::kMsCtsOn) signals.Include(lsCTS);
    if (status & platform::kMsDsrOn) signals.Include(lsDSR);
    if (status & platform::kMsRingOn) signals.Include(lsRing);
    if (status & platform::kMsRlsdOn) signals.Include(lsRLSD);
    return signals;
}

std::unique_ptr<TTransfer> TBComPort::NewTransfer() {
    auto transfer = std::make_unique<TTransfer>();
    transfer->Overlapped.Event = comm_.NewEvent(true, true);
    return transfer;
}

void TBComPort::FreeTransfer(std::unique_ptr<TTransfer> transfer) {
    if (transfer && transfer->Overlapped.Event != platform::kNoEvent) comm_.CloseEvent(transfer->Overlapped.Event);
}

std::int32_t TBComPort::StartWrite(const char* buffer, std::int32_t count, TTransfer* transfer) {
    if (!transfer) throw EComPort(kAsyncParameterMessage);
    transfer->Kind = trWrite;
    if (comm_.WriteFile(portHandle_, buffer, static_cast<std::uint32_t>(count), &transfer->Overlapped)) {
        std::uint32_t written = 0;
        comm_.GetOverlappedResult(portHandle_, &transfer->Overlapped, &written, false);
        return static_cast<std::int32_t>(written);
    }
    if (comm_.LastError() != platform::kErrorIoPending) throw EComPort(kWriteErrorMessage);
    return 0;
}

std::int32_t TBComPort::StartRead(char* buffer, std::int32_t count, TTransfer* transfer) {
    if (!transfer) throw EComPort(kAsyncParameterMessage);
    transfer->Kind = trRead;
    if (comm_.ReadFile(portHandle_, buffer, static_cast<std::uint32_t>(count), &transfer->Overlapped)) {
        std::uint32_t received = 0;
        comm_.GetOverlappedResult(portHandle_, &transfer->Overlapped, &received, false);
        return static_cast<std::int32_t>(received);
    }
    if (comm_.LastError() != platform::kErrorIoPending) throw EComPort(kReadErrorMessage);
    return 0;
}

std::int32_t TBComPort::WaitTransfer(TTransfer* transfer) {
    if (!transfer) throw EComPort(kAsyncParameterMessage);
    std::uint32_t transferred = 0;
    const bool done = comm_.WaitForSingleObject(transfer->Overlapped.Event, platform::kInfinite) ==
                          platform::kWaitObject0 &&
                      comm_.GetOverlappedResult(portHandle_, &transfer->Overlapped, &transferred, false);
    if (!done) throw EComPort(transfer->Kind == trRead ? kReadErrorMessage : kWriteErrorMessage);
    return static_cast<std::int32_t>(transferred);
}

std::int32_t TBComPort::WriteString(const std::string& text) {
    auto transfer = NewTransfer();
    try {
        if (!text.empty()) StartWrite(text.data(), static_cast<std::int32_t>(text.size()), transfer.get());
        const std::int32_t written = WaitTransfer(transfer.get());
        FreeTransfer(std::move(transfer));
        return written;
    } catch (...) {
        FreeTransfer(std::move(transfer));
        throw;
    }
}

std::int32_t TBComPort::ReadString(std::string& text, std::int32_t count) {
    auto transfer = NewTransfer();
    try {
        text.assign(count > 0 ? static_cast<std::size_t>(count) : 0u, '\0');
        if (count > 0) StartRead(text.data(), count, transfer.get());
        const std::int32_t received = WaitTransfer(transfer.get());
        text.resize(static_cast<std::size_t>(received));
        FreeTransfer(std::move(transfer));
        return received;
    } catch (...) {
        FreeTransfer(std::move(transfer));
        throw;
    }
}

void TBComPort::DispatchEvents(TLineEvents events) {
    for (TLineEvent event : kDispatchOrder) {
        if (events.Contains(event)) DispatchEvent(event);
    }
}

void TBComPort::HandleLineEventMessage(std::uintptr_t eventBit) {
    if (!isOpen_) return;
    for (TLineEvent event : kDispatchOrder) {
        if (EventBit(event) == eventBit) {
            DispatchEvent(event);
            return;
        }
    }
}

void TBComPort::DispatchEvent(TLineEvent event) {
    switch (event) {
        case leError: {
            std::uint32_t flags = 0;
            platform::CommStatus status;
            if (!comm_.ClearCommError(portHandle_, &flags, &status)) throw EComPort(kClearCommErrorMessage);
            const TComErrors errors = ErrorFlagsToErrors(flags, parity_);
            if (!errors.Empty() && OnError) OnError(*this, errors);
            break;
        }
        case leRxChar: {
            const std::int32_t count = ReceivedCount();
            if (count > 0 && OnRxChar) OnRxChar(*this, count);
            break;
        }
        case leTxEmpty:
            if (OnTxEmpty) OnTxEmpty(*this);
            break;
        case leRing:
            if (OnRing) OnRing(*this);
            break;
        case leCTS:
            if (OnCTSChange) OnCTSChange(*this, LineSignals().Contains(lsCTS));
            break;
        case leDSR:
            if (OnDSRChange) OnDSRChange(*this, LineSignals().Contains(lsDSR));
            break;
        case leRLSD:
            if (OnRLSDChange) OnRLSDChange(*this, LineSignals().Contains(lsRLSD));
            break;
        case leRx80Full:
            if (OnRx80Full) OnRx80Full(*this);
            break;
    }
}

}  // namespace serial
