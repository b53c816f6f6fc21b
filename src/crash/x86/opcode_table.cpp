// The opcode maps, row by row as the processor manual lays them out (see x86_opcode_table.h
// for the notation).
#include "crash/x86/opcode_table.h"

namespace roadsum::x86 {

namespace {
constexpr OpcodeEntry kPfx{"", "", kPrefix};
constexpr OpcodeEntry kBad{"", "", 0};
constexpr const char* kGroup1 = "add|or|adc|sbb|and|sub|xor|cmp";
constexpr const char* kGroup2 = "rol|ror|rcl|rcr|shl|shr|sal|sar";
// Lock masks of the groups: all of group 1 but cmp; not and neg; inc and dec; bts, btr and btc
// by immediate; cmpxchg8b.
constexpr std::uint8_t kGroup1Lock = 0x7F;
constexpr std::uint8_t kNotNegLock = 1 << 2 | 1 << 3;
constexpr std::uint8_t kIncDecLock = 1 << 0 | 1 << 1;
constexpr std::uint8_t kBtsBtrBtcLock = 1 << 5 | 1 << 6 | 1 << 7;
constexpr std::uint8_t kCmpxchg8bLock = 1 << 1;
}  // namespace

const OpcodeEntry kOneByteMap[256] = {
    // 0x00
    {"add", "Eb,Gb", 0, kLockAny}, {"add", "Ev,Gv", 0, kLockAny}, {"add", "Gb,Eb", 0}, {"add", "Gv,Ev", 0},
    {"add", "AL,Ib", 0}, {"add", "eAX,Iz", 0}, {"push", "%seg", 0}, {"pop", "%seg", 0},
    {"or", "Eb,Gb", 0, kLockAny}, {"or", "Ev,Gv", 0, kLockAny}, {"or", "Gb,Eb", 0}, {"or", "Gv,Ev", 0},
    {"or", "AL,Ib", 0}, {"or", "eAX,Iz", 0}, {"push", "%seg", 0}, {"", "", kEscape},
    // 0x10
    {"adc", "Eb,Gb", 0, kLockAny}, {"adc", "Ev,Gv", 0, kLockAny}, {"adc", "Gb,Eb", 0}, {"adc", "Gv,Ev", 0},
    {"adc", "AL,Ib", 0}, {"adc", "eAX,Iz", 0}, {"push", "%seg", 0}, {"pop", "%seg", 0},
    {"sbb", "Eb,Gb", 0, kLockAny}, {"sbb", "Ev,Gv", 0, kLockAny}, {"sbb", "Gb,Eb", 0}, {"sbb", "Gv,Ev", 0},
    {"sbb", "AL,Ib", 0}, {"sbb", "eAX,Iz", 0}, {"push", "%seg", 0}, {"pop", "%seg", 0},
    // 0x20
    {"and", "Eb,Gb", 0, kLockAny}, {"and", "Ev,Gv", 0, kLockAny}, {"and", "Gb,Eb", 0}, {"and", "Gv,Ev", 0},
    {"and", "AL,Ib", 0}, {"and", "eAX,Iz", 0}, kPfx, {"daa", "", 0},
    {"sub", "Eb,Gb", 0, kLockAny}, {"sub", "Ev,Gv", 0, kLockAny}, {"sub", "Gb,Eb", 0}, {"sub", "Gv,Ev", 0},
    {"sub", "AL,Ib", 0}, {"sub", "eAX,Iz", 0}, kPfx, {"das", "", 0},
    // 0x30
    {"xor", "Eb,Gb", 0, kLockAny}, {"xor", "Ev,Gv", 0, kLockAny}, {"xor", "Gb,Eb", 0}, {"xor", "Gv,Ev", 0},
    {"xor", "AL,Ib", 0}, {"xor", "eAX,Iz", 0}, kPfx, {"aaa", "", 0},
    {"cmp", "Eb,Gb", 0}, {"cmp", "Ev,Gv", 0}, {"cmp", "Gb,Eb", 0}, {"cmp", "Gv,Ev", 0},
    {"cmp", "AL,Ib", 0}, {"cmp", "eAX,Iz", 0}, kPfx, {"aas", "", 0},
    // 0x40
    {"inc", "Zv", 0}, {"inc", "Zv", 0}, {"inc", "Zv", 0}, {"inc", "Zv", 0},
    {"inc", "Zv", 0}, {"inc", "Zv", 0}, {"inc", "Zv", 0}, {"inc", "Zv", 0},
    {"dec", "Zv", 0}, {"dec", "Zv", 0}, {"dec", "Zv", 0}, {"dec", "Zv", 0},
    {"dec", "Zv", 0}, {"dec", "Zv", 0}, {"dec", "Zv", 0}, {"dec", "Zv", 0},
    // 0x50
    {"push", "Zv", 0}, {"push", "Zv", 0}, {"push", "Zv", 0}, {"push", "Zv", 0},
    {"push", "Zv", 0}, {"push", "Zv", 0}, {"push", "Zv", 0}, {"push", "Zv", 0},
    {"pop", "Zv", 0}, {"pop", "Zv", 0}, {"pop", "Zv", 0}, {"pop", "Zv", 0},
    {"pop", "Zv", 0}, {"pop", "Zv", 0}, {"pop", "Zv", 0}, {"pop", "Zv", 0},
    // 0x60
    {"pushad/pusha", "", 0}, {"popad/popa", "", 0}, {"bound", "Gv,Ma", 0}, {"arpl", "Ew,Gw", 0},
    kPfx, kPfx, kPfx, kPfx,
    {"push", "Iz", 0}, {"imul", "Gv,Ev,Iz", 0}, {"push", "sIb", 0}, {"imul", "Gv,Ev,sIb", 0},
    {"insb", "", kString}, {"insd/insw", "", kString}, {"outsb", "", kString}, {"outsd/outsw", "", kString},
    // 0x70
    {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump},
    {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump},
    {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump},
    {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump}, {"j%cc", "Jb", kCondJump},
    // 0x80
    {kGroup1, "Eb,Ib", 0, kGroup1Lock}, {kGroup1, "Ev,Iz", 0, kGroup1Lock},
    {kGroup1, "Eb,Ib", 0, kGroup1Lock}, {kGroup1, "Ev,sIb", 0, kGroup1Lock},
    {"test", "Eb,Gb", 0}, {"test", "Ev,Gv", 0}, {"xchg", "Eb,Gb", 0, kLockAny}, {"xchg", "Ev,Gv", 0, kLockAny},
    {"mov", "Eb,Gb", 0}, {"mov", "Ev,Gv", 0}, {"mov", "Gb,Eb", 0}, {"mov", "Gv,Ev", 0},
    {"mov", "Rv,Sw:Mw,Sw", 0}, {"lea", "Gv,M", 0}, {"mov||mov|mov|mov|mov||", "Sw,Ew", 0}, {"pop|||||||", "Ev", 0},
    // 0x90
    {"nop///pause", "", 0}, {"xchg", "Zv,eAX", 0}, {"xchg", "Zv,eAX", 0}, {"xchg", "Zv,eAX", 0},
    {"xchg", "Zv,eAX", 0}, {"xchg", "Zv,eAX", 0}, {"xchg", "Zv,eAX", 0}, {"xchg", "Zv,eAX", 0},
    {"cwde/cbw", "", 0}, {"cdq/cwd", "", 0}, {"call", "Ap", kCall | kFar}, {"wait", "", 0},
    {"pushfd/pushf", "", 0}, {"popfd/popf", "", 0}, {"sahf", "", 0}, {"lahf", "", 0},
    // 0xA0
    {"mov", "AL,Ob", 0}, {"mov", "eAX,Ov", 0}, {"mov", "Ob,AL", 0}, {"mov", "Ov,eAX", 0},
    {"movsb", "", kString}, {"movsd/movsw", "", kString}, {"cmpsb", "", kString}, {"cmpsd/cmpsw", "", kString},
    {"test", "AL,Ib", 0}, {"test", "eAX,Iz", 0}, {"stosb", "", kString}, {"stosd/stosw", "", kString},
    {"lodsb", "", kString}, {"lodsd/lodsw", "", kString}, {"scasb", "", kString}, {"scasd/scasw", "", kString},
    // 0xB0
    {"mov", "Zb,Ib", 0}, {"mov", "Zb,Ib", 0}, {"mov", "Zb,Ib", 0}, {"mov", "Zb,Ib", 0},
    {"mov", "Zb,Ib", 0}, {"mov", "Zb,Ib", 0}, {"mov", "Zb,Ib", 0}, {"mov", "Zb,Ib", 0},
    {"mov", "Zv,Iz", 0}, {"mov", "Zv,Iz", 0}, {"mov", "Zv,Iz", 0}, {"mov", "Zv,Iz", 0},
    {"mov", "Zv,Iz", 0}, {"mov", "Zv,Iz", 0}, {"mov", "Zv,Iz", 0}, {"mov", "Zv,Iz", 0},
    // 0xC0
    {kGroup2, "Eb,Ib", 0}, {kGroup2, "Ev,Ib", 0}, {"ret", "Iw", kReturn}, {"ret", "", kReturn},
    {"les", "Gv,Mp", 0}, {"lds", "Gv,Mp", 0}, {"mov|||||||", "Eb,Ib", 0}, {"mov|||||||", "Ev,Iz", 0},
    {"enter", "Iw,Ib", 0}, {"leave", "", 0}, {"retf", "Iw", kReturn | kFar}, {"retf", "", kReturn | kFar},
    {"int3", "", 0}, {"int", "Ib", 0}, {"into", "", 0}, {"iretd/iret", "", kReturn | kFar},
    // 0xD0
    {kGroup2, "Eb,1", 0}, {kGroup2, "Ev,1", 0}, {kGroup2, "Eb,CL", 0}, {kGroup2, "Ev,CL", 0},
    {"aam", "Ib", 0}, {"aad", "Ib", 0}, {"salc", "", 0}, {"xlatb", "", 0},
    {"", "", kX87}, {"", "", kX87}, {"", "", kX87}, {"", "", kX87},
    {"", "", kX87}, {"", "", kX87}, {"", "", kX87}, {"", "", kX87},
    // 0xE0
    {"loopne", "Jb", kCondJump}, {"loope", "Jb", kCondJump}, {"loop", "Jb", kCondJump},
    {"jecxz/jcxz", "Jb", kCondJump | kAddrVariant},
    {"in", "AL,Ib", 0}, {"in", "eAX,Ib", 0}, {"out", "Ib,AL", 0}, {"out", "Ib,eAX", 0},
    {"call", "Jz", kCall}, {"jmp", "Jz", kJump}, {"jmp", "Ap", kJump | kFar}, {"jmp", "Jb", kJump},
    {"in", "AL,DX", 0}, {"in", "eAX,DX", 0}, {"out", "DX,AL", 0}, {"out", "DX,eAX", 0},
    // 0xF0
    kPfx, {"int1", "", 0}, kPfx, kPfx,
    {"hlt", "", 0}, {"cmc", "", 0},
    {"test|test|not|neg|mul|imul|div|idiv", "Eb,Ib|Eb,Ib|Eb|Eb|Eb|Eb|Eb|Eb", 0, kNotNegLock},
    {"test|test|not|neg|mul|imul|div|idiv", "Ev,Iz|Ev,Iz|Ev|Ev|Ev|Ev|Ev|Ev", 0, kNotNegLock},
    {"clc", "", 0}, {"stc", "", 0}, {"cli", "", 0}, {"sti", "", 0},
    {"cld", "", 0}, {"std", "", 0}, {"inc|dec||||||", "Eb", 0, kIncDecLock},
    {"inc|dec|call|call|jmp|jmp|push|", "Ev|Ev|Ev|Mp|Ev|Mp|Ev|", kGroupFF, kIncDecLock},
};

const OpcodeEntry kTwoByteMap[256] = {
    // 0x0F 0x00
    {"sldt|str|lldt|ltr|verr|verw||", "Rv:Mw|Rv:Mw|Ew|Ew|Ew|Ew||", 0},
    {"sgdt|sidt|lgdt|lidt|smsw||lmsw|invlpg||monitor-mwait|||smsw||lmsw|", "Ms|Ms|Ms|Ms|Mw||Mw|M|||||Rv||Rw|", 0},
    {"lar", "Gv,Ew", 0}, {"lsl", "Gv,Ew", 0},
    kBad, {"syscall", "", 0}, {"clts", "", 0}, {"sysret", "", 0},
    {"invd", "", 0}, {"wbinvd", "", 0}, kBad, {"ud2", "", 0},
    kBad, {"prefetch|prefetchw||||||", "M", 0}, {"femms", "", 0}, {"3dnow", "P,Q", kThreeDNow},
    // 0x0F 0x10
    {"movuPS//movPS/movPS", "V,W", 0},
    {"movuPS//movPS/movPS", "W,V", 0},
    {"movhlPS:movlPS/:movlPS/movddup/movsldup", "V,U:V,Mq/V,Mq/V,Wq/V,Wo", 0},
    {"movlps/movlpd", "Mq,V", 0},
    {"unpcklps/unpcklpd", "V,Wo", 0},
    {"unpckhps/unpckhpd", "V,Wo", 0},
    {"movlhPS:movhPS/:movhPS//movshdup", "V,U:V,Mq/V,Mq//V,Wo", 0},
    {"movhps/movhpd", "Mq,V", 0},
    // The hint no-ops: every form but the four prefetches executes as a nop.
    {"nop:prefetchnta|nop:prefetcht0|nop:prefetcht1|nop:prefetcht2|nop|nop|nop|nop", "Ev:M|Ev:M|Ev:M|Ev:M|Ev|Ev|Ev|Ev", 0},
    {"nop", "Ev", 0}, {"nop", "Ev", 0}, {"nop", "Ev", 0},
    {"nop", "Ev", 0}, {"nop", "Ev", 0}, {"nop", "Ev", 0}, {"nop", "Ev", 0},
    // 0x0F 0x20
    {"mov", "Rd,Cd", 0}, {"mov", "Rd,Dd", 0}, {"mov", "Cd,Rd", 0}, {"mov", "Dd,Rd", 0},
    kBad, kBad, kBad, kBad,
    {"movaps/movapd", "V,Wo", 0},
    {"movaps/movapd", "Wo,V", 0},
    {"cvtpi2ps/cvtpi2pd/cvtsi2sd/cvtsi2ss", "V,Q/V,Q/V,Ed/V,Ed", 0},
    {"movntps/movntpd", "Mo,V", 0},
    {"cvttps2pi/cvttpd2pi/cvttsd2si/cvttss2si", "P,Wq/P,Wo/Gd,Wq/Gd,Wd", 0},
    {"cvtps2pi/cvtpd2pi/cvtsd2si/cvtss2si", "P,Wq/P,Wo/Gd,Wq/Gd,Wd", 0},
    {"ucomiss/ucomisd", "V,Wd/V,Wq", 0},
    {"comiss/comisd", "V,Wd/V,Wq", 0},
    // 0x0F 0x30
    {"wrmsr", "", 0}, {"rdtsc", "", 0}, {"rdmsr", "", 0}, {"rdpmc", "", 0},
    {"sysenter", "", 0}, {"sysexit", "", 0}, kBad, kBad,
    kBad, kBad, kBad, kBad, kBad, kBad, kBad, kBad,
    // 0x0F 0x40
    {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0},
    {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0},
    {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0},
    {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0}, {"cmov%cc", "Gv,Ev", 0},
    // 0x0F 0x50
    {"movmskps/movmskpd", "Gd,U", 0},
    {"sqrtPS", "V,W", 0},
    {"rsqrtps///rsqrtss", "V,W", 0},
    {"rcpps///rcpss", "V,W", 0},
    {"andps/andpd", "V,Wo", 0},
    {"andnps/andnpd", "V,Wo", 0},
    {"orps/orpd", "V,Wo", 0},
    {"xorps/xorpd", "V,Wo", 0},
    {"addPS", "V,W", 0},
    {"mulPS", "V,W", 0},
    {"cvtps2pd/cvtpd2ps/cvtsd2ss/cvtss2sd", "V,Wq/V,Wo/V,Wq/V,Wd", 0},
    {"cvtdq2ps/cvtps2dq//cvttps2dq", "V,Wo", 0},
    {"subPS", "V,W", 0},
    {"minPS", "V,W", 0},
    {"divPS", "V,W", 0},
    {"maxPS", "V,W", 0},
    // 0x0F 0x60
    {"punpcklbw", "Px,Qdx", 0}, {"punpcklwd", "Px,Qdx", 0}, {"punpckldq", "Px,Qdx", 0}, {"packsswb", "Px,Qx", 0},
    {"pcmpgtb", "Px,Qx", 0}, {"pcmpgtw", "Px,Qx", 0}, {"pcmpgtd", "Px,Qx", 0}, {"packuswb", "Px,Qx", 0},
    {"punpckhbw", "Px,Qx", 0}, {"punpckhwd", "Px,Qx", 0}, {"punpckhdq", "Px,Qx", 0}, {"packssdw", "Px,Qx", 0},
    {"/punpcklqdq", "V,Wo", 0}, {"/punpckhqdq", "V,Wo", 0}, {"movd", "Px,Ed", 0},
    {"movq/movdqa//movdqu", "P,Q/V,Wo//V,Wo", 0},
    // 0x0F 0x70
    {"pshufw/pshufd/pshuflw/pshufhw", "P,Q,Ib/V,Wo,Ib/V,Wo,Ib/V,Wo,Ib", 0},
    {"||psrlw||psraw||psllw|", "Nx,Ib", 0},
    {"||psrld||psrad||pslld|", "Nx,Ib", 0},
    {"||psrlq|/psrldq|||psllq|/pslldq", "Nx,Ib|Nx,Ib|Nx,Ib|U,Ib|Nx,Ib|Nx,Ib|Nx,Ib|U,Ib", 0},
    {"pcmpeqb", "Px,Qx", 0}, {"pcmpeqw", "Px,Qx", 0}, {"pcmpeqd", "Px,Qx", 0}, {"emms", "", 0},
    kBad, kBad, kBad, kBad,
    {"/haddpd/haddps", "V,Wo", 0},
    {"/hsubpd/hsubps", "V,Wo", 0},
    {"movd/movd//movq", "Ed,Px/Ed,Px//V,Wq", 0},
    {"movq/movdqa//movdqu", "Q,P/Wo,V//Wo,V", 0},
    // 0x0F 0x80
    {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump},
    {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump},
    {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump},
    {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump}, {"j%cc", "Jz", kCondJump},
    // 0x0F 0x90
    {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0},
    {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0},
    {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0},
    {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0}, {"set%cc", "Eb", 0},
    // 0x0F 0xA0
    {"push", "%seg", 0}, {"pop", "%seg", 0}, {"cpuid", "", 0}, {"bt", "Ev,Gv", 0},
    {"shld", "Ev,Gv,Ib", 0}, {"shld", "Ev,Gv,CL", 0}, kBad, kBad,
    {"push", "%seg", 0}, {"pop", "%seg", 0}, {"rsm", "", 0}, {"bts", "Ev,Gv", 0, kLockAny},
    {"shrd", "Ev,Gv,Ib", 0}, {"shrd", "Ev,Gv,CL", 0},
    {"fxsave|fxrstor|ldmxcsr|stmxcsr||||clflush||||||lfence|mfence|sfence", "M|M|Md|Md||||Mb", 0},
    {"imul", "Gv,Ev", 0},
    // 0x0F 0xB0
    {"cmpxchg", "Eb,Gb", 0, kLockAny}, {"cmpxchg", "Ev,Gv", 0, kLockAny}, {"lss", "Gv,Mp", 0}, {"btr", "Ev,Gv", 0, kLockAny},
    {"lfs", "Gv,Mp", 0}, {"lgs", "Gv,Mp", 0}, {"movzx", "Gv,Eb", 0}, {"movzx", "Gv,Ew", 0},
    kBad, {"ud1", "Gv,Ev", 0}, {"||||bt|bts|btr|btc", "Ev,Ib", 0, kBtsBtrBtcLock}, {"btc", "Ev,Gv", 0, kLockAny},
    {"bsf", "Gv,Ev", 0}, {"bsr", "Gv,Ev", 0}, {"movsx", "Gv,Eb", 0}, {"movsx", "Gv,Ew", 0},
    // 0x0F 0xC0
    {"xadd", "Eb,Gb", 0, kLockAny}, {"xadd", "Ev,Gv", 0, kLockAny}, {"cmpPS", "V,W,Ib", 0}, {"movnti", "Md,Gd", 0},
    {"pinsrw", "Px,Edw,Ib", 0}, {"pextrw", "Gd,Nx,Ib", 0}, {"shufps/shufpd", "V,Wo,Ib", 0},
    {"|cmpxchg8b|||||||||||||rdrand|rdseed", "|Mq|||||||||||||Rv|Rv", 0, kCmpxchg8bLock},
    {"bswap", "Zd", 0}, {"bswap", "Zd", 0}, {"bswap", "Zd", 0}, {"bswap", "Zd", 0},
    {"bswap", "Zd", 0}, {"bswap", "Zd", 0}, {"bswap", "Zd", 0}, {"bswap", "Zd", 0},
    // 0x0F 0xD0
    {"/addsubpd/addsubps", "V,Wo", 0}, {"psrlw", "Px,Qx", 0}, {"psrld", "Px,Qx", 0}, {"psrlq", "Px,Qx", 0},
    {"paddq", "Px,Qx", 0}, {"pmullw", "Px,Qx", 0}, {"/movq/movdq2q/movq2dq", "/Wq,V/P,U/V,N", 0},
    {"pmovmskb", "Gd,Nx", 0},
    {"psubusb", "Px,Qx", 0}, {"psubusw", "Px,Qx", 0}, {"pminub", "Px,Qx", 0}, {"pand", "Px,Qx", 0},
    {"paddusb", "Px,Qx", 0}, {"paddusw", "Px,Qx", 0}, {"pmaxub", "Px,Qx", 0}, {"pandn", "Px,Qx", 0},
    // 0x0F 0xE0
    {"pavgb", "Px,Qx", 0}, {"psraw", "Px,Qx", 0}, {"psrad", "Px,Qx", 0}, {"pavgw", "Px,Qx", 0},
    {"pmulhuw", "Px,Qx", 0}, {"pmulhw", "Px,Qx", 0}, {"/cvttpd2dq/cvtpd2dq/cvtdq2pd", "/V,Wo/V,Wo/V,Wq", 0},
    {"movntq/movntdq", "Mq,P/Mo,V", 0},
    {"psubsb", "Px,Qx", 0}, {"psubsw", "Px,Qx", 0}, {"pminsw", "Px,Qx", 0}, {"por", "Px,Qx", 0},
    {"paddsb", "Px,Qx", 0}, {"paddsw", "Px,Qx", 0}, {"pmaxsw", "Px,Qx", 0}, {"pxor", "Px,Qx", 0},
    // 0x0F 0xF0
    {"//lddqu", "//V,Mo", 0}, {"psllw", "Px,Qx", 0}, {"pslld", "Px,Qx", 0}, {"psllq", "Px,Qx", 0},
    {"pmuludq", "Px,Qx", 0}, {"pmaddwd", "Px,Qx", 0}, {"psadbw", "Px,Qx", 0},
    {"maskmovq/maskmovdqu", "P,N/V,U", 0},
    {"psubb", "Px,Qx", 0}, {"psubw", "Px,Qx", 0}, {"psubd", "Px,Qx", 0}, {"psubq", "Px,Qx", 0},
    {"paddb", "Px,Qx", 0}, {"paddw", "Px,Qx", 0}, {"paddd", "Px,Qx", 0}, {"ud0", "Gv,Ev", 0},
};

const OpcodeEntry kX87Map[8] = {
    // 0xD8: single-real memory operands; st(0) with st(i)
    {"add|mul|com|comp|sub|subr|div|divr|add|mul|com|comp|sub|subr|div|divr",
     "Md|Md|Md|Md|Md|Md|Md|Md|ST0,STi|ST0,STi|STi|STi|ST0,STi|ST0,STi|ST0,STi|ST0,STi", kX87},
    // 0xD9: loads, stores, control; constants and transcendentals
    {"ld||st|stp|ldenv|ldcw|nstenv|nstcw|ld|xch|nop-------||chs-abs---tst-xam--|ld1-ldl2t-ldl2e-ldpi-ldlg2-ldln2-ldz-|"
     "2xm1-yl2x-ptan-patan-xtract-prem1-decstp-incstp|prem-yl2xp1-sqrt-sincos-rndint-scale-sin-cos",
     "Md||Md|Md|M|Mw|M|Mw|STi|STi||||||", kX87},
    // 0xDA: dword integers; conditional moves
    {"iadd|imul|icom|icomp|isub|isubr|idiv|idivr|cmovb|cmove|cmovbe|cmovu||-ucompp------||",
     "Md|Md|Md|Md|Md|Md|Md|Md|ST0,STi|ST0,STi|ST0,STi|ST0,STi||||", kX87},
    // 0xDB: dword integers, extended real; conditional moves, control
    {"ild|isttp|ist|istp||ld||stp|cmovnb|cmovne|cmovnbe|cmovnu|--nclex-ninit----|ucomi|comi|",
     "Md|Md|Md|Md||Mt||Mt|ST0,STi|ST0,STi|ST0,STi|ST0,STi||ST0,STi|ST0,STi|", kX87},
    // 0xDC: double-real memory operands; st(i) with st(0)
    {"add|mul|com|comp|sub|subr|div|divr|add|mul|||subr|sub|divr|div",
     "Mq|Mq|Mq|Mq|Mq|Mq|Mq|Mq|STi,ST0|STi,ST0|||STi,ST0|STi,ST0|STi,ST0|STi,ST0", kX87},
    // 0xDD: double real, state; free, stores, unordered compares
    {"ld|isttp|st|stp|rstor||nsave|nstsw|free||st|stp|ucom|ucomp||",
     "Mq|Mq|Mq|Mq|M||M|Mw|STi||STi|STi|STi|STi||", kX87},
    // 0xDE: word integers; arithmetic with pop
    {"iadd|imul|icom|icomp|isub|isubr|idiv|idivr|addp|mulp||-compp------|subrp|subp|divrp|divp",
     "Mw|Mw|Mw|Mw|Mw|Mw|Mw|Mw|STi,ST0|STi,ST0|||STi,ST0|STi,ST0|STi,ST0|STi,ST0", kX87},
    // 0xDF: word and qword integers, packed decimal; status word, compares with pop
    {"ild|isttp|ist|istp|bld|ild|bstp|istp|||||nstsw-------|ucomip|comip|",
     "Mw|Mw|Mw|Mw|Mt|Mq|Mt|Mq|||||AX|ST0,STi|ST0,STi|", kX87},
};

const char* const kThreeDNowSuffixes[] = {
    "0c|pi2fw",   "0d|pi2fd",    "1c|pf2iw",   "1d|pf2id",    "8a|pfnacc",   "8e|pfpnacc",
    "90|pfcmpge", "94|pfmin",    "96|pfrcp",   "97|pfrsqrt",  "9a|pfsub",    "9e|pfadd",
    "a0|pfcmpgt", "a4|pfmax",    "a6|pfrcpit1", "a7|pfrsqit1", "aa|pfsubr",  "ae|pfacc",
    "b0|pfcmpeq", "b4|pfmul",    "b6|pfrcpit2", "b7|pmulhrw",  "bb|pswapd",  "bf|pavgusb",
};
const std::size_t kThreeDNowSuffixCount = sizeof kThreeDNowSuffixes / sizeof kThreeDNowSuffixes[0];

}  // namespace roadsum::x86
