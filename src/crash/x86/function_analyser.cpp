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


class Analyser {
public:
    Analyser(std::uint32_t entry, const MemoryReader& reader, const SymbolLookup* symbols, const RuntimeRoutines& routines)
        : entry_(entry), reader_(reader), symbols_(symbols), routines_(routines) {}

    TFunctionInfo run();

private:
    bool in_range(std::uint32_t a) const { return a >= range_begin_ && a < range_end_; }
    bool may_follow(std::uint32_t a, bool conditional);
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
    bool is_fill(std::uint32_t a, std::uint32_t& next) const;
    std::uint32_t covered_until(std::uint32_t a) const;
    void parse_pending();
    void take_in_unreached_code();
    void build_areas();
    void decide_hookable();

    std::uint32_t entry_;
    const MemoryReader& reader_;
    const SymbolLookup* symbols_;
    const RuntimeRoutines& routines_;
    std::string entry_name_;
    std::uint32_t body_begin_ = 0, body_end_ = 0;  // the entry's symbol up to the next; end 0: unknown
    std::set<std::uint32_t> cold_parts_;  // where this function's named cold parts start
    std::uint32_t range_begin_ = 0, range_end_ = 0;
    std::map<std::uint32_t, AreaStart> starts_;
    std::set<std::uint32_t> unparsed_;  // starts still to parse, lowest first
    std::vector<Run> runs_;
    std::vector<CodeArea> tables_;
    std::unordered_set<std::uint32_t> visited_;
    int pending_ = 0;  // blocks after which code may follow that no jump leads to
    std::uint32_t parse_end_ = 0;  // end of the code decoded so far in the current run
    std::uint32_t continuation_ = 0;  // a start found only by continuing after the end of code
    std::set<std::uint32_t> unreached_;  // starts that no jump leads to, inside the body
    TFunctionInfo info_;
};

// Jumps into another function's code (tail calls) are not followed; jumps into this function's
// cold part are. Code without a name of its own (a section's start only, ".text...") is taken
// as this function's when a conditional jump leads there: the compiler's cold blocks look so.
bool Analyser::may_follow(std::uint32_t a, bool conditional) {
    if (a == entry_ || !symbols_) return true;
    SymbolInfo s;
    const bool named = symbols_->symbol_at(a, s) && !s.public_name.empty() && s.public_name[0] != '.';
    if (named && s.public_address == body_begin_) return true;
    if (named && !entry_name_.empty() && symbols_->is_cold_part(entry_name_, s.public_name)) {
        cold_parts_.insert(s.public_address);
        return true;
    }
    if (named) return false;
    return conditional || (a >= body_begin_ && (body_end_ == 0 || a < body_end_));
}

// Code of this function outside its body: its named cold part, or blocks that only a jump
// from the body leads to.
bool Analyser::in_cold_part(std::uint32_t a) const {
    if (body_end_ != 0 && (a < body_begin_ || a >= body_end_)) return true;
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
        // A table ends where its entries lead out of the function.
        if (!in_range(target) || (!bounded && !near) || !may_follow(target, false)) break;
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
            if (!may_follow(boundary, false)) break;
            boundary = next_function_after(a);
        }
        Instruction ins;
        if (!in_range(a) || !x86::decode_at(reader_, a, ins)) {
            // Continuing after the end of code is a guess: nothing there is no fault.
            if (a == start && (start == continuation_ || unreached_.count(start))) return;
            if (unreached_.count(start)) break;
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
            if (constant && may_follow(ins.target, true)) add_start(ins.target, true, state);
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
                else if (may_follow(t, false))
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

void Analyser::parse_pending() {
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
}

// Where the code or table that covers a ends (one past it); a itself when nothing covers it.
std::uint32_t Analyser::covered_until(std::uint32_t a) const {
    for (const Run& r : runs_)
        if (!r.cold && r.start <= a && a <= r.end) return r.end + 1;
    for (const CodeArea& t : tables_)
        if (t.Start <= a && a <= t.End) return t.End + 1;
    return a;
}

// Whether the instruction at a is alignment fill (nop, int3, a lea or mov of a register onto
// itself); next is where the one after it starts.
bool Analyser::is_fill(std::uint32_t a, std::uint32_t& next) const {
    Instruction ins;
    if (!x86::decode_at(reader_, a, ins)) return false;
    next = ins.end;
    const x86::Operand& d = ins.operands[0];
    if (ins.mnemonic == "nop" || ins.mnemonic == "int3") return true;
    if (ins.mnemonic == "lea")
        return ins.operand_count == 2 && d.kind == OperandKind::kRegister && ins.memory.base == d.reg &&
               ins.memory.index < 0 && ins.memory.disp == 0;
    return ins.mnemonic == "mov" && ins.operand_count == 2 && d.kind == OperandKind::kRegister &&
           ins.operands[1].kind == OperandKind::kRegister && ins.operands[1].reg == d.reg && d.size == ins.operands[1].size;
}

// Code of the body that no jump leads to: the compiler's landing pads, which only unwinding
// enters. Where the symbols say how far the function goes, every piece of it is parsed, after
// the alignment fill before it; what does not decode there is no fault.
void Analyser::take_in_unreached_code() {
    if (body_end_ == 0 || body_end_ <= entry_) return;
    std::uint32_t from = entry_;
    while (from < body_end_) {
        if (const std::uint32_t after = covered_until(from); after != from) {
            from = after;
            continue;
        }
        for (std::uint32_t next = from; from < body_end_ && is_fill(from, next) && next > from;) from = next;
        if (from >= body_end_ || covered_until(from) != from) continue;
        unreached_.insert(from);
        const std::size_t before = runs_.size();
        add_start(from, false, ParseState{});
        parse_pending();
        if (runs_.size() == before || !unparsed_.empty()) ++from;  // nothing decoded there: go on after it
    }
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
    SymbolInfo own;
    body_begin_ = symbols_ && symbols_->symbol_at(entry_, own) ? own.public_address : entry_;
    body_end_ = next_function_after(body_begin_);
    ModuleInfo module;
    if (symbols_ && symbols_->module_at(entry_, module) && module.code_begin <= entry_ && entry_ < module.code_end) {
        range_begin_ = module.code_begin;
        range_end_ = module.code_end;
    } else if (!reader_.readable_range(entry_, range_begin_, range_end_) || entry_ < range_begin_ || entry_ >= range_end_) {
        range_begin_ = entry_;
        range_end_ = entry_ + std::min<std::uint32_t>(kUnboundedReach, 0u - entry_);
    }

    add_start(entry_, true, ParseState{});
    parse_pending();
    take_in_unreached_code();

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
