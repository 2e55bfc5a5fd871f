#include "serial/TComThread.h"

#include "platform/MainThreadCalls.h"
#include "serial/TBComPort.h"

namespace serial {

TComThread::TComThread(TBComPort& ownerPort) : ownerPort_(ownerPort) {
    platform::CommApi& comm = ownerPort_.Comm();
    stopEvent_ = comm.NewEvent(true, false);
    comm.SetCommMask(ownerPort_.PortHandle(), EventsToMask(ownerPort_.MonitoredEvents()));
    thread_ = std::thread([this] { Execute(); });
}

TComThread::~TComThread() {
    platform::CommApi& comm = ownerPort_.Comm();
    comm.SetEvent(stopEvent_);
    std::this_thread::yield();
    // A thread held in a dispatch finishes it here, then finds StopEvent set and ends.
    platform::MainThreadCalls::Instance().RunPendingUntil([this] {
        if (platform::MessageWindow* window = ownerPort_.NotifyWindow()) window->DeliverSentMessages();
        return Finished();
    });
    thread_.join();
    comm.CloseEvent(stopEvent_);
}

void TComThread::DispatchEvents() {
    ownerPort_.DispatchEvents(receivedEvents_);
}

void TComThread::SendEventMessages() {
    platform::MessageWindow* window = ownerPort_.NotifyWindow();
    for (TLineEvent event : {leError, leRxChar, leTxEmpty, leRing, leCTS, leDSR, leRLSD, leRx80Full}) {
        if (receivedEvents_.Contains(event) && window) window->Send(EventBit(event), 0);
    }
}

void TComThread::Execute() {
    platform::CommApi& comm = ownerPort_.Comm();
    const platform::CommHandle handle = ownerPort_.PortHandle();
    platform::Overlapped completion;
    completion.Event = comm.NewEvent(true, true);
    const platform::EventHandle waitList[2] = {stopEvent_, completion.Event};
    std::uint32_t mask = 0;
    bool cleanUp = true;
    try {
        for (;;) {
            // The mask keeps the last wait's events until the next wait fills it.
            comm.WaitCommEvent(handle, &mask, &completion);
            if (comm.WaitForMultipleObjects(2, waitList, false, platform::kInfinite) != platform::kWaitObject0 + 1) break;
            std::uint32_t unused = 0;
            if (!comm.GetOverlappedResult(handle, &completion, &unused, false)) continue;
            receivedEvents_ = MaskToEvents(mask);
            switch (ownerPort_.SyncMethod()) {
                case smThreadSync:
                    platform::MainThreadCalls::Instance().Synchronize([this] { DispatchEvents(); });
                    break;
                case smWindowSync:
                    SendEventMessages();
                    break;
                case smNone:
                    DispatchEvents();
                    break;
            }
        }
    } catch (...) {
        // A dispatch that raised ends the body at once; no more line events until the port reopens.
        error_ = std::current_exception();
        cleanUp = false;
    }
    if (cleanUp) {
        comm.SetCommMask(handle, 0);
        // The mask change ends the pending event wait; let it complete before its block goes away.
        std::uint32_t unused = 0;
        comm.GetOverlappedResult(handle, &completion, &unused, true);
        comm.PurgeComm(handle, platform::kPurgeTxClear | platform::kPurgeRxClear);
    }
    comm.CloseEvent(completion.Event);
    finished_ = true;
    platform::MainThreadCalls::Instance().Wake();
}

}  // namespace serial
