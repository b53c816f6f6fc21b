#include "crash/capture/handler_registry.h"

#include <algorithm>
#include <initializer_list>

namespace roadsum {

namespace {

bool valid_event(THandlerEvent event) { return event < kHandlerEventCount; }

}  // namespace

int THandlerRegistry::Add(THandlerEvent event, Entry entry) {
    if (!valid_event(event) || !entry.call) return 0;
    std::lock_guard guard(lock_);
    entry.id = next_id_++;
    entries_[event].push_back(std::move(entry));
    return entries_[event].back().id;
}

int THandlerRegistry::RegisterMethod(THandlerEvent event, TExceptionHandlerMethod method, THandlerThreadMode mode,
                                     const void* owner) {
    return Add(event, Entry{0, true, mode, owner, std::move(method)});
}

int THandlerRegistry::RegisterProcedure(THandlerEvent event, TExceptionHandlerProc procedure, THandlerThreadMode mode) {
    if (!procedure) return 0;
    return Add(event, Entry{0, false, mode, nullptr, procedure});
}

bool THandlerRegistry::Unregister(int id) {
    std::lock_guard guard(lock_);
    for (auto& list : entries_) {
        auto it = std::find_if(list.begin(), list.end(), [&](const Entry& e) { return e.id == id; });
        if (it == list.end()) continue;
        list.erase(it);
        return true;
    }
    return false;
}

void THandlerRegistry::UnregisterOwner(const void* owner) {
    if (!owner) return;
    std::lock_guard guard(lock_);
    for (auto& list : entries_) std::erase_if(list, [&](const Entry& e) { return e.owner == owner; });
}

void THandlerRegistry::Clear() {
    std::lock_guard guard(lock_);
    for (auto& list : entries_) list.clear();
}

bool THandlerRegistry::Has(THandlerEvent event) const {
    if (!valid_event(event)) return false;
    std::lock_guard guard(lock_);
    return !entries_[event].empty();
}

// Methods first, then procedures, each in registration order: handlers registered while a
// firing runs wait for the next firing.
std::vector<THandlerRegistry::Entry> THandlerRegistry::Snapshot(THandlerEvent event) const {
    std::lock_guard guard(lock_);
    std::vector<Entry> list = entries_[event];
    std::stable_partition(list.begin(), list.end(), [](const Entry& e) { return e.method; });
    return list;
}

void THandlerRegistry::Fire(TFireHandlersParams& params, bool freeze, TMainThreadCaller* main_thread) const {
    if (!valid_event(params.Event)) return;
    const std::vector<Entry> list = Snapshot(params.Event);
    const bool call_all = params.Event == heHiddenException;

    const auto pass = [&](std::initializer_list<THandlerThreadMode> modes) {
        for (const Entry& e : list) {
            if (!call_all && params.Handled) return;
            if (std::find(modes.begin(), modes.end(), e.mode) == modes.end()) continue;
            try {
                e.call(params.Report, params.Action, params.Handled);
            } catch (...) {
                // A failing handler must not end the handling it takes part in.
            }
        }
    };

    pass({tmHandlingThread});
    if (params.Handled && !call_all) return;
    const bool wants_main = std::any_of(list.begin(), list.end(), [](const Entry& e) { return e.mode != tmHandlingThread; });
    if (!wants_main) return;

    bool failed = freeze || !main_thread || !main_thread->Probe();
    if (!failed) {
        params.MainThreadPass = true;
        failed = !main_thread->Run([&] { pass({tmMainThread, tmMainThreadOrHandlingThread}); });
        params.MainThreadPass = false;
    }
    if (failed) {
        params.MainThreadFailed = true;
        pass({tmMainThreadOrHandlingThread});
    }
}

}  // namespace roadsum
