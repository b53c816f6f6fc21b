// Operand tokens of the opcode tables ("Ev", "Gb", "Iz", ...), parsed into a kind the decoder
// switches on.
#pragma once

#include <cstdint>
#include <string_view>

namespace roadsum::x86 {

enum class Token : std::uint8_t {
    kInvalid,
    // fixed registers and literals
    kAL, kCL, kDX, kAX, kEAX, kST0, kSTi, kSegOpcode, kOne,
    // register from the opcode's low bits
    kZb, kZv, kZd,
    // ModRM rm: register or memory
    kEb, kEw, kEd, kEv, kEdw, kQ, kQx, kQdx, kW, kWo, kWq, kWd,
    // ModRM rm: register only
    kRd, kRv, kRw, kN, kNx, kU,
    // ModRM rm: memory only
    kM, kMb, kMw, kMd, kMq, kMt, kMo, kMp, kMs, kMa,
    // ModRM reg
    kGb, kGw, kGd, kGv, kSw, kCd, kDd, kP, kPx, kV,
    // immediates and targets
    kIb, kSIb, kIw, kIz, kJb, kJz, kAp, kOb, kOv,
};

// The token named by text; kInvalid for an unknown name.
Token parse_token(std::string_view text);

// True when the token needs the ModRM byte.
bool uses_modrm(Token token);

}  // namespace roadsum::x86
