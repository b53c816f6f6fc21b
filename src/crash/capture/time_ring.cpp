#include "crash/capture/time_ring.h"

#include <algorithm>

#include "crash/common/little_endian.h"

namespace roadsum {

void TExceptionTimeRing::Enter(std::uint64_t now) {
    std::copy_backward(slots_.begin(), slots_.end() - 1, slots_.end());
    slots_[0] = now;
}

std::size_t TExceptionTimeRing::Filled() const {
    return static_cast<std::size_t>(std::count_if(slots_.begin(), slots_.end(), [](std::uint64_t s) { return s != 0; }));
}

bool TExceptionTimeRing::RuleHolds(std::int32_t rule, std::uint64_t now) const {
    if (rule == 1) return true;
    if (rule < 2) return false;
    // A slot from the future (the clock was set back) does not count as recent.
    return std::all_of(slots_.begin(), slots_.end(), [&](std::uint64_t s) {
        return s != 0 && s <= now && now - s <= static_cast<std::uint64_t>(rule);
    });
}

std::array<std::uint8_t, TExceptionTimeRing::kBytes> TExceptionTimeRing::Bytes() const {
    std::array<std::uint8_t, kBytes> out{};
    for (std::size_t i = 0; i < kSlots; ++i) {
        put_le32(&out[8 * i], static_cast<std::uint32_t>(slots_[i]));
        put_le32(&out[8 * i + 4], static_cast<std::uint32_t>(slots_[i] >> 32));
    }
    return out;
}

std::optional<TExceptionTimeRing> TExceptionTimeRing::FromBytes(ByteView bytes) {
    if (bytes.size() != kBytes) return std::nullopt;
    TExceptionTimeRing ring;
    for (std::size_t i = 0; i < kSlots; ++i)
        ring.slots_[i] = get_le32(&bytes[8 * i]) | static_cast<std::uint64_t>(get_le32(&bytes[8 * i + 4])) << 32;
    return ring;
}

std::array<std::uint8_t, TRestartRecord::kBytes> TRestartRecord::Bytes() const {
    std::array<std::uint8_t, kBytes> out{};
    put_le32(&out[0], ProcessId);
    put_le32(&out[4], MappingHandle);
    const auto ring = Ring.Bytes();
    std::copy(ring.begin(), ring.end(), out.begin() + 8);
    return out;
}

std::optional<TRestartRecord> TRestartRecord::FromBytes(ByteView bytes) {
    if (bytes.size() != kBytes) return std::nullopt;
    TRestartRecord record;
    record.ProcessId = get_le32(&bytes[0]);
    record.MappingHandle = get_le32(&bytes[4]);
    record.Ring = *TExceptionTimeRing::FromBytes(bytes.subspan(8));
    return record;
}

}  // namespace roadsum
