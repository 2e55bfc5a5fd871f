#pragma once
// One overlapped transfer: its completion block, whose event is created signalled so that
// waiting on a transfer that never started ends at once, and what kind of transfer it is.
#include "platform/CommApi.h"

namespace serial {

enum TTransferKind : std::uint8_t { trWrite, trRead };

struct TTransfer {
    platform::Overlapped Overlapped;
    TTransferKind Kind = trWrite;
};

}  // namespace serial
