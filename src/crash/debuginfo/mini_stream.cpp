#include "crash/debuginfo/mini_stream.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "crash/common/little_endian.h"

namespace roadsum {

namespace {

constexpr std::uint8_t kLongPackedInt = 0x80;

}  // namespace

TMiniStream::TMiniStream(std::string_view data) {
    if (data.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - kGranularity)) return;
    Write(data.data(), static_cast<std::int32_t>(data.size()));
    position_ = 0;
}

bool TMiniStream::reserve(std::int64_t size) {
    if (size <= capacity_) return true;
    const std::int64_t rounded = (size + kGranularity - 1) / kGranularity * kGranularity;
    if (rounded > std::numeric_limits<std::int32_t>::max()) return false;
    auto grown = std::make_unique<char[]>(static_cast<std::size_t>(rounded));
    if (size_ > 0) std::memcpy(grown.get(), block_.get(), static_cast<std::size_t>(size_));
    block_ = std::move(grown);
    capacity_ = static_cast<std::int32_t>(rounded);
    return true;
}

std::int32_t TMiniStream::Read(void* buffer, std::int32_t count) {
    if (count <= 0 || position_ < 0 || position_ >= size_) return 0;
    const std::int32_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, block_.get() + position_, static_cast<std::size_t>(n));
    position_ += n;
    return n;
}

bool TMiniStream::Write(const void* buffer, std::int32_t count) {
    if (count < 0 || position_ < 0) return false;
    const std::int64_t end = std::int64_t{position_} + count;
    if (!reserve(end)) return false;
    if (position_ > size_) std::memset(block_.get() + size_, 0, static_cast<std::size_t>(position_ - size_));
    if (count > 0) std::memcpy(block_.get() + position_, buffer, static_cast<std::size_t>(count));
    position_ = static_cast<std::int32_t>(end);
    size_ = std::max(size_, position_);
    return true;
}

bool TMiniStream::ReadInt32(std::int32_t& value) {
    std::uint8_t bytes[4];
    if (Read(bytes, 4) != 4) return false;
    value = static_cast<std::int32_t>(get_le32(bytes));
    return true;
}

bool TMiniStream::ReadByte(std::uint8_t& value) { return Read(&value, 1) == 1; }

bool TMiniStream::ReadPackedInt(std::int32_t& value) {
    std::uint8_t first = 0;
    if (!ReadByte(first)) return false;
    if (first == kLongPackedInt) return ReadInt32(value);
    value = static_cast<std::int8_t>(first);
    return true;
}

bool TMiniStream::ReadPackedString(std::string& value) {
    value.clear();
    std::uint8_t length = 0;
    if (!ReadByte(length)) return false;
    if (Remaining() < length) return false;
    value.resize(length);
    Read(value.data(), length);
    return true;
}

bool TMiniStream::WriteInt32(std::int32_t value) {
    std::uint8_t bytes[4];
    put_le32(bytes, static_cast<std::uint32_t>(value));
    return Write(bytes, 4);
}

bool TMiniStream::WriteByte(std::uint8_t value) { return Write(&value, 1); }

bool TMiniStream::WritePackedInt(std::int32_t value) {
    // -128 shares its byte with the marker, so it takes the long form too.
    if (value >= -127 && value <= 127) return WriteByte(static_cast<std::uint8_t>(static_cast<std::int8_t>(value)));
    return WriteByte(kLongPackedInt) && WriteInt32(value);
}

bool TMiniStream::WritePackedString(std::string_view value) {
    const std::size_t n = std::min<std::size_t>(value.size(), 255);
    return WriteByte(static_cast<std::uint8_t>(n)) && Write(value.data(), static_cast<std::int32_t>(n));
}

}  // namespace roadsum
