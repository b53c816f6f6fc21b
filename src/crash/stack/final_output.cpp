// Phase 6: each visible item gets the address to show and its module, unit, function and line.
#include "crash/common/text_lists.h"
#include "crash/debuginfo/unmangle.h"
#include "crash/stack/stack_tracer_impl.h"

namespace roadsum {

namespace {

constexpr const char* kUnknownModule = "???";

void add_min_debug_info(std::vector<std::string>& list, const std::string& entry) {
    for (const std::string& known : list)
        if (equal_ignoring_case(known, entry)) return;
    list.push_back(entry);
}

}  // namespace

void StackTracer::FillFinalOutput() {
    bool first = true, termination_done = false, hide_dispatcher = false;
    for (std::size_t i = items_.size(); i-- > 0;) {
        TInternalStackItem& item = items_[i];
        if (item.Hidden) continue;

        // The address to show: the call of an approved function, else any known call, else
        // the call of the chosen caller, else the item's own.
        const TStackLink* approved = nullptr;
        const TStackLink* any = nullptr;
        for (const TStackLink& l : item.Links.Up.Links) {
            if (!Alive(l)) continue;
            if (!approved && l.FunctionIndex >= 0 && context_.Function(l.FunctionIndex).Approved) approved = &l;
            if (!any && l.CodeAddress) any = &l;
        }
        if (approved) {
            const TStackFunction& f = context_.Function(approved->FunctionIndex);
            item.FinalAddress = approved->CodeAddress;
            item.FunctionName = f.Name;
            item.FunctionStart = f.Info.Entry;
        } else if (any) {
            item.FinalAddress = any->CodeAddress;
        } else if (item.Links.Down.Chosen >= 0) {
            item.FinalAddress = item.Links.Down.Links[item.Links.Down.Chosen].CodeAddress;
        } else {
            // A top item's own address is its instruction, not the end of it.
            item.FinalAddress = item.CodeAddress ? item.CodeAddress : item.Address;
        }

        item.ModuleName = kUnknownModule;
        if (item.ModuleIndex >= 0) {
            const TStackModule& m = context_.Module(item.ModuleIndex);
            item.ModuleName = m.FileName;
            if (m.HasDebugInfo()) {
                const TMapFile& debug = *m.DebugInfo;
                const TMfPublic pub = debug.FindPublic(item.FinalAddress);
                const UnmangledName display = Unmangle(pub.Name);
                if (item.FunctionName.empty() && pub.Used) {
                    item.FunctionName = display.name;
                    item.FunctionStart = pub.Address;
                }
                item.UnitName = debug.FindSegment(item.FinalAddress, true).Name;
                if (item.UnitName.empty()) item.UnitName = display.unit;
                item.Line = debug.FindLine(item.FinalAddress).Line;
                if (item.Line > 0 && options_.ShowRelLines && item.FunctionStart) {
                    const std::int32_t start = debug.FindLine(item.FunctionStart).Line;
                    if (start > 0) {
                        item.AbsLine = item.Line;
                        item.Line -= start;
                    }
                }
                if (options_.MinDebugInfos && !debug.MinDebugInfo.empty())
                    add_min_debug_info(*options_.MinDebugInfos, debug.MinDebugInfo + "|" + m.FileName);
            }
        }
        if (first) {
            if (options_.ExceptionAddress) *options_.ExceptionAddress = item.FinalAddress;
            first = false;
        }

        // The exception run-time of the other compiler leaves its own frames above the raise.
        if (hide_dispatcher) {
            hide_dispatcher = false;
            if (item.FunctionName == "KiUserExceptionDispatcher") item.Hidden = true;
        }
        if (options_.BcbTermination && !termination_done &&
            (item.FunctionName == "_ThrowExceptionLDTC" || item.FunctionName == "_ReThrowException")) {
            termination_done = true;
            for (std::size_t j = i; j < items_.size(); ++j) items_[j].Hidden = true;
        }
        if (!options_.PreparedStack.empty() && item.FunctionName == "__ExceptionHandler") {
            for (std::size_t j = i + 1; j + 1 < items_.size(); ++j) items_[j].Hidden = true;
            hide_dispatcher = true;
        }
    }
}

}  // namespace roadsum
