// The hooks into the system and the C run time: the top-level exception filter for processor
// exceptions, a first-chance handler for the thread-naming exception, std::terminate and the
// run time's fatal errors (abort, pure virtual calls, invalid parameters).
#include <csignal>
#include <exception>

#include "crash/capture/capture_internal_win32.h"
#include "crash/sysinfo/system_function_win32.h"
#include "runtime/exceptions.h"

namespace roadsum::capture {

namespace {

LPTOP_LEVEL_EXCEPTION_FILTER g_previous_filter = nullptr;
void* g_vectored = nullptr;
std::terminate_handler g_previous_terminate = nullptr;
void (*g_previous_abort)(int) = SIG_DFL;
bool g_installed = false;

using PurecallHandler = void(__cdecl*)();
using InvalidParameterHandler = void(__cdecl*)(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, std::uintptr_t);
void* g_previous_purecall = nullptr;
void* g_previous_invalid_parameter = nullptr;

TProcessorContext context_of(const CONTEXT& c) {
    return {c.Eax, c.Ebx, c.Ecx, c.Edx, c.Esi, c.Edi, c.Eip, c.Esp, c.Ebp, c.EFlags,
            static_cast<std::uint16_t>(c.SegCs), static_cast<std::uint16_t>(c.SegDs),
            static_cast<std::uint16_t>(c.SegEs), static_cast<std::uint16_t>(c.SegFs),
            static_cast<std::uint16_t>(c.SegGs), static_cast<std::uint16_t>(c.SegSs)};
}

std::string module_name_of(const void* address) {
    HMODULE module = nullptr;
    char path[MAX_PATH] = {};
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            static_cast<LPCSTR>(address), &module) ||
        !GetModuleFileNameA(module, path, sizeof path))
        return "";
    const std::string full = path;
    return full.substr(full.find_last_of("\\/") + 1);
}

// What the filter takes from a processor exception: plain copies, since a thread whose stack
// ran out has no room for more.
struct SystemFailure {
    EXCEPTION_RECORD record;
    CONTEXT context;
    DWORD thread_id;
    std::uint32_t stack_base, stack_limit;
};

void report_failure(const SystemFailure& f) {
    TSystemExceptionFacts facts;
    facts.Code = f.record.ExceptionCode;
    facts.Address = AddressOf(f.record.ExceptionAddress);
    for (DWORD i = 0; i < f.record.NumberParameters && i < EXCEPTION_MAXIMUM_PARAMETERS; ++i)
        facts.Info.push_back(static_cast<std::uint32_t>(f.record.ExceptionInformation[i]));
    facts.Module = module_name_of(f.record.ExceptionAddress);
    TCapturedException exception = DescribeSystemException(facts);
    exception.StackBase = f.stack_base;
    exception.StackLimit = f.stack_limit;
    const TProcessorContext context = context_of(f.context);
    THandleExceptionArgs args;
    args.ExceptObject = &exception;
    args.ExceptAddress = facts.Address;
    args.Context = &context;
    args.FramePointer = context.Ebp;
    args.StackPointer = context.Esp;
    args.Source = esSystemFilter;
    // The faulting instruction cannot be resumed: the thread is lost.
    args.CanContinue = false;
    args.ThreadId = f.thread_id;
    roadsum::HandleException(args);
}

LONG WINAPI top_level_filter(EXCEPTION_POINTERS* pointers) {
    if (!Facts().enabled || !pointers || !pointers->ExceptionRecord || !pointers->ContextRecord)
        return g_previous_filter ? g_previous_filter(pointers) : EXCEPTION_CONTINUE_SEARCH;
    static SystemFailure overflow;  // kept off the stack of a thread that has none left
    SystemFailure local;
    const bool no_stack = pointers->ExceptionRecord->ExceptionCode == EXCEPTION_STACK_OVERFLOW;
    SystemFailure& f = no_stack ? overflow : local;
    f.record = *pointers->ExceptionRecord;
    f.context = *pointers->ContextRecord;
    f.thread_id = GetCurrentThreadId();
    asm volatile("movl %%fs:4, %0" : "=r"(f.stack_base));
    asm volatile("movl %%fs:8, %0" : "=r"(f.stack_limit));
    if (no_stack) {
        // A thread with stack to spare reports for this one while it waits.
        if (HANDLE helper = StartReporterThread([] { report_failure(overflow); }, THREAD_PRIORITY_NORMAL)) {
            WaitForSingleObject(helper, INFINITE);
            CloseHandle(helper);
        }
    } else {
        report_failure(f);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

// The thread-naming exception: its name goes into the thread name list; the raise returns.
LONG WINAPI first_chance(EXCEPTION_POINTERS* pointers) {
    const EXCEPTION_RECORD* record = pointers ? pointers->ExceptionRecord : nullptr;
    if (!record || record->ExceptionCode != kThreadNamingException || record->NumberParameters < 4)
        return EXCEPTION_CONTINUE_SEARCH;
    const ULONG_PTR* info = record->ExceptionInformation;
    if (info[0] != 0x1000 || info[3] != 0) return EXCEPTION_CONTINUE_SEARCH;
    char name[64] = {};
    SIZE_T got = 0;
    // The name may point anywhere: read what can be read, up to its end.
    for (SIZE_T i = 0; i + 1 < sizeof name; ++i) {
        if (!ReadProcessMemory(GetCurrentProcess(), reinterpret_cast<const char*>(info[1]) + i, name + i, 1, &got) ||
            name[i] == '\0')
            break;
    }
    const DWORD thread = static_cast<DWORD>(info[2]) == static_cast<DWORD>(-1) ? GetCurrentThreadId()
                                                                                : static_cast<DWORD>(info[2]);
    NameThread(thread, name);
    return EXCEPTION_CONTINUE_EXECUTION;
}

template <class E>
void report_runtime_error(E error, TExceptionSource source) {
    TCapturedException e;
    for (const char* name : error.class_chain()) e.ClassChain.emplace_back(name);
    e.Message = error.message();
    NoteOwnStack(e);
    THandleExceptionArgs args;
    args.ExceptObject = &e;
    args.ExceptAddress = AddressOf(__builtin_return_address(0));
    args.FramePointer = AddressOf(__builtin_frame_address(0));
    args.StackPointer = args.FramePointer;
    args.Source = source;
    args.CanContinue = false;
    roadsum::HandleException(args);
}

void on_terminate() {
    if (Facts().enabled) {
        if (std::exception_ptr error = std::current_exception())
            HandleCppException(error, esUnhandledException, false);
        else
            report_runtime_error(ERuntimeError("terminate called without an active exception"), esUnhandledException);
    }
    if (g_previous_terminate) g_previous_terminate();
    std::abort();
}

void on_abort(int) {
    if (Facts().enabled) report_runtime_error(ERuntimeError("Abnormal program termination"), esRuntimeError);
    TerminateProcess(GetCurrentProcess(), 3);
}

void __cdecl on_purecall() {
    if (Facts().enabled) report_runtime_error(ERuntimeError("Pure virtual function call"), esRuntimeError);
    TerminateProcess(GetCurrentProcess(), 3);
}

void __cdecl on_invalid_parameter(const wchar_t*, const wchar_t*, const wchar_t*, unsigned, std::uintptr_t) {
    if (Facts().enabled) report_runtime_error(ERuntimeError("Invalid parameter passed to a C run-time function"), esRuntimeError);
    TerminateProcess(GetCurrentProcess(), 3);
}

// The run time's handler setters, where the run time has them.
void* set_runtime_handler(const char* setter, void* handler) {
    HMODULE crt = GetModuleHandleA("msvcrt.dll");
    using Setter = void* (__cdecl*)(void*);
    auto set = crt ? reinterpret_cast<Setter>(reinterpret_cast<void*>(GetProcAddress(crt, setter))) : nullptr;
    return set ? set(handler) : nullptr;
}

// A 32-bit program on 64-bit Windows may otherwise lose a processor exception raised in a
// window procedure: the system would pass over it when the call returns from the kernel.
void keep_exceptions_of_callbacks() {
    using GetPolicy = BOOL(WINAPI*)(LPDWORD);
    using SetPolicy = BOOL(WINAPI*)(DWORD);
    constexpr DWORD kCallbackFilterEnabled = 1;
    const auto get = system_function<GetPolicy>("kernel32.dll", "GetProcessUserModeExceptionPolicy");
    const auto set = system_function<SetPolicy>("kernel32.dll", "SetProcessUserModeExceptionPolicy");
    DWORD flags = 0;
    if (get && set && get(&flags)) set(flags & ~kCallbackFilterEnabled);
}

}  // namespace

void KeepStackForReports() {
    // What a thread whose stack ran out still has for the exception filter.
    using SetGuarantee = BOOL(WINAPI*)(PULONG);
    static const auto set = system_function<SetGuarantee>("kernel32.dll", "SetThreadStackGuarantee");
    ULONG size = 32 * 1024;
    if (set) set(&size);
}

void InstallSystemHooks() {
    if (g_installed) return;
    g_installed = true;
    keep_exceptions_of_callbacks();
    KeepStackForReports();
    g_previous_filter = SetUnhandledExceptionFilter(top_level_filter);
    g_vectored = AddVectoredExceptionHandler(1, first_chance);
    g_previous_terminate = std::set_terminate(on_terminate);
    g_previous_abort = std::signal(SIGABRT, on_abort);
    g_previous_purecall = set_runtime_handler("_set_purecall_handler", reinterpret_cast<void*>(on_purecall));
    g_previous_invalid_parameter =
        set_runtime_handler("_set_invalid_parameter_handler", reinterpret_cast<void*>(on_invalid_parameter));
}

void RemoveSystemHooks() {
    if (!g_installed) return;
    g_installed = false;
    SetUnhandledExceptionFilter(g_previous_filter);
    if (g_vectored) RemoveVectoredExceptionHandler(g_vectored);
    g_vectored = nullptr;
    std::set_terminate(g_previous_terminate);
    std::signal(SIGABRT, g_previous_abort == SIG_ERR ? SIG_DFL : g_previous_abort);
    set_runtime_handler("_set_purecall_handler", g_previous_purecall);
    set_runtime_handler("_set_invalid_parameter_handler", g_previous_invalid_parameter);
}

}  // namespace roadsum::capture
