#include "crash/stack/stack_tracer.h"

#include <cstdio>

#include "crash/common/text_lists.h"
#include "crash/stack/stack_tracer_impl.h"
#include "crash/x86/decoder.h"

namespace roadsum {

namespace {

// Routines whose callers raise: the exception address is the return from such a call, and the
// location shown is the call itself. "cxa_throw" names the C++ raise (and our wrapper of it).
bool names_raise_routine(std::string_view name) {
    const auto contains = [&](std::string_view part) {
        for (std::size_t i = 0; i + part.size() <= name.size(); ++i)
            if (equal_ignoring_case(name.substr(i, part.size()), part)) return true;
        return false;
    };
    return contains("@RaiseExcept") || contains("Error") || contains("cxa_throw");
}

std::string hex(std::uint32_t value, int digits) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%0*x", digits, value);
    return buffer;
}

std::string format_code_address(TraceContext& context, std::uint32_t address, bool show_rel_addrs, bool show_rel_lines) {
    std::string line = hex(address, 8);
    const std::int32_t module = context.ModuleAt(address);
    MapFileInfos infos;
    if (module < 0 || !context.Module(module).HasDebugInfo() ||
        !context.Module(module).DebugInfo->GetMapFileInfos(address, infos))
        return line + (show_rel_addrs ? " +0" : "") + " ???";
    if (show_rel_addrs) line += " +" + hex(infos.PublicAddress && infos.PublicAddress <= address ? address - infos.PublicAddress : 0, 1);
    line += " " + context.Module(module).FileName + " " + infos.UnitName + " ";
    if (infos.Line > 0) line += std::to_string(infos.Line) + " ";
    if (show_rel_lines) {
        const std::int32_t start = context.Module(module).DebugInfo->GetFunctionStartLine(address);
        line += infos.Line > 0 && start > 0 ? "+" + std::to_string(infos.Line - start) + " " : "+0 ";
    }
    return line + infos.PublicName;
}

}  // namespace

const char* TracePhaseName(TracePhase phase) {
    switch (phase) {
    case TracePhase::CollectPossibleStackItems: return "CollectPossibleStackItems";
    case TracePhase::RemoveRecursiveStackAreas: return "RemoveRecursiveStackAreas";
    case TracePhase::InDeepChecks: return "InDeepChecks";
    case TracePhase::RealizeOptimalLinkChains: return "RealizeOptimalLinkChains";
    case TracePhase::RemoveRecursiveAreas: return "RemoveRecursiveAreas";
    case TracePhase::FillFinalOutput: return "FillFinalOutput";
    case TracePhase::ComposeResult: return "ComposeResult";
    }
    return "?";
}

StackTracer::StackTracer(const TraceProcess& process, StackCaches& caches, const TraceStackOptions& options)
    : context_(process, caches), options_(options) {}

void StackTracer::Progress(int position) const {
    if (!options_.Progress || position == last_position_) return;
    last_position_ = position;
    options_.Progress->Position(position);
}

bool StackTracer::Alive(const TStackLink& link) const {
    if (link.LinkedItem >= 0 && items_[link.LinkedItem].Invalidated) return false;
    return link.FunctionIndex < 0 || context_.Caches().Functions()[link.FunctionIndex].Usable();
}

bool StackTracer::IsRaiseRoutine(std::uint32_t target) {
    std::string stored, display;
    if (context_.SymbolStartingAt(target, stored, display)) return names_raise_routine(stored) || names_raise_routine(display);
    return names_raise_routine(context_.FunctionNameAt(target));
}

bool StackTracer::OnInstructionBoundary(const TStackFunction& function, std::uint32_t address) {
    for (const CodeArea& area : function.Info.Areas) {
        if (area.CaseTable || area.HandlerTable || address < area.Start || address > area.End) continue;
        for (std::uint32_t a = area.Start; a <= address && a <= area.End;) {
            if (a == address) return true;
            x86::Instruction ins;
            if (!x86::decode_at(context_.Memory(), a, ins) || ins.end <= a) break;
            a = ins.end;
        }
    }
    return false;
}

std::optional<CallSite> StackTracer::FindSite(std::int32_t function, std::uint32_t address, std::uint32_t code_address,
                                              bool top) {
    if (function < 0 || !context_.Function(function).Usable()) return std::nullopt;
    const auto& calls = context_.Function(function).CallsByReturn;
    if (!top) {
        const auto it = calls.find(address);
        return it == calls.end() ? std::nullopt : std::optional<CallSite>(it->second);
    }
    // The exception address of a raise is the return from the raising routine's call.
    if (const auto it = calls.find(code_address); it != calls.end() && it->second.HasTarget) {
        const CallSite call = it->second;
        if (IsRaiseRoutine(call.Target)) return call;
    }
    if (OnInstructionBoundary(context_.Function(function), code_address)) return CallSite{code_address, false, 0};
    return std::nullopt;
}

std::string StackTracer::InternalError(TracePhase phase) {
    std::string text = std::string(">> internal error in ") + TracePhaseName(phase);
    try {
        if (const std::uint32_t raised = context_.Process().CurrentRaiseAddress())
            text += ":\r\n" + format_code_address(context_, raised, options_.ShowRelAddrs, options_.ShowRelLines);
        if (options_.IsException)
            text += "\r\n>> original exception location: \r\n" +
                    format_code_address(context_, options_.CurrentAddress, options_.ShowRelAddrs, options_.ShowRelLines);
    } catch (...) {
        // The location lines are a courtesy; the error text stands without them.
    }
    return text;
}

std::string StackTracer::Run() {
    context_.Caches().BeginTrace();
    const auto guarded = [&](TracePhase phase, auto&& step) -> std::optional<std::string> {
        try {
            if (options_.Progress) options_.Progress->PhaseStarted(phase);
            step();
        } catch (...) {
            return InternalError(phase);
        }
        return std::nullopt;
    };
    bool readable = true;
    if (auto error = guarded(TracePhase::CollectPossibleStackItems, [&] { readable = CollectPossibleStackItems(); }))
        return *error;
    if (!readable || Aborted()) return {};
    if (auto error = guarded(TracePhase::RemoveRecursiveStackAreas, [&] { RemoveRecursiveStackAreas(); })) return *error;
    if (Aborted()) return {};
    if (auto error = guarded(TracePhase::InDeepChecks, [&] { InDeepChecks(); })) return *error;
    if (Aborted()) return {};
    if (!options_.SimpleTrace) {
        if (auto error = guarded(TracePhase::RealizeOptimalLinkChains, [&] { RealizeOptimalLinkChains(); })) return *error;
        if (Aborted()) return {};
    }
    if (auto error = guarded(TracePhase::RemoveRecursiveAreas, [&] { RemoveRecursiveAreas(); })) return *error;
    if (Aborted()) return {};
    if (auto error = guarded(TracePhase::FillFinalOutput, [&] { FillFinalOutput(); })) return *error;
    if (Aborted()) return {};
    std::string result;
    if (auto error = guarded(TracePhase::ComposeResult, [&] { result = ComposeResult(); })) return *error;
    return result;
}

std::string TraceStack(const TraceProcess& process, StackCaches& caches, const TraceStackOptions& options) {
    try {
        return StackTracer(process, caches, options).Run();
    } catch (...) {
        // Only the set-up can get here (the phases guard themselves); nothing was traced.
        return std::string(">> internal error in ") + TracePhaseName(TracePhase::CollectPossibleStackItems);
    }
}

std::string FormatCodeAddress(const TraceProcess& process, StackCaches& caches, std::uint32_t address,
                              bool show_rel_addrs, bool show_rel_lines) {
    try {
        TraceContext context(process, caches);
        return format_code_address(context, address, show_rel_addrs, show_rel_lines);
    } catch (...) {
        return hex(address, 8) + (show_rel_addrs ? " +0" : "") + " ???";
    }
}

}  // namespace roadsum
