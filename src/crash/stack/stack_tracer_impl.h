// The tracer's phases over its working records; each phase lives in its own file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "crash/stack/stack_tracer.h"
#include "crash/stack/trace_context.h"
#include "crash/stack/trace_items.h"

namespace roadsum {

class StackTracer {
public:
    StackTracer(const TraceProcess& process, StackCaches& caches, const TraceStackOptions& options);
    std::string Run();

private:
    struct Offered {
        std::uint32_t value = 0;
        bool as_top = false;
        bool prepared_sure = false;
        bool frame_slot = false;
    };

    // Phases. The first gives false when the stack range cannot be read.
    bool CollectPossibleStackItems();
    void RemoveRecursiveStackAreas() { RemoveRecursion(true); }
    void InDeepChecks();
    void RealizeOptimalLinkChains();
    void RemoveRecursiveAreas() { RemoveRecursion(false); }
    void FillFinalOutput();
    std::string ComposeResult();

    // Phase 1.
    bool Offer(const Offered& offered);
    std::optional<CallSite> DetermineFunction(std::uint32_t value, std::uint32_t address, std::uint32_t probe, bool top,
                                              std::int32_t module, std::int32_t& function);
    void AppendItem(TInternalStackItem item);

    // Phases 2 and 5: hides (and with invalidate, rejects) repeated recursion blocks.
    void RemoveRecursion(bool invalidate);

    // Phase 3.
    void CheckItem(std::size_t k);
    std::int32_t FirstApprovedCovering(std::uint32_t address);
    void LinkUpward(std::size_t k, const CallSite& call, bool approved);
    void TryLink(std::size_t k, std::size_t i, const CallSite& call, std::int32_t function, const CallSite& own);
    void Invalidate(std::size_t i);
    std::vector<std::size_t> ItemsReturningTo(const TStackFunction& function, std::size_t first, std::size_t last);

    // Phase 4.
    std::uint64_t ChainScore(std::int32_t start, bool down, std::int32_t goal);
    std::uint64_t LinkScore(std::int32_t item, const TStackLink& link, std::uint64_t continuing, bool all_functions);
    void Realize(std::int32_t start, bool down, std::int32_t goal);
    std::int32_t ProbeLine(std::int32_t item);

    // Shared.
    // The call in function that ends at the item's address; for a top item, its instruction
    // inside the function (or the raising call that it returns from).
    std::optional<CallSite> FindSite(std::int32_t function, std::uint32_t address, std::uint32_t code_address, bool top);
    bool IsRaiseRoutine(std::uint32_t target);
    bool OnInstructionBoundary(const TStackFunction& function, std::uint32_t address);
    bool Alive(const TStackLink& link) const;
    bool Aborted() const { return options_.Abort && options_.Abort->load(); }
    void Progress(int position) const;
    std::string InternalError(TracePhase phase);

    TraceContext context_;
    const TraceStackOptions& options_;
    std::vector<TInternalStackItem> items_;
    mutable int last_position_ = -1;
    std::vector<std::size_t> next_sure_;  // phase 3: the first sure item above each item
    std::unordered_map<std::uint32_t, std::vector<std::size_t>> by_address_;  // phase 3
};

}  // namespace roadsum
