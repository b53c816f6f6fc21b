// How the Win32 parts of capture reach each other. Not for use outside this room.
#pragma once

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "crash/capture/capture_win32.h"
#include "crash/settings/settings_win32.h"

namespace roadsum::capture {

// The process as the reporter sees it at start-up.
struct ProcessFacts {
    DWORD main_thread_id = 0;
    bool console = false;  // a console program prints instead of showing a box
    bool enabled = false;  // the hooks are in
};
ProcessFacts& Facts();

THandlingFlow& Flow();
THandlerRegistry& Handlers();
IExceptionBox* Box();

// The handling thread and its pipe.
bool StartHandlingThread();
void StopHandlingThread();
DWORD HandlingThreadId();
// HandleException's platform: the entry of every hook.
void Enter(const THandleExceptionArgs& args);

// The emergency reserve; releases and takes nest across threads.
void TakeEmergencyReserve();
void ReleaseEmergencyReserve();
void FreeEmergencyReserve();

// The thread name list of the process.
bool OpenThreadNames();
void CloseThreadNames();
void NameThread(DWORD thread_id, std::string_view name);
void EnterCreatedThread(DWORD thread_id, const TThreadOrigin& origin);
void LeaveThreadNames(DWORD thread_id);
std::optional<TThreadNameEntry> ThreadName(DWORD thread_id);
bool IsReporterThread(DWORD thread_id);
// The threads the program started through the hooks that run now (the reporter's own left out).
std::vector<DWORD> ThreadIdsStartedByProgram();
// Runs work in a new thread of the reporter's own (named "-"); its handle (which the caller
// closes), or null when none could start.
HANDLE StartReporterThread(std::function<void()> work, int priority, DWORD* thread_id = nullptr);

// The reporter's hidden window in the main thread.
bool CreateMainThreadWindow();
void DestroyMainThreadWindow();
HWND MainThreadWindow();
TMainThreadCaller& MainThreadCaller();
bool MainThreadRunsHandlers();
UINT WatchdogMessage();

// The freeze watchdog.
void StartFreezeWatchdog(std::int32_t freeze_timeout);
// Without waiting the watchdog is only told to stop (it may be waiting for the thread that
// ends the process).
void StopFreezeWatchdog(bool wait = true);
void PauseFreezeWatchdog();
void ResumeFreezeWatchdog();

// Hooks into the run time and the system.
void InstallSystemHooks();
// Keeps stack for the exception filter of the calling thread, should its stack run out.
void KeepStackForReports();
void RemoveSystemHooks();
// Import-table patches of the executable: thread creation and message reading.
bool InstallImportHooks();
void RemoveImportHooks();
// Cooperative pausing of the program's threads at their next message read.
void PauseProgramThreads(DWORD keep_running);
void ResumeProgramThreads();

// Where C++ exceptions were thrown.
void PrepareRaiseRecords();
std::optional<TRaiseRecord> FindRaiseRecord(const std::exception_ptr& error);
// Exceptions raised inside the reporter's own work on this thread are not hidden ones.
struct ReporterWork {
    ReporterWork();
    ~ReporterWork();
    ReporterWork(const ReporterWork&) = delete;
    ReporterWork& operator=(const ReporterWork&) = delete;
};
bool InReporterWork();
void MarkReported(const std::exception_ptr& error);

// Report objects: of a request, or of parameters with the given settings (null: those of the
// module that holds the exception address); the time and the report's number are filled in.
Ref<TCrashException> MakeReport(const THandlingRequest& request);
Ref<TCrashException> NewReport(TReportParams params, const TCrashSettings* settings);
void CompleteReport(const Ref<TCrashException>& report, bool background, bool all_threads);

// Restart: hands the time ring to a new process with the same command line; ends this one.
[[noreturn]] void RestartProcess(const TExceptionTimeRing& ring);
std::optional<TExceptionTimeRing> TakeOverRestartRing();

// Ends the process after the reporter's shutdown.
[[noreturn]] void EndProcess(UINT exit_code);

// Writes text to standard output (console programs).
void WriteConsole(const std::string& text);

// The failing thread's stack, from its thread information block.
void NoteOwnStack(TCapturedException& exception);

std::uint32_t AddressOf(const void* p);

}  // namespace roadsum::capture
