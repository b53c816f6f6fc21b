#include "crash/x86/operand_token.h"

namespace roadsum::x86 {

namespace {

struct Named {
    std::string_view name;
    Token token;
};

constexpr Named kTokens[] = {
    {"AL", Token::kAL},   {"CL", Token::kCL},   {"DX", Token::kDX},   {"AX", Token::kAX},
    {"eAX", Token::kEAX}, {"ST0", Token::kST0}, {"STi", Token::kSTi}, {"%seg", Token::kSegOpcode},
    {"1", Token::kOne},   {"Zb", Token::kZb},   {"Zv", Token::kZv},   {"Zd", Token::kZd},
    {"Eb", Token::kEb},   {"Ew", Token::kEw},   {"Ed", Token::kEd},   {"Ev", Token::kEv},
    {"Edw", Token::kEdw}, {"Q", Token::kQ},     {"Qx", Token::kQx},   {"Qdx", Token::kQdx},   {"W", Token::kW},
    {"Wo", Token::kWo},   {"Wq", Token::kWq},   {"Wd", Token::kWd},   {"Rd", Token::kRd},
    {"Rv", Token::kRv},   {"Rw", Token::kRw},   {"N", Token::kN},     {"Nx", Token::kNx},
    {"U", Token::kU},     {"M", Token::kM},     {"Mb", Token::kMb},   {"Mw", Token::kMw},
    {"Md", Token::kMd},   {"Mq", Token::kMq},   {"Mt", Token::kMt},   {"Mo", Token::kMo},
    {"Mp", Token::kMp},   {"Ms", Token::kMs},   {"Ma", Token::kMa},   {"Gb", Token::kGb},
    {"Gw", Token::kGw},   {"Gd", Token::kGd},   {"Gv", Token::kGv},   {"Sw", Token::kSw},
    {"Cd", Token::kCd},   {"Dd", Token::kDd},   {"P", Token::kP},     {"Px", Token::kPx},
    {"V", Token::kV},     {"Ib", Token::kIb},   {"sIb", Token::kSIb}, {"Iw", Token::kIw},
    {"Iz", Token::kIz},   {"Jb", Token::kJb},   {"Jz", Token::kJz},   {"Ap", Token::kAp},
    {"Ob", Token::kOb},   {"Ov", Token::kOv},
};

}  // namespace

Token parse_token(std::string_view text) {
    for (const Named& t : kTokens)
        if (t.name == text) return t.token;
    return Token::kInvalid;
}

bool uses_modrm(Token token) {
    switch (token) {
    case Token::kSTi:
    case Token::kEb: case Token::kEw: case Token::kEd: case Token::kEv: case Token::kEdw:
    case Token::kQ: case Token::kQx: case Token::kQdx: case Token::kW: case Token::kWo: case Token::kWq: case Token::kWd:
    case Token::kRd: case Token::kRv: case Token::kRw: case Token::kN: case Token::kNx: case Token::kU:
    case Token::kM: case Token::kMb: case Token::kMw: case Token::kMd: case Token::kMq: case Token::kMt:
    case Token::kMo: case Token::kMp: case Token::kMs: case Token::kMa:
    case Token::kGb: case Token::kGw: case Token::kGd: case Token::kGv: case Token::kSw: case Token::kCd:
    case Token::kDd: case Token::kP: case Token::kPx: case Token::kV:
        return true;
    default:
        return false;
    }
}

}  // namespace roadsum::x86
