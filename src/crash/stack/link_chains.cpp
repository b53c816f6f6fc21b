// Phase 4: between two sure items only the most plausible chain of linked items stays. A
// chain's score prefers reaching the other sure item, links through known (and approved)
// functions and items with source lines; scores are memoised in the links, so every link is
// evaluated once and the search stays linear in the number of links.
#include <algorithm>

#include "crash/stack/stack_tracer_impl.h"

namespace roadsum {

namespace {

constexpr std::uint64_t high_word(std::uint32_t high) { return std::uint64_t{high} << 32; }

constexpr std::uint64_t kStartScore = high_word(0x10000000);
constexpr std::uint64_t kGoalWithFunction = high_word(0x70000000);
constexpr std::uint64_t kGoalWithoutFunction = high_word(0x50000000);
constexpr std::uint64_t kAllFunctionsBit = high_word(0x20000000);
constexpr std::uint64_t kReachedGoalBit = high_word(0x40000000);
// The top four bits hold the flags; the bonuses of the links add up below them. On very long
// chains the sum stops short of the flags instead of running into them.
constexpr std::uint64_t kFlags = high_word(0xF0000000);
constexpr std::uint64_t kMaxBonus = ~kFlags;
constexpr int kChainsBegin = 650, kChainsSpan = 350;

// High words compared signed, then low words unsigned.
bool better(std::uint64_t a, std::uint64_t b) {
    const auto ah = static_cast<std::int32_t>(a >> 32), bh = static_cast<std::int32_t>(b >> 32);
    if (ah != bh) return ah > bh;
    return static_cast<std::uint32_t>(a) > static_cast<std::uint32_t>(b);
}

std::uint64_t plus_bonus(std::uint64_t score, int e) {
    const std::uint64_t bonus = (score & kMaxBonus) + (std::uint64_t{1} << e);
    return (score & kFlags) | std::min(bonus, kMaxBonus);
}

}  // namespace

std::int32_t StackTracer::ProbeLine(std::int32_t index) {
    TInternalStackItem& item = items_[index];
    if (item.ProbeLine == 0x7FFFFFFF) {
        item.ProbeLine = 0;
        if (item.ModuleIndex >= 0 && context_.Module(item.ModuleIndex).HasDebugInfo())
            item.ProbeLine = context_.Module(item.ModuleIndex).DebugInfo->FindLine(item.Address - 1).Line;
    }
    return item.ProbeLine;
}

std::uint64_t StackTracer::LinkScore(std::int32_t item, const TStackLink& link, std::uint64_t continuing,
                                     bool all_functions) {
    if (link.FunctionIndex < 0) return plus_bonus(continuing & ~kAllFunctionsBit, 0);
    int e = all_functions || (continuing & kAllFunctionsBit) ? 28 : 14;
    if (context_.Function(link.FunctionIndex).Approved) e += 14;
    const std::int32_t module = items_[item].ModuleIndex;
    if (module >= 0 && context_.Module(module).HasDebugInfo() && items_[link.LinkedItem].ModuleIndex >= 0) {
        // Minimal debug information knows a line exists (-1) without storing it.
        if (ProbeLine(item) == 0)
            e += 3;
        else if (ProbeLine(link.LinkedItem) == 0)
            e += 6;
        else
            e += 9;
    }
    return plus_bonus(continuing, e);
}

std::uint64_t StackTracer::ChainScore(std::int32_t start, bool down, std::int32_t goal) {
    // The recursion of the definition, with its stack in memory: chains can be as deep as
    // the stack that is traced.
    struct Frame {
        std::int32_t item;
        bool all_functions;  // every link from the start up to this item has a function
        std::size_t link = 0;
        std::uint64_t best = kStartScore;
        std::int32_t chosen = -1;
    };
    const auto list_of = [&](std::int32_t item) -> TStackLinkList& {
        return down ? items_[item].Links.Down : items_[item].Links.Up;
    };
    std::vector<Frame> frames{{start, true}};
    std::uint64_t returned = 0;
    bool returning = false;
    while (!frames.empty()) {
        Frame& f = frames.back();
        TStackLinkList& list = list_of(f.item);
        if (returning) {
            TStackLink& link = list.Links[f.link];
            link.SetMemo(LinkScore(f.item, link, returned, f.all_functions && link.FunctionIndex >= 0));
            if (better(link.Memo(), f.best)) {
                f.best = link.Memo();
                f.chosen = static_cast<std::int32_t>(f.link);
            }
            ++f.link;
            returning = false;
        }
        bool descended = false;
        while (f.link < list.Links.size()) {
            TStackLink& link = list.Links[f.link];
            if (link.LinkedItem < 0 || !Alive(link)) {
                ++f.link;
                continue;
            }
            const bool all_functions = f.all_functions && link.FunctionIndex >= 0;
            if (link.Memo() == 0) {
                if (link.LinkedItem == goal) {
                    link.SetMemo(LinkScore(f.item, link, link.FunctionIndex >= 0 ? kGoalWithFunction : kGoalWithoutFunction,
                                           all_functions));
                } else {
                    frames.push_back({link.LinkedItem, all_functions});
                    descended = true;
                    break;
                }
            }
            if (better(link.Memo(), f.best)) {
                f.best = link.Memo();
                f.chosen = static_cast<std::int32_t>(f.link);
            }
            ++f.link;
        }
        if (descended) continue;
        list.Chosen = f.chosen;
        returned = f.best;
        returning = true;
        frames.pop_back();
    }
    return returned;
}

void StackTracer::Realize(std::int32_t start, bool down, std::int32_t goal) {
    std::int32_t item = start;
    for (std::size_t steps = 0; item >= 0 && steps <= items_.size(); ++steps) {
        items_[item].Hidden = false;
        if (item == goal) break;
        const TStackLinkList& list = down ? items_[item].Links.Down : items_[item].Links.Up;
        if (list.Chosen < 0) break;
        item = list.Links[list.Chosen].LinkedItem;
    }
}

void StackTracer::RealizeOptimalLinkChains() {
    const auto count = static_cast<std::int32_t>(items_.size());
    std::int32_t b = count - 1;
    while (b >= 0 && items_[b].Hidden) --b;
    while (b >= 0) {
        if (Aborted()) return;
        Progress(kChainsBegin + static_cast<int>(std::int64_t{kChainsSpan} * (count - 1 - b) / count));
        std::int32_t a = b - 1;
        while (a >= 0 && (items_[a].Hidden || !items_[a].Sure)) --a;
        if (b - a >= 2) {
            std::uint64_t down_score = 0, up_score = 0;
            bool have_down = false, have_up = false;
            if (a >= 0) {
                down_score = ChainScore(a, true, b);
                have_down = true;
            }
            if (!have_down || !(down_score & kReachedGoalBit)) {
                up_score = ChainScore(b, false, a);
                have_up = true;
            }
            for (std::int32_t i = a + 1; i < b; ++i) items_[i].Hidden = true;
            if (have_down && (!have_up || better(down_score, up_score)))
                Realize(a, true, b);
            else
                Realize(b, false, a);
        }
        b = a;
    }
    Progress(kChainsBegin + kChainsSpan);
}

}  // namespace roadsum
