// Patches of the executable's import table: thread creation (the system's calls and the C run
// time's), so that every thread function runs inside the reporter's frame and is listed with
// its creator; and the message-reading functions, where the program's threads wait while an
// exception is handled with PauseThreads.
#include <process.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <new>
#include <vector>

#include "crash/capture/capture_internal_win32.h"

namespace roadsum::capture {

namespace {

struct Patch {
    void** slot;
    void* original;
};

std::vector<Patch>& patches() {
    static std::vector<Patch>* p = new std::vector<Patch>;
    return *p;
}

enum HookIndex { hCreateThread, hCreateRemoteThread, hQueueUserWorkItem, hBeginThreadEx, hBeginThread,
                 hGetMessageA, hGetMessageW, hPeekMessageA, hPeekMessageW, kHookCount };

// The functions the patched slots held. Kept after the patches are undone: a thread may still
// be inside a hook then.
std::atomic<void*> g_originals[kHookCount];

template <class F>
F original_of(HookIndex index) {
    return reinterpret_cast<F>(g_originals[index].load());
}

// Where a thread came from: the code that asked for it.
TThreadOrigin origin_here(void* return_address) {
    TThreadOrigin origin;
    origin.CreatorId = GetCurrentThreadId();
    origin.CreationAddress = AddressOf(return_address);
    return origin;
}

template <class Start, class Result>
struct ThreadStart {
    Start start;
    void* param;
    TThreadOrigin origin;
};

using SystemStart = ThreadStart<LPTHREAD_START_ROUTINE, DWORD>;
using RuntimeStart = ThreadStart<unsigned(__stdcall*)(void*), unsigned>;
using RuntimeStartVoid = ThreadStart<void(__cdecl*)(void*), void>;

DWORD WINAPI system_thread(void* p) {
    const SystemStart s = *static_cast<SystemStart*>(p);
    delete static_cast<SystemStart*>(p);
    DWORD result = 0;
    RunThreadFunction(s.origin, [&] { result = s.start(s.param); });
    return result;
}

unsigned __stdcall runtime_thread(void* p) {
    const RuntimeStart s = *static_cast<RuntimeStart*>(p);
    delete static_cast<RuntimeStart*>(p);
    unsigned result = 0;
    RunThreadFunction(s.origin, [&] { result = s.start(s.param); });
    return result;
}

void __cdecl runtime_thread_void(void* p) {
    const RuntimeStartVoid s = *static_cast<RuntimeStartVoid*>(p);
    delete static_cast<RuntimeStartVoid*>(p);
    RunThreadFunction(s.origin, [&] { s.start(s.param); });
}

using CreateThreadFn = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID, DWORD, LPDWORD);
using CreateRemoteThreadFn = HANDLE(WINAPI*)(HANDLE, LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE, LPVOID,
                                             DWORD, LPDWORD);
using QueueUserWorkItemFn = BOOL(WINAPI*)(LPTHREAD_START_ROUTINE, PVOID, ULONG);
using BeginThreadExFn = std::uintptr_t(__cdecl*)(void*, unsigned, unsigned(__stdcall*)(void*), void*, unsigned, unsigned*);
using BeginThreadFn = std::uintptr_t(__cdecl*)(void(__cdecl*)(void*), unsigned, void*);

HANDLE WINAPI hooked_CreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE start, LPVOID param,
                                  DWORD flags, LPDWORD id);
HANDLE WINAPI hooked_CreateRemoteThread(HANDLE process, LPSECURITY_ATTRIBUTES sa, SIZE_T stack,
                                        LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags, LPDWORD id);
BOOL WINAPI hooked_QueueUserWorkItem(LPTHREAD_START_ROUTINE start, PVOID param, ULONG flags);
std::uintptr_t __cdecl hooked_beginthreadex(void* sa, unsigned stack, unsigned(__stdcall* start)(void*), void* param,
                                            unsigned flags, unsigned* id);
std::uintptr_t __cdecl hooked_beginthread(void(__cdecl* start)(void*), unsigned stack, void* param);

HANDLE WINAPI hooked_CreateThread(LPSECURITY_ATTRIBUTES sa, SIZE_T stack, LPTHREAD_START_ROUTINE start, LPVOID param,
                                  DWORD flags, LPDWORD id) {
    const auto real = original_of<CreateThreadFn>(hCreateThread);
    auto* s = start ? new (std::nothrow) SystemStart{start, param, origin_here(__builtin_return_address(0))} : nullptr;
    if (!s) return real(sa, stack, start, param, flags, id);
    HANDLE h = real(sa, stack, system_thread, s, flags, id);
    if (!h) delete s;
    return h;
}

HANDLE WINAPI hooked_CreateRemoteThread(HANDLE process, LPSECURITY_ATTRIBUTES sa, SIZE_T stack,
                                        LPTHREAD_START_ROUTINE start, LPVOID param, DWORD flags, LPDWORD id) {
    const auto real = original_of<CreateRemoteThreadFn>(hCreateRemoteThread);
    // Only a thread of this process can run the reporter's frame.
    if (!start || GetProcessId(process) != GetCurrentProcessId()) return real(process, sa, stack, start, param, flags, id);
    auto* s = new (std::nothrow) SystemStart{start, param, origin_here(__builtin_return_address(0))};
    if (!s) return real(process, sa, stack, start, param, flags, id);
    HANDLE h = real(process, sa, stack, system_thread, s, flags, id);
    if (!h) delete s;
    return h;
}

BOOL WINAPI hooked_QueueUserWorkItem(LPTHREAD_START_ROUTINE start, PVOID param, ULONG flags) {
    const auto real = original_of<QueueUserWorkItemFn>(hQueueUserWorkItem);
    auto* s = start ? new (std::nothrow) SystemStart{start, param, origin_here(__builtin_return_address(0))} : nullptr;
    if (!s) return real(start, param, flags);
    const BOOL queued = real(system_thread, s, flags);
    if (!queued) delete s;
    return queued;
}

std::uintptr_t __cdecl hooked_beginthreadex(void* sa, unsigned stack, unsigned(__stdcall* start)(void*), void* param,
                                            unsigned flags, unsigned* id) {
    const auto real = original_of<BeginThreadExFn>(hBeginThreadEx);
    auto* s = start ? new (std::nothrow) RuntimeStart{start, param, origin_here(__builtin_return_address(0))} : nullptr;
    if (!s) return real(sa, stack, start, param, flags, id);
    const std::uintptr_t h = real(sa, stack, runtime_thread, s, flags, id);
    if (!h) delete s;
    return h;
}

std::uintptr_t __cdecl hooked_beginthread(void(__cdecl* start)(void*), unsigned stack, void* param) {
    const auto real = original_of<BeginThreadFn>(hBeginThread);
    auto* s = start ? new (std::nothrow) RuntimeStartVoid{start, param, origin_here(__builtin_return_address(0))} : nullptr;
    if (!s) return real(start, stack, param);
    const std::uintptr_t h = real(runtime_thread_void, stack, s);
    if (h == static_cast<std::uintptr_t>(-1)) delete s;
    return h;
}

// Cooperative pausing: listed threads wait at their next message read until resumed.
struct Pausing {
    SRWLOCK lock = SRWLOCK_INIT;
    std::vector<DWORD> listed;
    HANDLE resumed = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    std::atomic<bool> active{false};
};

Pausing& pausing() {
    static Pausing* p = new Pausing;
    return *p;
}

void wait_if_paused() {
    Pausing& p = pausing();
    if (!p.active) return;
    AcquireSRWLockShared(&p.lock);
    const bool listed = std::find(p.listed.begin(), p.listed.end(), GetCurrentThreadId()) != p.listed.end();
    ReleaseSRWLockShared(&p.lock);
    if (listed) WaitForSingleObject(p.resumed, INFINITE);
}

using GetMessageFn = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT);
using PeekMessageFn = BOOL(WINAPI*)(LPMSG, HWND, UINT, UINT, UINT);

BOOL WINAPI hooked_GetMessageA(LPMSG msg, HWND window, UINT first, UINT last);
BOOL WINAPI hooked_GetMessageW(LPMSG msg, HWND window, UINT first, UINT last);
BOOL WINAPI hooked_PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove);
BOOL WINAPI hooked_PeekMessageW(LPMSG msg, HWND window, UINT first, UINT last, UINT remove);

BOOL WINAPI hooked_GetMessageA(LPMSG msg, HWND window, UINT first, UINT last) {
    wait_if_paused();
    return original_of<GetMessageFn>(hGetMessageA)(msg, window, first, last);
}
BOOL WINAPI hooked_GetMessageW(LPMSG msg, HWND window, UINT first, UINT last) {
    wait_if_paused();
    return original_of<GetMessageFn>(hGetMessageW)(msg, window, first, last);
}
BOOL WINAPI hooked_PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    wait_if_paused();
    return original_of<PeekMessageFn>(hPeekMessageA)(msg, window, first, last, remove);
}
BOOL WINAPI hooked_PeekMessageW(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    wait_if_paused();
    return original_of<PeekMessageFn>(hPeekMessageW)(msg, window, first, last, remove);
}

struct Hook {
    HookIndex index;
    const char* module;  // compared ignoring case
    const char* function;
    void* replacement;
};

const Hook kHooks[] = {
    {hCreateThread, "kernel32.dll", "CreateThread", reinterpret_cast<void*>(hooked_CreateThread)},
    {hCreateRemoteThread, "kernel32.dll", "CreateRemoteThread", reinterpret_cast<void*>(hooked_CreateRemoteThread)},
    {hQueueUserWorkItem, "kernel32.dll", "QueueUserWorkItem", reinterpret_cast<void*>(hooked_QueueUserWorkItem)},
    {hBeginThreadEx, "msvcrt.dll", "_beginthreadex", reinterpret_cast<void*>(hooked_beginthreadex)},
    {hBeginThread, "msvcrt.dll", "_beginthread", reinterpret_cast<void*>(hooked_beginthread)},
    {hGetMessageA, "user32.dll", "GetMessageA", reinterpret_cast<void*>(hooked_GetMessageA)},
    {hGetMessageW, "user32.dll", "GetMessageW", reinterpret_cast<void*>(hooked_GetMessageW)},
    {hPeekMessageA, "user32.dll", "PeekMessageA", reinterpret_cast<void*>(hooked_PeekMessageA)},
    {hPeekMessageW, "user32.dll", "PeekMessageW", reinterpret_cast<void*>(hooked_PeekMessageW)},
};

bool write_slot(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return false;
    *slot = value;
    DWORD ignored = 0;
    VirtualProtect(slot, sizeof *slot, old, &ignored);
    return true;
}

}  // namespace

bool InstallImportHooks() {
    if (!patches().empty()) return true;
    auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    const DWORD image_size = nt->OptionalHeader.SizeOfImage;
    if (dir.VirtualAddress == 0) return true;  // imports nothing: nothing to patch
    const auto inside = [&](DWORD rva, DWORD size) { return rva < image_size && size <= image_size - rva; };
    if (!inside(dir.VirtualAddress, sizeof(IMAGE_IMPORT_DESCRIPTOR))) return false;

    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        if (!inside(reinterpret_cast<const std::uint8_t*>(d) - base, sizeof *d) || !inside(d->Name, 1) ||
            !inside(d->FirstThunk, 4))
            return false;
        const char* dll = reinterpret_cast<const char*>(base + d->Name);
        const DWORD names_rva = d->OriginalFirstThunk ? d->OriginalFirstThunk : d->FirstThunk;
        if (!inside(names_rva, 4)) return false;
        auto* names = reinterpret_cast<const IMAGE_THUNK_DATA32*>(base + names_rva);
        auto* slots = reinterpret_cast<void**>(base + d->FirstThunk);
        for (std::size_t i = 0; names[i].u1.AddressOfData; ++i) {
            if (names[i].u1.Ordinal & IMAGE_ORDINAL_FLAG32) continue;
            if (!inside(names[i].u1.AddressOfData, sizeof(IMAGE_IMPORT_BY_NAME))) return false;
            const char* function = reinterpret_cast<const char*>(
                reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData)->Name);
            for (const Hook& h : kHooks) {
                if (lstrcmpiA(dll, h.module) != 0 || std::strcmp(function, h.function) != 0) continue;
                void* original = slots[i];
                if (original == h.replacement) continue;
                g_originals[h.index] = original;
                if (!write_slot(&slots[i], h.replacement)) return false;
                patches().push_back({&slots[i], original});
            }
        }
    }
    return true;
}

void RemoveImportHooks() {
    ResumeProgramThreads();
    for (const Patch& p : patches()) write_slot(p.slot, p.original);
    patches().clear();
}

void PauseProgramThreads(DWORD keep_running) {
    Pausing& p = pausing();
    AcquireSRWLockExclusive(&p.lock);
    p.listed.clear();
    const DWORD self = GetCurrentThreadId();
    // Only threads that the program started through the hooks; never this one, the main
    // thread or the one the report needs.
    for (DWORD id : ThreadIdsStartedByProgram())
        if (id != self && id != Facts().main_thread_id && id != keep_running) p.listed.push_back(id);
    ResetEvent(p.resumed);
    p.active = true;
    ReleaseSRWLockExclusive(&p.lock);
}

void ResumeProgramThreads() {
    Pausing& p = pausing();
    AcquireSRWLockExclusive(&p.lock);
    p.active = false;
    p.listed.clear();
    SetEvent(p.resumed);
    ReleaseSRWLockExclusive(&p.lock);
}

}  // namespace roadsum::capture
