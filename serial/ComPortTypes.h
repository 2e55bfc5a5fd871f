#pragma once
// The serial port's settings types, its sets (one byte each, a bit per member) and its event
// handler types.
#include <cstdint>
#include <functional>
#include <initializer_list>

namespace serial {

class TBComPort;

enum TBaudRate : std::uint8_t {
    br110, br300, br600, br1200, br2400, br4800, br9600, br14400, br19200,
    br38400, br56000, br57600, br115200, br128000, br256000
};
enum TByteSize : std::uint8_t { bs5, bs6, bs7, bs8 };
enum TParity : std::uint8_t { paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits : std::uint8_t { sb1, sb1_5, sb2 };
enum TSyncMethod : std::uint8_t { smThreadSync, smWindowSync, smNone };

// The rate in bits per second that the driver is given for each TBaudRate.
std::uint32_t BaudRateValue(TBaudRate rate);

// A set of up to eight members of an enumeration, member n being bit n.
template <typename Member>
class TSmallSet {
public:
    constexpr TSmallSet() = default;
    constexpr TSmallSet(std::initializer_list<Member> members) {
        for (Member m : members) Include(m);
    }
    static constexpr TSmallSet FromBits(std::uint8_t bits) {
        TSmallSet set;
        set.bits_ = bits;
        return set;
    }
    constexpr bool Contains(Member m) const { return (bits_ >> static_cast<unsigned>(m)) & 1u; }
    constexpr void Include(Member m) { bits_ = static_cast<std::uint8_t>(bits_ | (1u << static_cast<unsigned>(m))); }
    constexpr void Exclude(Member m) { bits_ = static_cast<std::uint8_t>(bits_ & ~(1u << static_cast<unsigned>(m))); }
    constexpr bool Empty() const { return bits_ == 0; }
    constexpr std::uint8_t Bits() const { return bits_; }
    friend constexpr bool operator==(TSmallSet, TSmallSet) = default;

private:
    std::uint8_t bits_ = 0;
};

enum TComError : std::uint8_t { ceFrame, ceRxParity, ceOverrun, ceBreak, ceIO, ceMode, ceRxOver, ceTxFull };
using TComErrors = TSmallSet<TComError>;

enum TLineSignal : std::uint8_t { lsCTS, lsDSR, lsRing, lsRLSD };
using TLineSignals = TSmallSet<TLineSignal>;

enum TLineEvent : std::uint8_t { leRxChar, leTxEmpty, leRing, leCTS, leDSR, leRLSD, leError, leRx80Full };
using TLineEvents = TSmallSet<TLineEvent>;

// The system event bit of each line event, and the conversions between the set and the mask.
std::uint32_t EventBit(TLineEvent event);
std::uint32_t EventsToMask(TLineEvents events);
TLineEvents MaskToEvents(std::uint32_t mask);
// The driver's line error flags as the port's error set (receive parity only with a parity set).
TComErrors ErrorFlagsToErrors(std::uint32_t flags, TParity parity);

// Event handlers; an event counts as assigned when it holds a handler.
using TNotifyEvent = std::function<void(TBComPort& Sender)>;
using TComSignalEvent = std::function<void(TBComPort& Sender, bool State)>;
using TComErrorEvent = std::function<void(TBComPort& Sender, TComErrors Errors)>;
using TRxCharEvent = std::function<void(TBComPort& Sender, std::int32_t Count)>;

}  // namespace serial
