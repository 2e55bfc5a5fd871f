#include "tools/mtr508-flash/ConsoleApplication.h"

#include <csignal>
#include <cstdio>

#include "serial/EComPort.h"
#include "toolkit/Errors.h"
#include "tools/mtr508-flash/CommandLine.h"

namespace flash {
namespace {

volatile std::sig_atomic_t interruptSeen = 0;

extern "C" void OnInterruptSignal(int) {
    interruptSeen = 1;
    std::signal(SIGINT, SIG_DFL);
}

ErrorKind KindOf(const std::exception& error) {
    if (dynamic_cast<const toolkit::EFOpenError*>(&error)) return ErrorKind::File;
    if (dynamic_cast<const toolkit::EConvertError*>(&error)) return ErrorKind::Conversion;
    if (dynamic_cast<const toolkit::EInvalidOperation*>(&error)) return ErrorKind::Range;
    if (dynamic_cast<const serial::EComPort*>(&error)) return ErrorKind::Port;
    return ErrorKind::Other;
}

}  // namespace

ConsoleApplication::ConsoleApplication() {
    using toolkit::headless::Event;
    Printer = [this](const Event& event) {
        if (event.kind != Event::Message && event.kind != Event::Exception) return;
        if (BeforePrint) BeforePrint();
        PrintLines(event.kind == Event::Message ? stdout : stderr, event.text);
    };
}

void ConsoleApplication::ProcessMessages() {
    HeadlessApplication::ProcessMessages();
    if (OnPump) OnPump();
}

void ConsoleApplication::HandleException(const std::exception& error) {
    lastError_ = KindOf(error);
    HeadlessApplication::HandleException(error);
}

void CatchInterrupt() {
    std::signal(SIGINT, OnInterruptSignal);
}

bool Interrupted() {
    if (!interruptSeen) return false;
    interruptSeen = 0;
    return true;
}

}  // namespace flash
