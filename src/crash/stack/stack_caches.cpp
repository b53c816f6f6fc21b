#include "crash/stack/stack_caches.h"

#include <algorithm>

namespace roadsum {

namespace {

constexpr std::size_t kInitialEntries = 16;

template <typename T>
void append_doubling(std::vector<T>& list, T value) {
    if (list.size() == list.capacity()) list.reserve(list.empty() ? kInitialEntries : list.capacity() * 2);
    list.push_back(std::move(value));
}

}  // namespace

bool TStackFunction::Covers(std::uint32_t address) const {
    for (const CodeArea& a : Info.Areas)
        if (!a.CaseTable && !a.HandlerTable && a.Start <= address && address <= a.End) return true;
    return false;
}

StackCaches::StackCaches() {
    modules_.reserve(kInitialEntries);
    functions_.reserve(kInitialEntries);
}

std::int32_t StackCaches::FindModule(std::uint32_t handle) const {
    const auto it = module_index_.find(handle);
    return it == module_index_.end() ? -1 : it->second;
}

std::int32_t StackCaches::AddModule(TStackModule module) {
    const auto index = static_cast<std::int32_t>(modules_.size());
    module_index_[module.ModuleHandle] = index;
    append_doubling(modules_, std::move(module));
    return index;
}

void StackCaches::ReplaceModule(std::int32_t index, TStackModule module) {
    modules_[index] = std::move(module);
    for (std::size_t i = 0; i < functions_.size(); ++i) {
        TStackFunction& f = functions_[i];
        if (f.ModuleIndex != index || f.Stale) continue;
        f.Stale = true;
        const auto it = function_index_.find(f.Info.Entry);
        if (it != function_index_.end() && it->second == static_cast<std::int32_t>(i)) function_index_.erase(it);
    }
    RoutinesKnown = false;
}

std::int32_t StackCaches::FindFunction(std::uint32_t entry) const {
    const auto it = function_index_.find(entry);
    return it == function_index_.end() ? -1 : it->second;
}

std::int32_t StackCaches::AddFunction(TStackFunction function) {
    const auto index = static_cast<std::int32_t>(functions_.size());
    function_index_[function.Info.Entry] = index;
    const bool approved = function.Approved;
    function.Approved = false;
    append_doubling(functions_, std::move(function));
    if (approved) Approve(index);
    return index;
}

void StackCaches::Approve(std::int32_t index) {
    if (functions_[index].Approved) return;
    functions_[index].Approved = true;
    approved_.insert(std::upper_bound(approved_.begin(), approved_.end(), index), index);
}

void StackCaches::BeginTrace() {
    for (TStackFunction& f : functions_) f.Invalid = false;
    ++trace_;
}

}  // namespace roadsum
