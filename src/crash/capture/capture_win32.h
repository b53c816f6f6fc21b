// The crash reporter's capture in this process: start-up and shutdown, the entry every hook
// calls, report requests of the program, handler registration, the thread name list and the
// places where the exception box comes in.
#pragma once

#include <cstdint>
#include <exception>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "crash/capture/crash_exception.h"
#include "crash/capture/handler_registry.h"
#include "crash/capture/handling_flow.h"
#include "crash/capture/handling_request.h"
#include "crash/capture/thread_names.h"
#include "crash/capture/time_ring.h"

namespace roadsum {

// The exit codes of a program that the reporter ends.
inline constexpr unsigned kCloseExitCode = 1;
inline constexpr unsigned kRestartExitCode = 2;
inline constexpr unsigned kBitFaultExitCode = 0;

inline constexpr const char* kThreadNameBufferPrefix = "noxExceptThreadNameBuf";
inline constexpr const char* kRestartMappingPrefix = "noxExceptRestart";
inline constexpr const char* kTraceProcessMapName = "Global\\noxTraceProcessMap";
inline constexpr const char* kTraceProcessMapFallback = "noxTraceProcessMap";
inline constexpr const char* kInternalErrorCaption = "noxExcept";
inline constexpr const char* kThreadNameBufferError = "internal error (opening global buffer)";
inline constexpr const char* kImportTableMessage =
    "The import table is invalid.\r\n\r\nThis way noxExcept can't install the thread hooks.";

// Start-up, when the module that carries the reporter initialises (the executable calls it
// before anything else): the ruling settings; the file checksum (a corrupt file shows
// BitFaultMsg and ends the program with code 0); the thread name list with the main thread;
// when Enabled, the hooks, the handling thread, the handler machinery, the thread-creation
// hooks, the emergency reserve and, with CheckFreeze, the freeze watchdog; and the time ring
// of a process that restarted into this one.
void StartCrashReporter();
// Stops the watchdog, the hooks and the handling thread, undoes the patches and frees the
// reserve. The program's end calls it; a close or restart by the reporter does too.
void ShutdownCrashReporter();
bool CrashReporterEnabled();

// The entry every hook calls, in the failing thread.
void HandleException(const THandleExceptionArgs& args);

// For hooks that caught a C++ exception: names it, finds where it was thrown and hands it on.
void HandleCppException(const std::exception_ptr& error, TExceptionSource source, bool can_continue,
                        const void* related_object = nullptr);

// A report the program asks for (source 0): of the exception given, or, without one, of the
// place that asks. The program goes on unless the rules close or restart it.
void ReportException(const std::exception_ptr& error = nullptr);

// A report object made on request, completed in the calling thread unless postponed (then
// completed in the background). `settings` null: those of the module that holds the address.
Ref<INXException> CreateReport(TReportParams params, const TCrashSettings* settings = nullptr,
                               bool postpone_completion = false);

THandlerRegistry& ExceptionHandlers();
// The times of the last exceptions, newest first.
TExceptionTimeRing ExceptionTimes();

void SetThreadName(std::uint32_t thread_id, std::string_view name);
std::optional<TThreadNameEntry> FindThreadName(std::uint32_t thread_id);

// Where a thread came from, for the thread name list.
struct TThreadOrigin {
    std::uint32_t CreatorId = 0;
    std::uint32_t CreationAddress = 0;  // where the creating code asked for the thread
    std::string ClassName;              // of a thread object
};
// Runs a thread function inside the reporter's frame: the thread is listed with its origin
// while it runs, and a C++ exception escaping the function is reported (source 13) and ends
// the thread.
void RunThreadFunction(const TThreadOrigin& origin, const std::function<void()>& body);

// The exception box, once there is one: it shows a report and says what the user chose.
class IExceptionBox {
public:
    virtual ~IExceptionBox() = default;
    virtual TBoxChoice Show(TCrashException& report, THandlingFlow& flow) = 0;
    // Called once in the handling thread as it starts, so that the first box opens quickly.
    virtual void Prepare() {}
};
void SetExceptionBox(IExceptionBox* box);

// The rooms above capture register what they carry out at start-up, before StartCrashReporter.
// Send, save or print of a report once the handlers and the assistant have had their turn;
// `owner` is the window that owns any dialog (may be null). True when it was carried out.
using TReportActionDoer = std::function<bool(TCrashException& report, void* owner)>;
void SetReportActionDoer(TActionCode action, TReportActionDoer doer);
// Shows the named assistant for the report, modally over `owner`.
using TAssistantRunner =
    std::function<TAssistantResult(TCrashException& report, const std::string& name, void* owner)>;
void SetAssistantRunner(TAssistantRunner runner);

// AutoSend: sends a complete report, hidden and in the background; called in the thread that
// completed it.
using TAutomaticSender = std::function<void(TCrashException& report)>;
void SetAutomaticSender(TAutomaticSender sender);

// The report room's part in handling, registered at start-up like the doers above: starting
// the report of a report object (its header at once; the rest in the background, or before
// this returns when `background` is false, as in a blocked process; `all_threads` lists the
// reporter's own threads too, as a trace of the whole process does), and the automatic save
// into the report file (true when saved). Without it a report holds only what capture knows.
struct TReportParts {
    std::function<void(const Ref<TCrashException>& report, bool background, bool all_threads)> StartReport;
    std::function<bool(TCrashException& report)> AutoSave;
};
void SetReportParts(TReportParts parts);

// A send, save or print the user asks for (the box's buttons): the action handlers, the
// matching assistant, then the registered doer. False when nothing carried it out.
bool RunReportAction(TCrashException& report, TActionCode action, void* owner);
// The named assistant alone (a filter group that shows only its assistant).
TAssistantResult RunAssistant(TCrashException& report, const std::string& name, void* owner);

// Where the C++ exception that this thread is handling now was thrown; 0 when it handles none
// or its throw was not recorded. An internal error of a stack trace names this place.
std::uint32_t CaughtExceptionRaiseAddress();

// The reporter's temporary folder (".noxExcept" in the system's, made when missing), ending in
// a backslash; each handling clears it. Empty when the system names no temporary folder.
std::string ReporterTempFolder();

// Whether the process is blocked now for work that needs the loader (a dialog): the loader
// lock or the environment lock stays held by another thread, or is held by this one.
bool ProcessBlockedNow();
// For what needs the loader at the user's request (a dialog, printing): true, after a plain
// beep, while the process is blocked; the system's sounds could need the loader too.
bool RefusedWhileBlocked();

// The watchdog's current wait for an answer in milliseconds; 0 when it does not run.
std::uint32_t FreezeWatchInterval();

}  // namespace roadsum

// Builds a report of the whole process and puts its text into the shared memory
// "Global\noxTraceProcessMap" (or "noxTraceProcessMap"), cut to size - 1 characters and ended by
// a zero byte, or onto the clipboard when size < 1. Another process calls it as the start of
// a thread it creates in this one.
extern "C" __attribute__((dllexport, stdcall)) std::uint32_t noxTraceProcess(std::uint32_t size);
