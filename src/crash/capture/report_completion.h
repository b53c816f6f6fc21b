// Completing a report: the header fields that the capture knows (the time of the exception,
// the process, the exception's number, class and message, the call-stack checksums) and a
// section per thread with its traced stack, the crashing thread first.
//
// The header and the placeholders are made at once; the stacks are traced afterwards, in a
// completion thread when the process is not blocked, and each finished section replaces its
// placeholder. The full report (system facts, plug-ins, registers, stack dump, disassembly)
// builds on this through the same report object.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "crash/capture/crash_exception.h"
#include "crash/capture/thread_names.h"

namespace roadsum {

// One traced stack.
struct TThreadTrace {
    bool Readable = false;  // false: the stack could not be read at all
    std::string Text;       // the call-stack lines
    std::uint32_t Crc1 = 0, Crc2 = 0;
    bool HasLines = false;
};

// The process whose threads a report lists.
class TReportProcess {
public:
    virtual ~TReportProcess() = default;
    virtual std::uint32_t ProcessId() const = 0;
    virtual std::uint32_t MainThreadId() const = 0;
    // Every thread of the process, in the order of the system's thread list.
    virtual std::vector<std::uint32_t> ThreadIds() const = 0;
    virtual std::optional<TThreadNameEntry> ThreadName(std::uint32_t thread_id) const = 0;
    // The crashing thread from what the report knows of it; another thread from its registers.
    virtual TThreadTrace Trace(const TCrashException& report, const TThreadStackRecord& thread) = 0;
    // One address as a report line ("0044f3a2 +1c Roadsum.exe RoadsumFrm 112 TRoadsumFrm.Click").
    virtual std::string FormatAddress(const TCrashException& report, std::uint32_t address) = 0;
    // Runs the completion in a thread of the reporter's own.
    virtual void RunInBackground(std::function<void()> work) = 0;
};

inline constexpr const char* kStackPlaceholder = ">> stack will be calculated soon";
inline constexpr const char* kCrcPlaceholder = "will be calculated soon";

class TReportCompletion {
public:
    explicit TReportCompletion(TReportProcess& process) : process_(process) {}

    // Fills the header and the placeholders, then the stacks: in the background, or here when
    // `background` is false (a blocked process). With `all_threads` the reporter's own threads
    // are listed too (a trace of the whole process).
    void Start(const Ref<TCrashException>& report, bool background, bool all_threads = false);

    // The threads a report lists, in their order.
    std::vector<TThreadStackRecord> ThreadsOf(const TCrashException& report, bool all_threads) const;

private:
    void Complete(TCrashException& report);
    std::string SectionText(TCrashException& report, const TThreadStackRecord& thread, const TThreadTrace& trace);

    TReportProcess& process_;
};

// "$1234ABCD, $00000000, $FFFFFFFF": the three checksums as the header shows them.
std::string CallstackCrcText(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3);
// The checksum over all stacks: the crashing thread's whole-stack checksum extended by every
// further thread's.
std::uint32_t ExtendCallstackCrc(std::uint32_t crc, std::uint32_t thread_crc);

}  // namespace roadsum
