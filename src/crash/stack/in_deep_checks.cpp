// Phase 3: each candidate is checked against the function it lies in, and the call it returns
// from is linked to the candidates inside the called function (upward linking).
#include <algorithm>

#include "crash/stack/stack_tracer_impl.h"
#include "crash/x86/decoder.h"

namespace roadsum {

namespace {

constexpr int kChecksBegin = 25, kChecksSpan = 625;
// A call is 2 to 7 bytes long.
constexpr std::uint32_t kLongestCall = 7, kShortestCall = 2;

}  // namespace

void StackTracer::Invalidate(std::size_t i) {
    TInternalStackItem& item = items_[i];
    item.Hidden = true;
    item.Invalidated = true;  // links to it from other items die with it
    item.Links.Up = {};
    item.Links.Down = {};
}

void StackTracer::TryLink(std::size_t k, std::size_t i, const CallSite& call, std::int32_t function, const CallSite& own) {
    if (function < 0 || !context_.Function(function).Approved) {
        // What the debug information (or an approved caller) says about item i wins over a guess:
        // a link without call data (the target was unknown) never replaces a known call.
        for (const TStackLink& l : items_[i].Links.Up.Links)
            if (Alive(l) && l.FunctionIndex >= 0 && context_.Function(l.FunctionIndex).Approved && l.CodeAddress != own.CodeAddress)
                return;
    }
    items_[i].Links.Up.Add({static_cast<std::int32_t>(k), own.CodeAddress, own.HasTarget, own.Target, function, 0, 0});
    items_[k].Links.Down.Add({static_cast<std::int32_t>(i), call.CodeAddress, call.HasTarget, call.Target, function, 0, 0});
}

std::vector<std::size_t> StackTracer::ItemsReturningTo(const TStackFunction& function, std::size_t first, std::size_t last) {
    std::vector<std::size_t> found;
    if (last - first + 1 <= function.CallsByReturn.size()) {
        for (std::size_t i = first; i <= last; ++i)
            if (function.CallsByReturn.count(items_[i].Address)) found.push_back(i);
    } else {
        for (const auto& [address, call] : function.CallsByReturn) {
            const auto it = by_address_.find(address);
            if (it == by_address_.end()) continue;
            const std::vector<std::size_t>& at = it->second;
            for (auto j = std::lower_bound(at.begin(), at.end(), first); j != at.end() && *j <= last; ++j) found.push_back(*j);
        }
        std::sort(found.begin(), found.end());
    }
    // The top item ends at its faulting instruction, not at a call.
    if (!items_.empty() && items_.back().Top && last == items_.size() - 1 &&
        (found.empty() || found.back() != last))
        found.push_back(last);
    return found;
}

void StackTracer::LinkUpward(std::size_t k, const CallSite& call, bool approved) {
    if (k + 1 >= items_.size()) return;
    const std::size_t first = k + 1, last = next_sure_[k];
    if (!call.HasTarget) {
        for (std::size_t i = first; i <= last; ++i)
            if (!items_[i].Hidden) TryLink(k, i, call, -1, CallSite{});
        return;
    }
    const auto register_function = [&](std::uint32_t entry) {
        return context_.RegisterFunction(entry, context_.FunctionNameAt(entry), context_.ModuleAt(entry), approved);
    };
    const std::int32_t target = register_function(call.Target);
    if (!context_.Function(target).Usable()) return;
    // The functions the call may have reached: its target, and where the target jumps on to
    // through a constant slot (an import thunk hands its caller's return to the import).
    std::vector<std::int32_t> reached{target};
    const std::vector<std::uint32_t> tails = context_.Function(target).TailTargets;
    for (std::uint32_t tail : tails)
        if (const std::int32_t f = register_function(tail); context_.Function(f).Usable()) reached.push_back(f);
    // A callee that jumps on where the analysis cannot see may have handed its return to any
    // of them.
    const bool jumps_on = context_.Function(target).UnknownTransfers;
    std::vector<std::size_t> candidates;
    if (jumps_on) {
        for (std::size_t i = first; i <= last; ++i) candidates.push_back(i);
    } else {
        for (std::int32_t f : reached) {
            const std::vector<std::size_t> found = ItemsReturningTo(context_.Function(f), first, last);
            candidates.insert(candidates.end(), found.begin(), found.end());
        }
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    }
    for (std::size_t i : candidates) {
        if (items_[i].Hidden) continue;
        bool linked = false;
        for (std::int32_t f : reached) {
            if (const auto own = FindSite(f, items_[i].Address, items_[i].CodeAddress, items_[i].Top)) {
                TryLink(k, i, call, f, *own);
                linked = true;
                break;
            }
        }
        if (!linked && jumps_on) TryLink(k, i, call, -1, CallSite{});
    }
}

std::int32_t StackTracer::FirstApprovedCovering(std::uint32_t address) {
    for (std::int32_t f : context_.Caches().ApprovedFunctions()) {
        const TStackFunction& function = context_.Function(f);
        if (!function.Usable() || address < function.Info.CodeStart || address - function.Info.CodeStart >= function.Info.CodeLength)
            continue;
        if (function.Covers(address)) return f;
    }
    return -1;
}

void StackTracer::CheckItem(std::size_t k) {
    // 1. The item lies in an approved function: that function's call is the one.
    const TStackLink* chosen = nullptr;
    for (const TStackLink& l : items_[k].Links.Up.Links)
        if (Alive(l) && l.FunctionIndex >= 0 && context_.Function(l.FunctionIndex).Approved) {
            chosen = &l;
            break;
        }
    if (chosen) {
        const TStackLink use = *chosen;
        for (const TStackLink& l : items_[k].Links.Up.Links)
            if (Alive(l) && l.FunctionIndex >= 0 && l.FunctionIndex != use.FunctionIndex && l.CodeAddress != use.CodeAddress)
                context_.Function(l.FunctionIndex).Invalid = true;
        LinkUpward(k, {use.CodeAddress, use.HasTarget, use.Target}, true);
        return;
    }
    TInternalStackItem& item = items_[k];
    // 2. The first approved function that covers it decides.
    const std::uint32_t probe = item.Top ? item.CodeAddress : item.Address - 1;
    if (const std::int32_t f = FirstApprovedCovering(probe); f >= 0) {
        if (const auto site = FindSite(f, item.Address, item.CodeAddress, item.Top)) {
            item.Links.Up.Add({-1, site->CodeAddress, site->HasTarget, site->Target, f, 0, 0});
            LinkUpward(k, *site, true);
        } else if (!item.Top) {
            Invalidate(k);  // the top stays whatever its function says
        }
        return;
    }
    if (item.Top) return;
    // 3. No function: any call that ends exactly at the address.
    const std::uint32_t address = item.Address, floor = item.AllocationBase;
    for (std::uint32_t start = address - std::min(address, kLongestCall); start + kShortestCall <= address; ++start) {
        if (start < floor) continue;
        x86::Instruction ins;
        if (!x86::decode_at(context_.Memory(), start, ins) || ins.flow != x86::Flow::kCall || ins.end != address) continue;
        const bool direct = ins.target_kind == x86::TargetKind::kConstant;
        LinkUpward(k, {start, direct, direct ? ins.target : 0}, false);
    }
}

void StackTracer::InDeepChecks() {
    const std::size_t count = items_.size();
    next_sure_.assign(count, count ? count - 1 : 0);
    for (std::size_t i = count, next = count ? count - 1 : 0; i-- > 0;) {
        next_sure_[i] = next;
        if (items_[i].Sure && !items_[i].Hidden) next = i;
    }
    by_address_.clear();
    for (std::size_t i = 0; i < count; ++i) by_address_[items_[i].Address].push_back(i);

    for (std::size_t k = 0; k < count; ++k) {
        if (Aborted()) return;
        Progress(kChecksBegin + static_cast<int>(kChecksSpan * k / count));
        if ((k == 0 && options_.CreatorAddress) || items_[k].Hidden) continue;
        CheckItem(k);
    }
}

}  // namespace roadsum
