// The stack tracer over a fake address space filled from the input: random stack contents,
// garbage return addresses, pointers into unmapped memory, frame chains that refer to
// themselves, and a module whose code is the input's own bytes. The trace must neither crash
// nor hang, and what it delivers must agree with its text.
//
// Input: a parameter byte and a frame byte, then 5-byte stack entries (a selector and a
// value) up to the byte 0xFE 0xFE, then the code of the garbage module.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "crash/stack/raw_stack.h"
#include "crash/stack/stack_tracer.h"
#include "fake_address_space.h"
#include "stack_image.h"
#include "synthetic_module.h"

namespace {

using namespace roadsum;
using namespace roadsum::testing;

constexpr std::uint32_t kGarbageBase = 0x00600000;
constexpr std::size_t kMaxEntries = 2048;

struct World {
    FakeAddressSpace space;
    CallChain chain;
    std::uint32_t code_start = 0;
};

void build_module(World& w) {
    SyntheticModule m("C:\\Fuzz.exe", 0x00400000, 0x2000);
    w.chain = BuildCallChain(m, 24, m.CodeStart());
    // A function calling itself, and one calling through a register.
    const std::uint32_t r = m.BeginFunction("@Fuzz@Recurse$qqrv", "Fuzz", m.CodeStart() + 0x400);
    m.Prologue(500);
    w.chain.returns.push_back(m.Call(r, 501));
    m.Epilogue(502);
    m.BeginFunction("@Fuzz@Indirect$qqrv", "Fuzz", m.CodeStart() + 0x480);
    m.Prologue(600);
    w.chain.returns.push_back(m.CallIndirect(601));
    m.Epilogue(602);
    m.MapInto(w.space);
    w.code_start = m.CodeStart();
}

void build_garbage_module(World& w, const std::uint8_t* code, std::size_t size) {
    SyntheticModule m("C:\\Garbage.dll", kGarbageBase, 0x1000);
    m.BeginFunction("@Garbage@First$qqrv", "Garbage", m.CodeStart());
    m.Emit(std::vector<std::uint8_t>(code, code + std::min<std::size_t>(size, 0x800)), 1);
    m.BeginFunction("@Garbage@Second$qqrv", "Garbage", m.CodeStart() + 0x800);
    m.MapInto(w.space, size % 2 == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const std::uint8_t params = data[0], frame_byte = data[1];
    std::size_t at = 2;
    World w;
    build_module(w);

    StackImage stack(0x00130000, 0x4000);
    std::vector<std::uint32_t> values;
    std::vector<std::uint8_t> sure;
    while (at + 5 <= size && values.size() < kMaxEntries && !(data[at] == 0xFE && data[at + 1] == 0xFE)) {
        const std::uint8_t selector = data[at];
        const std::uint32_t v = data[at + 1] | data[at + 2] << 8 | data[at + 3] << 16 | static_cast<std::uint32_t>(data[at + 4]) << 24;
        at += 5;
        const std::uint32_t slot = stack.High() - 4 * static_cast<std::uint32_t>(values.size() + 1);
        std::uint32_t value = v;
        switch (selector % 8) {
        case 1: value = w.chain.returns[v % w.chain.returns.size()]; break;
        case 2: value = w.code_start + v % 0x2000; break;
        case 3: value = stack.High() - 4 - v % 0x4000; break;              // into the stack, maybe a frame chain
        case 4: value = 0x80000000u | v; break;                           // unmapped
        case 5: value = slot; break;                                       // refers to itself
        case 6: value = kGarbageBase + 0x1000 + v % 0x1000; break;         // into the garbage code
        case 7: value = slot + 4 * (1 + v % 16); break;                    // a frame pointer upwards
        default: break;
        }
        values.push_back(value);
        sure.push_back(selector >> 7);
    }
    if (at + 2 <= size) at += 2;
    build_garbage_module(w, data + at, size - at);
    for (std::uint32_t v : values) stack.Push(v);
    stack.MapInto(w.space);

    TraceStackOptions o;
    TStackTrace trace;
    std::uint32_t crc1 = 0, crc2 = 0, exception_address = 0, function = 0, within = 0;
    bool has_lines = false;
    std::vector<std::string> min_debug_infos;
    std::vector<TDAPreStackItem> prepared(1);
    o.StackTrace = &trace;
    o.Crc1 = &crc1;
    o.Crc2 = &crc2;
    o.HasLineInfo = &has_lines;
    o.ExceptionAddress = &exception_address;
    o.ExceptionFunction = &function;
    o.ExceptionFunctionAddress = &within;
    o.MinDebugInfos = &min_debug_infos;
    o.HideUglyItems = params & 1;
    o.ShowRelAddrs = params & 2;
    o.ShowRelLines = params & 4;
    o.IsException = params & 8;
    o.ExternalException = params & 16;
    o.SimpleTrace = params & 32;
    o.CreatorAddress = params & 64 ? w.chain.entries.front() : 0;
    o.CurrentAddress = values.empty() ? w.chain.entries.back() : values[frame_byte % values.size()];
    o.FramePointer = stack.High() - 4 * (1 + frame_byte % (values.size() + 1));
    if (params & 128) {
        for (std::size_t i = 0; i < values.size(); ++i) {
            TDAPreStackItem e;
            e.Sure = sure[i];
            e.set_address(values[i]);
            prepared.push_back(e);
        }
        o.PreparedStack = PrepareStack(prepared);
    } else {
        o.StackLow = stack.Low() - (frame_byte & 1 ? 0x8000 : 0);  // sometimes reaching unmapped memory
        o.StackHigh = stack.High();
    }

    StackCaches caches;
    const std::string text = TraceStack(w.space, caches, o);
    // Every delivered entry is one printed line.
    std::size_t lines = text.empty() ? 0 : 1;
    for (std::size_t i = 0; i + 1 < text.size(); ++i) lines += text[i] == '\r' && text[i + 1] == '\n';
    if (text.rfind(">> internal error in ", 0) == 0 || lines != trace.size()) std::abort();

    // The same stack collected first and traced from its record must not fail either.
    std::vector<TDAPreStackItem> raw;
    CollectRawStack(w.space.Memory(), o.FramePointer, stack.High(), stack.Low(), o.IsException, o.CurrentAddress, raw);
    TraceStackOptions again = o;
    again.PreparedStack = PrepareStack(raw);
    TStackTrace second;
    again.StackTrace = &second;
    if (TraceStack(w.space, caches, again).rfind(">> internal error in ", 0) == 0) std::abort();
    return 0;
}
