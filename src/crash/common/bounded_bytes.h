// Little-endian reads from a byte block that fail, instead of reading past its end, when a
// forged offset or count points outside it.
#pragma once

#include <cstdint>
#include <string_view>

#include "crash/common/little_endian.h"

namespace roadsum {

class BoundedBytes {
public:
    explicit BoundedBytes(std::string_view data) : data_(data) {}

    std::size_t size() const { return data_.size(); }
    bool has(std::uint64_t at, std::uint64_t count) const { return at <= data_.size() && count <= data_.size() - at; }
    std::string_view slice(std::uint64_t at, std::uint64_t count) const {
        return has(at, count) ? data_.substr(at, count) : std::string_view{};
    }

    bool u8(std::uint64_t at, std::uint8_t& v) const {
        if (!has(at, 1)) return false;
        v = static_cast<std::uint8_t>(data_[at]);
        return true;
    }
    bool u16(std::uint64_t at, std::uint16_t& v) const {
        if (!has(at, 2)) return false;
        v = get_le16(bytes(at));
        return true;
    }
    bool u32(std::uint64_t at, std::uint32_t& v) const {
        if (!has(at, 4)) return false;
        v = get_le32(bytes(at));
        return true;
    }

private:
    const std::uint8_t* bytes(std::uint64_t at) const { return reinterpret_cast<const std::uint8_t*>(data_.data() + at); }
    std::string_view data_;
};

}  // namespace roadsum
