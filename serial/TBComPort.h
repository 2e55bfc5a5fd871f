#pragma once
// The serial port component: the settings of one COM port, opening and closing the device,
// handing buffers, line settings and time-outs to the driver, blocking transfers over
// overlapped I/O, and the line-event thread that hands the driver's line events to the
// handlers. Every refusal of the system that the port looks at raises EComPort.
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>

#include "platform/CommApi.h"
#include "platform/MessageWindow.h"
#include "serial/ComPortTypes.h"
#include "serial/EComPort.h"
#include "serial/TComTimeouts.h"
#include "serial/TTransfer.h"

namespace serial {

class TComThread;

// The window message that carries one line event to the port's notify window.
inline constexpr std::uint32_t WM_LINEEVENT = 1025;

class TBComPort {
public:
    explicit TBComPort(platform::CommApi& comm);
    ~TBComPort();
    TBComPort(const TBComPort&) = delete;
    TBComPort& operator=(const TBComPort&) = delete;

    bool Open();
    bool Close();
    bool IsOpen() const { return isOpen_; }
    platform::CommHandle PortHandle() const { return portHandle_; }

    // Settings (the published properties, in their streaming order).
    TBaudRate BaudRate() const { return baudRate_; }
    void SetBaudRate(TBaudRate rate);
    TByteSize ByteSize() const { return byteSize_; }
    void SetByteSize(TByteSize size);
    std::int32_t InBufSize() const { return inBufSize_; }
    void SetInBufSize(std::int32_t size);
    std::int32_t OutBufSize() const { return outBufSize_; }
    void SetOutBufSize(std::int32_t size);
    TParity Parity() const { return parity_; }
    void SetParity(TParity parity);
    const std::string& Port() const { return port_; }
    void SetPort(const std::string& port);
    TSyncMethod SyncMethod() const { return syncMethod_; }
    void SetSyncMethod(TSyncMethod method);
    TStopBits StopBits() const { return stopBits_; }
    void SetStopBits(TStopBits stopBits);
    TComTimeouts& Timeouts() { return timeouts_; }
    const TComTimeouts& Timeouts() const { return timeouts_; }
    void SetTimeouts(const TComTimeouts& timeouts);

    // Event handlers.
    TComSignalEvent OnCTSChange;
    TComSignalEvent OnDSRChange;
    TComErrorEvent OnError;
    TNotifyEvent OnRing;
    TComSignalEvent OnRLSDChange;
    TNotifyEvent OnRx80Full;
    TRxCharEvent OnRxChar;
    TNotifyEvent OnTxEmpty;

    // Where an exception raised by a handler run from the notify window goes (the application's
    // default error handler). Without one it travels on to whoever pumps the messages.
    std::function<void(const std::exception&)> ExceptionHandler;

    // The line events the line-event thread waits for: all eight.
    TLineEvents MonitoredEvents() const { return monitoredEvents_; }

    // Handing the settings to the driver; nothing happens while the port is closed.
    void ApplySettings();
    void ApplyBuffers();
    void ApplyLineSettings();
    void ApplyTimeouts();

    // Driver calls made by Close and by the event dispatch; they act on PortHandle.
    void SetDtrLine(bool state);
    void SetRtsLine(bool state);
    void PurgeTransfers();
    std::int32_t ReceivedCount();
    TLineSignals LineSignals();

    // Blocking transfers of 8-bit characters; the port's time-outs end them.
    std::int32_t WriteString(const std::string& text);
    std::int32_t ReadString(std::string& text, std::int32_t count);

    // The steps of one transfer.
    std::unique_ptr<TTransfer> NewTransfer();
    void FreeTransfer(std::unique_ptr<TTransfer> transfer);
    std::int32_t StartWrite(const char* buffer, std::int32_t count, TTransfer* transfer);
    std::int32_t StartRead(char* buffer, std::int32_t count, TTransfer* transfer);
    std::int32_t WaitTransfer(TTransfer* transfer);

    // Runs the handlers of the given line events in their fixed order.
    void DispatchEvents(TLineEvents events);
    // The notify window's handling of one WM_LINEEVENT.
    void HandleLineEventMessage(std::uintptr_t eventBit);

    // The notify window, while open with smWindowSync.
    platform::MessageWindow* NotifyWindow() const { return notifyWindow_.get(); }

    platform::CommApi& Comm() const { return comm_; }

private:
    void OpenDevice();
    void CloseDevice();
    void StartThread();
    void StopThread();
    void DispatchEvent(TLineEvent event);

    platform::CommApi& comm_;
    TBaudRate baudRate_ = br9600;
    TByteSize byteSize_ = bs8;
    std::int32_t inBufSize_ = 2048;
    std::int32_t outBufSize_ = 2048;
    TParity parity_ = paNone;
    std::string port_ = "COM2";
    TSyncMethod syncMethod_ = smThreadSync;
    TStopBits stopBits_ = sb1;
    TComTimeouts timeouts_{this};
    TLineEvents monitoredEvents_{leRxChar, leTxEmpty, leRing, leCTS, leDSR, leRLSD, leError, leRx80Full};

    bool isOpen_ = false;
    platform::CommHandle portHandle_ = platform::kInvalidCommHandle;
    std::unique_ptr<platform::MessageWindow> notifyWindow_;
    std::unique_ptr<TComThread> thread_;
};

}  // namespace serial
