// Exception handlers that the program registers: for an exception being handled, for an action
// the user (or a rule) asked for, and for a hidden exception. Methods of objects and plain
// procedures are kept in two lists per event; each handler says where it runs (the handling
// thread, the main thread, or the main thread when possible).
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "crash/capture/capture_types.h"

namespace roadsum {

class INXException;

// What one firing passes to every handler, and what it learns.
struct TFireHandlersParams {
    THandlerEvent Event = heException;
    int Action = 0;  // TActionCode for heAction
    INXException* Report = nullptr;
    bool Handled = false;
    bool MainThreadPass = false;    // the handlers running now run in the main thread
    bool MainThreadFailed = false;  // the main thread could not run its handlers
};

// A handler: the report, the action code, and the flag it sets to mark the event handled.
using TExceptionHandlerProc = void (*)(INXException* report, int action, bool& handled);
using TExceptionHandlerMethod = std::function<void(INXException* report, int action, bool& handled)>;

// How handlers reach the main thread (through the reporter's hidden window there).
class TMainThreadCaller {
public:
    virtual ~TMainThreadCaller() = default;
    // True when the main thread answers its probe (777 within 1500 ms).
    virtual bool Probe() = 0;
    // Runs `pass` in the main thread and waits for it; false when it could not run there.
    virtual bool Run(const std::function<void()>& pass) = 0;
};

class THandlerRegistry {
public:
    // The id for Unregister. `owner` names the object of a method, so that all its handlers
    // can go at once.
    int RegisterMethod(THandlerEvent event, TExceptionHandlerMethod method, THandlerThreadMode mode,
                       const void* owner = nullptr);
    int RegisterProcedure(THandlerEvent event, TExceptionHandlerProc procedure, THandlerThreadMode mode);
    bool Unregister(int id);
    void UnregisterOwner(const void* owner);
    void Clear();
    bool Has(THandlerEvent event) const;

    // One firing: the handling thread's handlers (methods, then procedures, in registration
    // order), then, when nothing is handled yet, the main thread's; when the main thread
    // cannot run them (always so for a freeze), those that allow it run in the handling
    // thread. For exceptions and actions a firing stops at the first handler that marks the
    // event handled; hidden-exception handlers are all called. A handler that throws is
    // passed over.
    void Fire(TFireHandlersParams& params, bool freeze, TMainThreadCaller* main_thread) const;

private:
    struct Entry {
        int id;
        bool method;
        THandlerThreadMode mode;
        const void* owner;
        TExceptionHandlerMethod call;
    };

    int Add(THandlerEvent event, Entry entry);
    std::vector<Entry> Snapshot(THandlerEvent event) const;

    mutable std::mutex lock_;
    std::vector<Entry> entries_[kHandlerEventCount];
    int next_id_ = 1;
};

}  // namespace roadsum
