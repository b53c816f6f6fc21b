// The exception time ring: when the last ten exceptions (hidden ones left out) happened, newest
// first, in whole seconds since 1601. The automatic restart and close rules read it, and it
// survives a restart so that a storm of exceptions is seen across new processes.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "crash/common/byte_view.h"

namespace roadsum {

class TExceptionTimeRing {
public:
    static constexpr std::size_t kSlots = 10;
    static constexpr std::size_t kBytes = kSlots * 8;

    // Shifts the older times back (the oldest falls out) and puts `now` in front.
    void Enter(std::uint64_t now);
    std::uint64_t Slot(std::size_t index) const { return index < kSlots ? slots_[index] : 0; }
    std::size_t Filled() const;

    // An automatic rule (AutoRestart, AutoClose): 0 never holds, 1 always; N > 1 holds when
    // all ten slots are filled and each lies at most N seconds back from now. Other values
    // never hold.
    bool RuleHolds(std::int32_t rule, std::uint64_t now) const;

    // Little-endian 64-bit slots, newest first: the restart hand-over carries these bytes.
    std::array<std::uint8_t, kBytes> Bytes() const;
    static std::optional<TExceptionTimeRing> FromBytes(ByteView bytes);

    friend bool operator==(const TExceptionTimeRing&, const TExceptionTimeRing&) = default;

private:
    std::array<std::uint64_t, kSlots> slots_{};
};

// The restart hand-over: the old process's id, a handle of the mapping duplicated into the new
// process (which closes it), and the time ring; 88 bytes.
struct TRestartRecord {
    static constexpr std::size_t kBytes = 8 + TExceptionTimeRing::kBytes;

    std::uint32_t ProcessId = 0;
    std::uint32_t MappingHandle = 0;
    TExceptionTimeRing Ring;

    std::array<std::uint8_t, kBytes> Bytes() const;
    static std::optional<TRestartRecord> FromBytes(ByteView bytes);
};

}  // namespace roadsum
