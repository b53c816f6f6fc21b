// The working records of one trace: a candidate per stack value, and the links between a
// caller's candidate and the candidates inside the function it called.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace roadsum {

struct TStackLink {
    std::int32_t LinkedItem = -1;  // the other item; -1 for none
    std::uint32_t CodeAddress = 0;  // of the call instruction; 0 when unknown
    bool HasTarget = false;         // a direct call with a known target
    std::uint32_t Target = 0;
    std::int32_t FunctionIndex = -1;  // into the function cache
    std::uint32_t MemoLow = 0, MemoHigh = 0;  // the chain score; 0 until evaluated

    std::uint64_t Memo() const { return std::uint64_t{MemoHigh} << 32 | MemoLow; }
    void SetMemo(std::uint64_t score) {
        MemoLow = static_cast<std::uint32_t>(score);
        MemoHigh = static_cast<std::uint32_t>(score >> 32);
    }
};

struct TStackLinkList {
    std::vector<TStackLink> Links;  // room for 8 at first, doubling
    std::int32_t Chosen = -1;

    std::int32_t Count() const { return static_cast<std::int32_t>(Links.size()); }
    void Add(const TStackLink& link) {
        if (Links.size() == Links.capacity()) Links.reserve(Links.empty() ? 8 : Links.capacity() * 2);
        Links.push_back(link);
    }
};

struct TStackLinks {
    TStackLinkList Down;  // items inside the function this item called
    TStackLinkList Up;    // the function this item lies in, with the item that called it
};

struct TInternalStackItem {
    std::uint32_t Address = 0;  // the return address; for a top item the end of its instruction
    bool Sure = false;
    bool Top = false;
    std::int32_t ModuleIndex = -1;
    TStackLinks Links;
    bool Hidden = false;

    // Working values of the analysis.
    bool Invalidated = false;         // rejected with all its links
    std::uint32_t CodeAddress = 0;    // a top item's own address (the faulting instruction)
    std::uint32_t AllocationBase = 0;
    std::int32_t ProbeLine = 0x7FFFFFFF;  // the line at Address - 1, once looked up

    // Filled by the final output.
    std::uint32_t FinalAddress = 0;
    std::string ModuleName, UnitName, FunctionName;
    std::int32_t Line = 0;
    std::uint32_t FunctionStart = 0;
    std::int32_t AbsLine = 0;
};

}  // namespace roadsum
