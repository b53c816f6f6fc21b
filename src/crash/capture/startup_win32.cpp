// Start-up and shutdown of the reporter in this process, and the facts and objects that the
// Win32 parts share.
#include <atomic>
#include <vector>

#include "crash/capture/capture_internal_win32.h"
#include "crash/capture/file_checksum.h"
#include "crash/common/scoped_handle_win32.h"

namespace roadsum::capture {

namespace {

std::atomic<IExceptionBox*> g_box{nullptr};
std::atomic<bool> g_started{false};

bool console_subsystem() {
    const auto* base = reinterpret_cast<const std::uint8_t*>(GetModuleHandleA(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

std::string module_path(HMODULE module) {
    char path[MAX_PATH * 2];
    const DWORD n = GetModuleFileNameA(module, path, sizeof path);
    return n && n < sizeof path ? std::string(path, n) : std::string();
}

// The file's check; a file that cannot be read or is no image is not held against it.
TFileCheck check_file(const std::string& path) {
    if (path.empty()) return TFileCheck::Unreadable;
    ScopedFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file.valid()) return TFileCheck::Unreadable;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.get(), &size) || size.QuadPart <= 0 || size.QuadPart > 0x7FFFFFFF)
        return TFileCheck::Unreadable;
    ScopedMapping mapping(CreateFileMappingA(file.get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.valid()) return TFileCheck::Unreadable;
    ScopedView view(MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0));
    if (!view.valid()) return TFileCheck::Unreadable;
    return CheckImageChecksum(std::string_view(static_cast<const char*>(view.get()), static_cast<std::size_t>(size.QuadPart)));
}

void tell(const std::string& text, const std::string& caption) {
    if (Facts().console)
        WriteConsole(text + "\r\n");
    else
        MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

// The executable ends at once when its file (or that of the settings' module) is damaged.
void check_files(const TCrashSettings& settings) {
    HMODULE own = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&check_files), &own);
    const auto ruling = reinterpret_cast<HMODULE>(settings.Module());
    std::vector<HMODULE> modules{own};
    if (ruling && ruling != own) modules.push_back(ruling);
    for (HMODULE module : modules) {
        if (check_file(module_path(module)) != TFileCheck::Mismatch) continue;
        Ref<TCrashSettings> of_module = ModuleSettings(reinterpret_cast<ModuleHandle>(module));
        tell(of_module->Get(keys::BitFaultMsg), of_module->Get(keys::TitleBar));
        ExitProcess(kBitFaultExitCode);
    }
}

}  // namespace

ProcessFacts& Facts() {
    static ProcessFacts facts;
    return facts;
}

THandlerRegistry& Handlers() {
    static THandlerRegistry* handlers = new THandlerRegistry;  // handlers may fire while statics go
    return *handlers;
}

IExceptionBox* Box() { return g_box; }

std::uint32_t AddressOf(const void* p) { return static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(p)); }

void NoteOwnStack(TCapturedException& exception) {
    std::uint32_t base, limit;
    asm volatile("movl %%fs:4, %0" : "=r"(base));
    asm volatile("movl %%fs:8, %0" : "=r"(limit));
    exception.StackBase = base;
    exception.StackLimit = limit;
}

void WriteConsole(const std::string& text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (!out || out == INVALID_HANDLE_VALUE) return;
    for (std::size_t done = 0; done < text.size();) {
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1 << 16));
        if (!WriteFile(out, text.data() + done, chunk, &written, nullptr) || written == 0) return;
        done += written;
    }
}

void EndProcess(UINT exit_code) {
    // Threads that hold locks may be waiting for this one: nothing waits for them now, and the
    // process ends without running other modules' detach code.
    StopFreezeWatchdog(false);
    RemoveImportHooks();
    RemoveSystemHooks();
    FreeEmergencyReserve();
    Facts().enabled = false;
    TerminateProcess(GetCurrentProcess(), exit_code);
    ExitProcess(exit_code);
}

}  // namespace roadsum::capture

namespace roadsum {

using namespace capture;

void StartCrashReporter() {
    if (g_started.exchange(true)) return;
    Facts().main_thread_id = GetCurrentThreadId();
    Facts().console = console_subsystem();
    // Another process may call this export; the start-up keeps it linked in.
    static volatile auto keep_export = &noxTraceProcess;
    (void)keep_export;

    const Ref<TCrashSettings> settings = RulingSettings();
    const bool enabled = settings->Valid() && settings->Get(keys::Enabled);
    if (enabled && settings->Get(keys::CheckFileCrc)) check_files(*settings);

    if (!OpenThreadNames()) {
        tell(kThreadNameBufferError, kInternalErrorCaption);
        ExitProcess(0);
    }
    if (enabled) {
        PrepareRaiseRecords();
        InstallSystemHooks();
        CreateMainThreadWindow();
        StartHandlingThread();  // without one, failures are handled where they happen
        Facts().enabled = true;
        if (!InstallImportHooks()) tell(kImportTableMessage, kInternalErrorCaption);
        TakeEmergencyReserve();
        if (settings->Get(keys::CheckFreeze)) StartFreezeWatchdog(settings->Get(keys::FreezeTimeout));
    }
    if (std::optional<TExceptionTimeRing> ring = TakeOverRestartRing()) Flow().SetRing(*ring);
}

void ShutdownCrashReporter() {
    if (!g_started.exchange(false)) return;
    StopFreezeWatchdog();
    RemoveImportHooks();
    Facts().enabled = false;
    StopHandlingThread();
    DestroyMainThreadWindow();
    RemoveSystemHooks();
    FreeEmergencyReserve();
}

bool CrashReporterEnabled() { return Facts().enabled; }

THandlerRegistry& ExceptionHandlers() { return Handlers(); }

TExceptionTimeRing ExceptionTimes() { return Flow().Ring(); }

void SetExceptionBox(IExceptionBox* box) { g_box = box; }

}  // namespace roadsum
