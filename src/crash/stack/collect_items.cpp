// Phase 1: every stack value that could be a return address becomes a candidate item, checked
// against the memory query, the module ranges and the function that contains it.
#include <algorithm>

#include "crash/debuginfo/unmangle.h"
#include "crash/stack/frame_chain.h"
#include "crash/stack/raw_stack.h"
#include "crash/stack/return_address.h"
#include "crash/stack/stack_tracer_impl.h"
#include "crash/x86/decoder.h"

namespace roadsum {

namespace {

constexpr int kCollectEnd = 25;
constexpr const char* kLabelSuffix = ".@label";
// The entry point of a module without debug information stands for its start-up code.
constexpr const char* kEntryPointName = "EntryPoint";

// The end of the run of areas that follows the entry without a gap: the function's main body.
std::uint32_t main_extent_end(const TFunctionInfo& info) {
    std::uint32_t next = info.Entry;
    for (const CodeArea& a : info.Areas)
        if (a.Start == next && !a.CaseTable && !a.HandlerTable) next = a.End + 1;
    return next;
}

}  // namespace

void StackTracer::AppendItem(TInternalStackItem item) {
    if (items_.size() == items_.capacity()) items_.reserve(items_.empty() ? 64 : items_.capacity() * 2);
    items_.push_back(std::move(item));
}

std::optional<CallSite> StackTracer::DetermineFunction(std::uint32_t value, std::uint32_t address, std::uint32_t probe,
                                                       bool top, std::int32_t module, std::int32_t& function) {
    function = -1;
    if (module < 0) return std::nullopt;
    const TStackModule& m = context_.Module(module);
    if (m.HasDebugInfo()) {
        if (!m.InCode(address)) return std::nullopt;
        const std::shared_ptr<const TMapFile> debug = m.DebugInfo;
        const TMfPublic pub = debug->FindPublic(probe);
        if (!pub.Used) return std::nullopt;
        const std::string name = Unmangle(pub.Name).name;
        const std::int32_t main = context_.RegisterFunction(pub.Address, name, module, true);
        if (auto site = FindSite(main, address, value, top)) {
            function = main;
            return site;
        }
        // Code of the function that its entry does not lead to (reached through tables or
        // handlers): each such area is tried as a function of its own.
        const TFunctionInfo info = context_.Function(main).Info;
        const std::uint32_t main_end = main_extent_end(info);
        for (const CodeArea& area : info.Areas) {
            if (area.CaseTable || area.HandlerTable || (area.Start >= info.Entry && area.Start < main_end)) continue;
            if (debug->FindPublic(area.Start).Address != pub.Address) continue;
            const std::int32_t label = context_.RegisterFunction(area.Start, name + kLabelSuffix, module, true);
            if (auto site = FindSite(label, address, value, top)) {
                function = label;
                return site;
            }
        }
        return std::nullopt;
    }
    if (m.ModuleHandle == context_.Process().MainModule()) return std::nullopt;
    // Without debug information the nearest export below, or the entry point when nearer.
    std::uint32_t entry = 0;
    std::string name;
    const std::vector<TStackExport>& exports = context_.Exports(module);
    auto it = std::upper_bound(exports.begin(), exports.end(), probe,
                               [](std::uint32_t a, const TStackExport& e) { return a < e.Address; });
    if (it != exports.begin()) {
        entry = std::prev(it)->Address;
        name = std::prev(it)->Name;
    }
    const std::uint32_t entry_point = context_.Module(module).EntryPoint;
    if (entry_point && entry_point <= probe && entry_point > entry) {
        entry = entry_point;
        name = kEntryPointName;
    }
    if (!entry) return std::nullopt;
    const std::int32_t f = context_.RegisterFunction(entry, name, module, true);
    if (!context_.Function(f).Covers(probe)) return std::nullopt;
    auto site = FindSite(f, address, value, top);
    if (site) function = f;
    return site;
}

bool StackTracer::Offer(const Offered& offered) {
    const std::uint32_t value = offered.value;
    if (const std::uint32_t finally_return = context_.Process().TryFinallyReturn(); finally_return && value == finally_return)
        return false;
    const bool top = offered.as_top || (options_.IsException && value == options_.CurrentAddress) ||
                     (items_.empty() && options_.CreatorAddress != 0);
    // A faulting instruction is handled like a call that ends after it.
    std::uint32_t address = value;
    if (top) {
        x86::Instruction ins;
        if (x86::decode_at(context_.Memory(), value, ins)) address = ins.end;
    }
    const std::uint32_t probe = top ? value : value - 1;

    StackRegionInfo region;
    const bool queried = context_.Process().Query(probe, region);
    bool plausible = queried && region.state == kMemCommit && region.allocation_base != 0 && value > 7 &&
                     (top || LooksLikeReturnAddress(context_.Memory(), value));
    std::int32_t module = -1;
    if (plausible) {
        module = context_.RegisterModule(region.allocation_base);
        if (module >= 0 && !context_.Module(module).InCode(address) && !context_.Module(module).InData(address))
            plausible = false;
    }
    if (!plausible && !top) return false;

    std::int32_t function = -1;
    std::optional<CallSite> site;
    if (plausible) site = DetermineFunction(value, address, probe, top, module, function);
    if (top && !site) {
        std::uint8_t byte;
        if (!options_.IsException || options_.ExternalException) {
            site = CallSite{value, false, 0};
        } else if (!context_.Memory().try_read(value, &byte, 1)) {
            // A jump into nowhere still shows where it went.
            function = context_.RegisterFunction(value, {}, module, false);
            site = CallSite{value, false, 0};
        }
    }
    if (!top && !site && !offered.prepared_sure && !offered.frame_slot) return false;

    TInternalStackItem item;
    item.Address = address;
    item.CodeAddress = top ? value : 0;
    item.Sure = top || offered.prepared_sure || offered.frame_slot;
    item.Top = top && (!items_.empty() || options_.CreatorAddress == 0);
    item.ModuleIndex = module;
    item.AllocationBase = queried ? region.allocation_base : 0;
    if (site) item.Links.Up.Add({-1, site->CodeAddress, site->HasTarget, site->Target, function, 0, 0});
    AppendItem(std::move(item));
    return true;
}

bool StackTracer::CollectPossibleStackItems() {
    Progress(0);
    const MemoryReader& memory = context_.Memory();
    std::vector<std::uint32_t> stack;
    const bool prepared = !options_.PreparedStack.empty();
    if (!prepared && !ReadStackRange(memory, options_.StackLow, options_.StackHigh, stack)) return false;
    const auto last_is_top = [&] { return !items_.empty() && items_.back().Top; };

    if (options_.CreatorAddress) Offer({options_.CreatorAddress, true, false, false});
    if (prepared) {
        const std::size_t count = options_.PreparedStack.count();
        for (std::size_t i = 0; i < count && !Aborted() && !last_is_top(); ++i) {
            const TDAPreStackItem entry = options_.PreparedStack.entry(i);
            Offer({entry.address(), false, entry.Sure != 0, false});
            Progress(static_cast<int>(kCollectEnd * (i + 1) / count));
        }
    } else {
        const std::vector<std::uint32_t> slots = FrameSlots(memory, options_.FramePointer, options_.StackLow, options_.StackHigh);
        const std::uint32_t first = options_.StackHigh - 4 * static_cast<std::uint32_t>(stack.size());
        for (std::size_t i = stack.size(); i-- > 0 && !Aborted() && !last_is_top();) {
            const std::uint32_t slot = first + 4 * static_cast<std::uint32_t>(i);
            const bool frame_slot = std::binary_search(slots.begin(), slots.end(), slot);
            const std::size_t before = items_.size();
            if (Offer({stack[i], false, false, frame_slot}) && items_.size() > before && items_.back().Sure &&
                !items_.back().Top && i > 0)
                --i;  // the saved frame pointer below a return slot
            Progress(static_cast<int>(kCollectEnd * (stack.size() - i) / stack.size()));
        }
    }
    if (!options_.DontAddTopItem && !last_is_top() && options_.CurrentAddress != 0 && !Aborted())
        Offer({options_.CurrentAddress, true, false, false});
    Progress(kCollectEnd);
    return true;
}

}  // namespace roadsum
