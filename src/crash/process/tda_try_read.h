// The fault-tolerant reader of the running process: reads go through the process-memory read
// of the own process, so an unreadable page makes the read fail instead of raising. With a
// snapshot taken, a read must also start in a range that was readable then.
#pragma once

#include <cstdint>
#include <optional>

#include "crash/process/address_space_snapshot.h"
#include "crash/process/memory_reader.h"

namespace roadsum {

class TDATryRead final : public MemoryReader {
public:
    TDATryRead();
    TDATryRead(const TDATryRead&) = delete;
    TDATryRead& operator=(const TDATryRead&) = delete;

    void StartSnapshot();
    void EndSnapshot();
    bool HasSnapshot() const { return snapshot_.has_value(); }

    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override;
    bool readable_range(std::uint32_t address, std::uint32_t& begin, std::uint32_t& end) const override;

private:
    void* read_ = nullptr;  // the system's process-memory read
    void* process_ = nullptr;
    std::optional<AddressSpaceSnapshot> snapshot_;
};

}  // namespace roadsum
