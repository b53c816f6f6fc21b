#include "crash/x86/function_analyser.h"

#include <algorithm>
#include <map>
#include <set>
#include <string_view>
#include <unordered_set>

#include "crash/common/system_message.h"
#include "crash/x86/decoder.h"

namespace roadsum {

const CodeArea* TFunctionInfo::area_containing(std::uint32_t address) const {
    for (const CodeArea& a : Areas)
        if (a.Start <= address && address <= a.End) return &a;
    return nullptr;
}

namespace {

using x86::Flow;
using x86::Instruction;
using x86::OperandKind;
using x86::TargetKind;

constexpr std::uint32_t kMaxTableEntries = 1024;
constexpr std::uint32_t kContinuationReach = 1024;
constexpr std::uint32_t kUnboundedReach = 0x10000;  // a table's targets lie near the function

struct AreaStart {
    bool label = false;
    ParseState state;
};

struct Run {
    std::uint32_t start, end;  // end inclusive
    bool cold;
};

// Whether name is that of the cold part of the function named parent: the debug information
// gives it the parent's name, the compiler's own symbols a clone suffix (".cold", older
// compilers ".cold.N"; demangled " [clone .cold]").
bool is_cold_part_of(std::string_view parent, std::string_view name) {
    if (parent.empty() || name.substr(0, parent.size()) != parent) return false;
    std::string_view rest = name.substr(parent.size());
    if (rest.empty()) return true;
    const bool bracketed = rest.starts_with(" [clone .cold");
    if (!bracketed && !rest.starts_with(".cold")) return false;
    rest.remove_prefix(bracketed ? 13 : 5);
    if (rest.starts_with(".") && rest.size() > 1 && rest[1] >= '0' && rest[1] <= '9') {
        rest.remove_prefix(1);
        while (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') rest.remove_prefix(1);
    }
    return bracketed ? rest == "]" : rest.empty();
}

class Analyser {
public:
    Analyser(std::uint32_t entry, const MemoryReader& reader, const SymbolLookup* symbols, const RuntimeRoutines& routines)
        : entry_(entry), reader_(reader), symbols_(symbols), routines_(routines) {}

    TFunctionInfo run();

private:
    bool in_range(std::uint32_t a) const { return a >= range_begin_ && a < range_end_; }
    bool may_follow(std::uint32_t a);
    bool in_cold_part(std::uint32_t a) const;
    std::uint32_t next_function_after(std::uint32_t a) const;
    void add_start(std::uint32_t a, bool label, const ParseState& state);
    void parse(std::uint32_t start);
    void invalid(std::uint32_t a);
    void case_table(const Instruction& ins, const ParseState& state);
    void handler_table(std::uint32_t table, const ParseState& state);
    void runtime_jump(std::uint32_t routine, const Instruction& ins, const ParseState& state);
    std::uint32_t code_end() const;
    bool is_padding(std::uint32_t a) const;
    void build_areas();
    void decide_hookable();

    std::uint32_t entry_;
    const MemoryReader& reader_;
    const SymbolLookup* symbols_;
    const RuntimeRoutines& routines_;
    std::string entry_name_;
    std::set<std::uint32_t> cold_parts_;  // where this function's cold parts start
    std::uint32_t range_begin_ = 0, range_end_ = 0;
    std::map<std::uint32_t, AreaStart> starts_;
    std::set<std::uint32_t> unparsed_;  // starts still to parse, lowest first
    std::vector<Run> runs_;
    std::vector<CodeArea> tables_;
    std::unordered_set<std::uint32_t> visited_;
    int pending_ = 0;  // blocks after which code may follow that no jump leads to
    std::uint32_t parse_end_ = 0;  // end of the code decoded so far in the current run
    std::uint32_t continuation_ = 0;  // a start found only by continuing after the end of code
    TFunctionInfo info_;
};

// A jump to the start of another function is a tail call and is not followed; a jump into this
// function's cold part is.
bool Analyser::may_follow(std::uint32_t a) {
    SymbolInfo s;
    if (a == entry_ || !symbols_ || !symbols_->symbol_at(a, s) || s.public_address == entry_) return true;
    if (s.public_address != entry_ && is_cold_part_of(entry_name_, s.public_name)) {
        cold_parts_.insert(s.public_address);
        return true;
    }
    return s.public_address != a || s.public_name.empty();
}

bool Analyser::in_cold_part(std::uint32_t a) const {
    SymbolInfo s;
    return !cold_parts_.empty() && symbols_->symbol_at(a, s) && cold_parts_.count(s.public_address);
}

// Where code that runs on from a must stop: the next function that is not this one's own part.
std::uint32_t Analyser::next_function_after(std::uint32_t a) const {
    return symbols_ ? symbols_->next_function_after(a) : 0;
}

void Analyser::add_start(std::uint32_t a, bool label, const ParseState& state) {
    if (!in_range(a)) return;
    for (const CodeArea& t : tables_)
        if (t.Start <= a && a <= t.End) return;
    auto [it, inserted] = starts_.try_emplace(a);
    if (label) it->second.label = true;
    if (!inserted) return;
    it->second.state = state;
    // Code already decoded from another start only needs splitting, not parsing again.
    if (!visited_.count(a)) unparsed_.insert(a);
}

void Analyser::invalid(std::uint32_t a) {
    if (info_.ErrorCode == 0) {
        info_.ErrorCode = kInvalidCodeError;
        info_.ErrorText = kInvalidCodeText;
        info_.ErrorAddress = a;
    }
}

void Analyser::handler_table(std::uint32_t table, const ParseState& state) {
    std::uint32_t count = 0;
    if (!read_dword(reader_, table, count) || count > kMaxTableEntries) return;
    CodeArea area;
    area.Start = table;
    area.End = table + 4 + 8 * count - 1;
    area.HandlerTable = true;
    area.State = state;
    std::vector<std::uint32_t> handlers;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t handler = 0;
        if (!read_dword(reader_, table + 8 + 8 * i, handler)) return;
        handlers.push_back(handler);
    }
    tables_.push_back(area);
    for (std::uint32_t h : handlers) add_start(h, true, state);
}

void Analyser::case_table(const Instruction& ins, const ParseState& state) {
    const std::uint32_t table = ins.memory.disp;
    const bool bounded = state.compare_register == ins.memory.index;
    const std::uint32_t count = bounded ? std::min(state.compare_value + 1, kMaxTableEntries) : kMaxTableEntries;
    std::vector<std::uint32_t> targets;
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t target = 0;
        if (!read_dword(reader_, table + 4 * i, target)) break;
        const bool near = target >= entry_ ? target - entry_ < kUnboundedReach : entry_ - target < kUnboundedReach;
        if (!in_range(target) || (!bounded && !near)) break;
        targets.push_back(target);
    }
    if (targets.empty()) return;
    // A table placed in the code stream belongs to the listing; one in a data section does not.
    if (table >= info_.Entry && table <= code_end() + 4 && in_range(table)) {
        CodeArea area;
        area.Start = table;
        area.End = table + 4 * static_cast<std::uint32_t>(targets.size()) - 1;
        area.CaseTable = true;
        area.State = state;
        tables_.push_back(area);
        ++pending_;
    }
    for (std::uint32_t t : targets) add_start(t, true, state);
}

void Analyser::runtime_jump(std::uint32_t routine, const Instruction& ins, const ParseState& state) {
    if (routine == routines_.HandleOnException) {
        handler_table(ins.end, state);
    } else if (state.after_push_immediate) {
        add_start(state.last_push_immediate, true, state);
    }
    ++pending_;
}

// Alignment fill after the end of code (int3 or zeros) is no reason to continue.
bool Analyser::is_padding(std::uint32_t a) const {
    std::uint8_t b[2] = {};
    return (reader_.try_read(a, b, 1) && b[0] == 0xCC) || (reader_.try_read(a, b, 2) && b[0] == 0 && b[1] == 0);
}

std::uint32_t Analyser::code_end() const {
    std::uint32_t end = std::max(entry_, parse_end_);
    for (const Run& r : runs_)
        if (!r.cold) end = std::max(end, r.end + 1);
    for (const CodeArea& t : tables_) end = std::max(end, t.End + 1);
    return end;
}

void Analyser::parse(std::uint32_t start) {
    ParseState state = starts_[start].state;
    std::uint32_t a = start;
    Run run{start, start, in_cold_part(start)};
    std::uint32_t boundary = next_function_after(start);
    bool any = false;
    for (;;) {
        if (a != start && (starts_.count(a) || visited_.count(a))) {
            add_start(a, false, state);
            break;
        }
        if (boundary != 0 && a >= boundary) {
            // Code does not run on into another function (after a call that does not return).
            if (!may_follow(boundary)) break;
            boundary = next_function_after(a);
        }
        Instruction ins;
        if (!in_range(a) || !x86::decode_at(reader_, a, ins)) {
            // Continuing after the end of code is a guess: nothing there is no fault.
            if (a == start && start == continuation_) return;
            invalid(a);
            run.end = a;  // the listing shows the byte that stopped the parse
            any = true;
            break;
        }
        if (a == start && start == continuation_ && is_padding(a)) return;
        visited_.insert(a);
        any = true;
        run.end = ins.end - 1;
        if (!run.cold) parse_end_ = ins.end;
        bool ends = false;

        const bool constant = ins.target_kind == TargetKind::kConstant;
        switch (ins.flow) {
        case Flow::kCondJump:
            if (constant && may_follow(ins.target)) add_start(ins.target, true, state);
            break;
        case Flow::kCall:
            if (constant) {
                info_.Calls.push_back({false, ins.start, ins.end, ins.target});
            } else if (std::uint32_t target = 0; ins.target_kind == TargetKind::kMemory && ins.has_memory_address &&
                                                 read_dword(reader_, ins.memory_address, target)) {
                info_.Calls.push_back({true, ins.start, ins.end, target});
            } else {
                info_.IndirectCalls.push_back({false, ins.start, ins.end});
            }
            break;
        case Flow::kJump:
            ends = true;
            if (constant) {
                const std::uint32_t t = ins.target;
                if (routines_.contains(t))
                    runtime_jump(t, ins, state);
                else if (may_follow(t))
                    add_start(t, true, state);
            } else if (ins.target_kind == TargetKind::kMemory && ins.memory.base < 0 && ins.memory.index >= 0 &&
                       ins.memory.scale == 4 && !ins.memory.address16) {
                info_.IndirectCalls.push_back({true, ins.start, ins.end});
                case_table(ins, state);
            } else {
                info_.IndirectCalls.push_back({true, ins.start, ins.end});
            }
            break;
        case Flow::kReturn: ends = true; break;
        case Flow::kNone: break;
        }

        // What the next instructions may need to know.
        state.after_push_immediate = false;
        if (ins.mnemonic == "push" && ins.operand_count == 1 && ins.operands[0].kind == OperandKind::kImmediate &&
            ins.operands[0].size == 4) {
            state.after_push_immediate = true;
            state.last_push_immediate = ins.operands[0].value;
        }
        if (ins.mnemonic == "cmp") {
            const x86::Operand& r = ins.operands[0];
            if (ins.operand_count == 2 && r.kind == OperandKind::kRegister && r.reg_class == x86::RegClass::kGpr32 &&
                ins.operands[1].kind == OperandKind::kImmediate) {
                state.compare_register = static_cast<std::int8_t>(r.reg);
                state.compare_value = ins.operands[1].value;
            }
        }
        if (ends) break;
        a = ins.end;
    }
    if (any) runs_.push_back(run);
}

void Analyser::build_areas() {
    std::vector<CodeArea>& areas = info_.Areas;
    std::sort(runs_.begin(), runs_.end(), [](const Run& x, const Run& y) { return x.start < y.start; });
    for (const Run& r : runs_) {
        // Starts inside the run (jumps back into code already decoded) split it.
        auto it = starts_.lower_bound(r.start);
        while (it != starts_.end() && it->first <= r.end) {
            auto next = std::next(it);
            CodeArea area;
            area.Start = it->first;
            area.End = next != starts_.end() && next->first <= r.end ? next->first - 1 : r.end;
            area.Label = it->second.label;
            area.Cold = r.cold;
            area.State = it->second.state;
            if (areas.empty() || area.Start > areas.back().End) areas.push_back(area);
            it = next;
        }
    }
    for (const CodeArea& t : tables_) {
        bool overlaps = false;
        for (const CodeArea& a : areas) overlaps |= t.Start <= a.End && a.Start <= t.End;
        if (!overlaps) areas.push_back(t);
    }
    // The body first, then the cold part, each in address order.
    std::sort(areas.begin(), areas.end(),
              [](const CodeArea& x, const CodeArea& y) { return x.Cold != y.Cold ? y.Cold : x.Start < y.Start; });
    if (!areas.empty()) {
        const bool all_cold = areas.front().Cold;
        info_.CodeStart = areas.front().Start;
        std::uint32_t end = 0;
        for (const CodeArea& a : areas)
            if (a.Cold == all_cold) end = std::max(end, a.End);
        info_.CodeLength = end + 1 - info_.CodeStart;
    }
}

void Analyser::decide_hookable() {
    std::uint32_t straight = 0, next = entry_;
    for (const CodeArea& a : info_.Areas) {
        if (a.Start != next || a.CaseTable || a.HandlerTable) continue;
        straight += a.End + 1 - a.Start;
        next = a.End + 1;
    }
    if (straight <= 5) return;
    std::uint32_t a = entry_;
    while (a - entry_ < 6) {
        Instruction ins;
        if (!x86::decode_at(reader_, a, ins)) return;
        if (ins.target_kind == TargetKind::kConstant && ins.relative_size > 0 && ins.relative_size < 4) return;
        a = ins.end;
    }
    info_.Hookable = true;
}

TFunctionInfo Analyser::run() {
    info_.Entry = entry_;
    std::uint8_t probe;
    if (!reader_.try_read(entry_, &probe, 1)) {
        info_.ErrorCode = kNotCommittedError;
        info_.ErrorText = system_error_text(kNotCommittedError, kNotCommittedText);
        info_.ErrorAddress = entry_;
        return std::move(info_);
    }
    public_name_at(symbols_, entry_, entry_name_);
    ModuleInfo module;
    if (symbols_ && symbols_->module_at(entry_, module) && module.code_begin <= entry_ && entry_ < module.code_end) {
        range_begin_ = module.code_begin;
        range_end_ = module.code_end;
    } else if (!reader_.readable_range(entry_, range_begin_, range_end_) || entry_ < range_begin_ || entry_ >= range_end_) {
        range_begin_ = entry_;
        range_end_ = entry_ + std::min<std::uint32_t>(kUnboundedReach, 0u - entry_);
    }

    add_start(entry_, true, ParseState{});
    for (;;) {
        if (unparsed_.empty()) {
            if (pending_ <= 0) break;
            --pending_;
            const std::uint32_t after = code_end();
            std::uint32_t begin = starts_.begin()->first;
            for (const CodeArea& t : tables_) begin = std::min(begin, t.Start);
            if (after - begin >= kContinuationReach || starts_.count(after)) break;
            add_start(after, false, ParseState{});
            if (!unparsed_.count(after)) break;
            continuation_ = after;
            continue;
        }
        const std::uint32_t next = *unparsed_.begin();
        unparsed_.erase(unparsed_.begin());
        parse(next);
    }
    build_areas();
    info_.Valid = info_.ErrorCode == 0;
    if (info_.Valid) decide_hookable();
    return std::move(info_);
}

}  // namespace

TFunctionInfo analyse_function(std::uint32_t entry, const MemoryReader& reader, const SymbolLookup* symbols,
                               const RuntimeRoutines& routines) {
    return Analyser(entry, reader, symbols, routines).run();
}

}  // namespace roadsum
