#include "crash/settings/password.h"

#include <cstdint>

#include "crash/common/text_lists.h"

namespace roadsum {

namespace {

class KeyStream {
public:
    KeyStream(std::string_view account, std::string_view server) {
        std::uint32_t h = 2166136261u;  // FNV-1a over account, a zero byte, server
        auto mix = [&h](unsigned char c) { h = (h ^ c) * 16777619u; };
        for (char c : account) mix(static_cast<unsigned char>(c));
        mix(0);
        for (char c : server) mix(static_cast<unsigned char>(c));
        state_ = (h ^ 0x9E3779B9u) ? (h ^ 0x9E3779B9u) : 1u;
    }

    std::uint8_t next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return static_cast<std::uint8_t>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

constexpr std::uint8_t kChainStart = 0xA5;

std::uint8_t check_byte(std::string_view clear) {
    std::uint32_t sum = static_cast<std::uint32_t>(clear.size());
    for (char c : clear) sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum ^ 0x5A);
}

}  // namespace

std::string encipher_password(std::string_view clear, std::string_view account, std::string_view server) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    KeyStream keys(account, server);
    std::string plain(clear);
    plain.push_back(static_cast<char>(check_byte(clear)));
    std::string out;
    std::uint8_t previous = kChainStart;
    for (char c : plain) {
        // Chaining on the previous enciphered byte hides repeated characters.
        auto e = static_cast<std::uint8_t>(static_cast<unsigned char>(c) ^ keys.next() ^ previous);
        out.push_back(kHex[e >> 4]);
        out.push_back(kHex[e & 15]);
        previous = e;
    }
    return out;
}

std::optional<std::string> decipher_password(std::string_view stored, std::string_view account,
                                             std::string_view server) {
    if (stored.empty() || stored.size() % 2 != 0) return std::nullopt;
    KeyStream keys(account, server);
    std::string plain;
    std::uint8_t previous = kChainStart;
    for (std::size_t i = 0; i < stored.size(); i += 2) {
        int high = hex_digit_value(stored[i]), low = hex_digit_value(stored[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        auto e = static_cast<std::uint8_t>(high * 16 + low);
        plain.push_back(static_cast<char>(e ^ keys.next() ^ previous));
        previous = e;
    }
    auto check = static_cast<std::uint8_t>(plain.back());
    plain.pop_back();
    if (check != check_byte(plain)) return std::nullopt;
    return plain;
}

}  // namespace roadsum
