// A growable memory block with a read and write position, and the packed values that the
// debug information is stored in: little-endian 32-bit integers, packed integers (one signed
// byte, or the byte 0x80 and a 32-bit value) and packed strings (a length byte and the
// characters).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace roadsum {

class TMiniStream {
public:
    static constexpr std::int32_t kGranularity = 8192;

    TMiniStream() = default;
    explicit TMiniStream(std::string_view data);
    TMiniStream(TMiniStream&&) noexcept = default;
    TMiniStream& operator=(TMiniStream&&) noexcept = default;

    std::int32_t Size() const { return size_; }
    std::int32_t Position() const { return position_; }
    std::int32_t Capacity() const { return capacity_; }
    std::int32_t Remaining() const { return position_ >= 0 && position_ < size_ ? size_ - position_ : 0; }
    void Seek(std::int32_t position) { position_ = position; }
    std::string_view Data() const { return {block_.get(), static_cast<std::size_t>(size_)}; }

    // Copies at most the bytes left behind the position and moves past them; a negative
    // position or count reads nothing. Result: the bytes copied.
    std::int32_t Read(void* buffer, std::int32_t count);
    // Writes at the position, growing the block in steps of kGranularity. False (nothing
    // written) when the position is negative or the stream would pass 2 GB.
    bool Write(const void* buffer, std::int32_t count);

    // False when not all bytes of the value were there.
    bool ReadInt32(std::int32_t& value);
    bool ReadByte(std::uint8_t& value);
    bool ReadPackedInt(std::int32_t& value);
    // When fewer characters remain than the length byte says, the string stays empty and the
    // result is false.
    bool ReadPackedString(std::string& value);

    bool WriteInt32(std::int32_t value);
    bool WriteByte(std::uint8_t value);
    bool WritePackedInt(std::int32_t value);
    // Longer strings are cut to the 255 characters a length byte can count.
    bool WritePackedString(std::string_view value);

private:
    bool reserve(std::int64_t size);

    std::unique_ptr<char[]> block_;
    std::int32_t size_ = 0, position_ = 0, capacity_ = 0;
};

}  // namespace roadsum
