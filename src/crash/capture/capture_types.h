// The small vocabulary of exception capture: what kind of failure a report is about, which
// hook saw it, the actions a user or a rule can take, the events handlers register for, and
// the processor registers at the failure.
#pragma once

#include <cstdint>

namespace roadsum {

enum TExceptionKind : std::uint8_t {
    ekNormal = 0,  // an exception
    ekFrozen = 1,  // the main thread stopped answering; no exception object, no crashing thread
    ekHidden = 2,  // an exception the program handled itself; only hidden-exception handlers hear of it
};

// Which hook reported the failure.
enum TExceptionSource : std::uint8_t {
    esProgram = 0,  // the program asked for a report itself (or noxTraceProcess did)
    esFreezeWatchdog = 1,
    esBcbTermination = 2,
    esRtlShowException = 3,
    esAppShowException = 4,    // the application object's show-exception routine
    esAppHandleException = 5,  // the application object's handle-exception routine
    esCgiApplication = 6,
    esIsapiApplication = 7,
    esWebExtension = 8,
    esSynchronize = 10,
    esRuntimeError = 11,         // the run time's fatal-error output
    esPackageInit = 12,
    esUnhandledException = 13,   // std::terminate, an exception escaping a thread function
    esSystemFilter = 14,         // the top-level system exception filter
    esHiddenException = 15,
};

// What action handlers are told the user or the rules asked for.
enum TActionCode : int {
    acSend = 0,
    acSave = 1,
    acPrint = 2,
    acAfterSendAssistant = 3,
    acAfterSaveAssistant = 4,
    acAfterPrintAssistant = 5,
    acContinue = 8,
    acRestart = 9,
    acClose = 10,
};

// The events handlers are registered for.
enum THandlerEvent : std::uint8_t {
    heException = 0,        // an exception is being handled
    heAction = 1,           // the user (or a rule) asked for an action
    heHiddenException = 2,  // the program handled an exception itself
};
inline constexpr int kHandlerEventCount = 3;

// Where a handler runs.
enum THandlerThreadMode : std::uint8_t {
    tmHandlingThread = 0,
    tmMainThread = 1,
    tmMainThreadOrHandlingThread = 2,  // the main thread, else the handling thread
};

// How far a report has come; every exception handler call is told.
enum TReportPhase : int {
    rpNone = 0,
    rpCreated = 1,
    rpStarted = 2,  // threads paused and the report started
    rpShowing = 3,  // about to be shown
    rpComplete = 4, // reached only from rpShowing
};

// The registers of a 32-bit x86 thread at the failure, in the order the report lists them.
struct TProcessorContext {
    std::uint32_t Eax = 0, Ebx = 0, Ecx = 0, Edx = 0, Esi = 0, Edi = 0;
    std::uint32_t Eip = 0, Esp = 0, Ebp = 0, EFlags = 0;
    std::uint16_t SegCs = 0, SegDs = 0, SegEs = 0, SegFs = 0, SegGs = 0, SegSs = 0;

    friend bool operator==(const TProcessorContext&, const TProcessorContext&) = default;
};

}  // namespace roadsum
