#include "serial/ComPortTypes.h"

#include <array>

#include "platform/CommApi.h"

namespace serial {

namespace {

constexpr std::array<std::uint32_t, 15> kBaudRates = {110,   300,   600,   1200,  2400,   4800,   9600,  14400,
                                                      19200, 38400, 56000, 57600, 115200, 128000, 256000};

// The system event bit of each TLineEvent, by ordinal.
constexpr std::array<std::uint32_t, 8> kEventBits = {
    platform::kEvRxChar, platform::kEvTxEmpty, platform::kEvRing, platform::kEvCts,
    platform::kEvDsr,    platform::kEvRlsd,    platform::kEvErr,  platform::kEvRx80Full};

}  // namespace

std::uint32_t BaudRateValue(TBaudRate rate) {
    return kBaudRates.at(rate);
}

std::uint32_t EventBit(TLineEvent event) {
    return kEventBits.at(event);
}

std::uint32_t EventsToMask(TLineEvents events) {
    std::uint32_t mask = 0;
    for (unsigned i = 0; i < kEventBits.size(); ++i) {
        if (events.Contains(static_cast<TLineEvent>(i))) mask |= kEventBits[i];
    }
    return mask;
}

TLineEvents MaskToEvents(std::uint32_t mask) {
    TLineEvents events;
    for (unsigned i = 0; i < kEventBits.size(); ++i) {
        if (mask & kEventBits[i]) events.Include(static_cast<TLineEvent>(i));
    }
    return events;
}

TComErrors ErrorFlagsToErrors(std::uint32_t flags, TParity parity) {
    TComErrors errors;
    if (flags & platform::kCeFrame) errors.Include(ceFrame);
    if ((flags & platform::kCeRxParity) && parity != paNone) errors.Include(ceRxParity);
    if (flags & platform::kCeOverrun) errors.Include(ceOverrun);
    if (flags & platform::kCeBreak) errors.Include(ceBreak);
    if (flags & platform::kCeIoe) errors.Include(ceIO);
    if (flags & platform::kCeMode) errors.Include(ceMode);
    if (flags & platform::kCeRxOver) errors.Include(ceRxOver);
    if (flags & platform::kCeTxFull) errors.Include(ceTxFull);
    return errors;
}

}  // namespace serial
