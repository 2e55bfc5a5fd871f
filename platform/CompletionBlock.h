#pragma once
// The state of an overlapped operation, kept in its completion block where the system would keep
// it: a status (0 done, pending, or an error code) and the count transferred. A block that was
// never started reads as done with 0. Used by the comm layers that complete transfers themselves.
#include <cstdint>
#include <cstring>

#include "platform/CommApi.h"

namespace platform {

inline constexpr std::uint32_t kCompletionPending = 0x103;  // STATUS_PENDING

struct CompletionState {
    std::uint32_t status;
    std::uint32_t count;
};

inline CompletionState ReadCompletion(const Overlapped& overlapped) {
    CompletionState state{};
    std::memcpy(&state, overlapped.SystemBlock, sizeof state);
    return state;
}

inline void WriteCompletion(Overlapped& overlapped, CompletionState state) {
    std::memcpy(overlapped.SystemBlock, &state, sizeof state);
}

}  // namespace platform
