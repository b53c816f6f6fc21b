#include "crash/debuginfo/container.h"

#include "crash/archive/compressed_string.h"
#include "crash/common/little_endian.h"

namespace roadsum {

namespace {

constexpr std::size_t kHeaderSize = 20;  // length, version, two identification words, flags

std::uint32_t word_at(std::string_view data, std::size_t at) {
    return get_le32(reinterpret_cast<const std::uint8_t*>(data.data() + at));
}

void append_dollar_hex(std::string& out, std::uint32_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    out += '$';
    for (int shift = 28; shift >= 0; shift -= 4) out += kDigits[(value >> shift) & 0xF];
}

}  // namespace

std::string debug_identification(std::uint32_t total_length, std::uint32_t id1, std::uint32_t id2) {
    std::string text;
    append_dollar_hex(text, total_length);
    text += ", ";
    append_dollar_hex(text, id1);
    text += ", ";
    append_dollar_hex(text, id2);
    return text;
}

std::string DebugContainer::identification() const { return debug_identification(total_length, id1, id2); }

void cipher_debug_body(std::string& body) {
    // An xorshift key stream seeded from the length: enough to keep the names out of plain
    // sight in the executable, cheap to undo.
    std::uint32_t state = static_cast<std::uint32_t>(body.size()) * 0x9E3779B1u ^ 0x4E4F5845u;  // "NOXE"
    if (state == 0) state = 0x4E4F5845u;
    for (char& c : body) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        c = static_cast<char>(static_cast<std::uint8_t>(c) ^ static_cast<std::uint8_t>(state >> 24));
    }
}

std::optional<DebugContainer> read_debug_container(std::string_view data) {
    const std::size_t sig = kDebugContainerSignature.size();
    if (data.size() <= sig + 8 || data.substr(0, sig) != kDebugContainerSignature) return std::nullopt;
    const std::string_view rest = data.substr(sig);
    DebugContainer c;
    const std::uint32_t body_length = word_at(rest, 0);
    c.version = static_cast<std::int32_t>(word_at(rest, 4));
    if (c.version != 2 && c.version != 3) return std::nullopt;
    const std::size_t body_at = c.version == 3 ? kHeaderSize : 8;
    // The identification words and flags sit at 8 to 20 in both versions; a container too
    // short for them cannot hold a valid body either.
    if (rest.size() < kHeaderSize || body_length > rest.size() - body_at) return std::nullopt;
    c.id1 = word_at(rest, 8);
    c.id2 = word_at(rest, 12);
    c.flags = word_at(rest, 16);
    c.total_length = static_cast<std::uint32_t>(data.size());
    std::string body(rest.substr(body_at, body_length));
    cipher_debug_body(body);
    c.stream = uncompress_string(body);
    if (c.stream.empty()) return std::nullopt;
    return c;
}

std::string write_debug_container(std::string_view stream, std::uint32_t id1, std::uint32_t id2, std::uint32_t flags) {
    std::string body = compress_string(stream);
    if (body.empty()) return {};
    cipher_debug_body(body);
    std::string out(kDebugContainerSignature);
    out += le32_bytes(static_cast<std::uint32_t>(body.size()));
    out += le32_bytes(3);
    out += le32_bytes(id1);
    out += le32_bytes(id2);
    out += le32_bytes(flags);
    out += body;
    return out;
}

}  // namespace roadsum
