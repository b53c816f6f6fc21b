// The thread sections of a report: each reported thread's record, its title with the marks for a
// suspended thread and an unusual priority, and the texts that stand in for a stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crash/stack/stack_trace_types.h"

namespace roadsum {

// One thread as a report lists it.
struct TThreadReportRecord {
    std::string Title;  // of its section
    std::uint32_t ThreadId = 0;
    std::string Name;       // registered name ("main thread"), may be empty
    std::string ClassName;  // of the thread object that created it, may be empty
    std::uint32_t TopAddress = 0;  // shown as the top entry
    bool Crashing = false;
    bool External = false;  // the crash came from the processor or the system
    std::uint32_t StackLow = 0, StackHigh = 0;
    std::uint32_t ThreadFunction = 0;  // shown as the outermost entry
    std::uint32_t FramePointer = 0;
    bool RuntimeTerminated = false;  // ended by the other compiler's exception run-time
    PreparedStackRef PreparedStack;    // candidates recorded where the exception was raised
    std::uint32_t CreatorThreadId = 0;  // 0 when not known
    std::string CreatorTitle;
    bool Suspended = false;
    int Priority = 0;  // 0 is normal
    bool OwnModule = false;  // created by a module that carries the reporter: counts for the checksum of all stacks
};

// "main thread ($1A4)", "thread $2C8 (TRotateThread)".
std::string thread_title(std::uint32_t thread_id, std::string_view name, std::string_view class_name);
// The section title: the thread's title, ":", and " <suspended>", " <priority:2>" as they apply.
std::string thread_section_title(const TThreadReportRecord& thread);

inline constexpr const char* kStackPlaceholder = ">> stack will be calculated soon";
inline constexpr const char* kSectionPlaceholder = ">> will be calculated soon";

// The text a thread section shows until its stack is traced: the top address's line, then the
// placeholder.
std::string thread_placeholder(std::string_view top_address_line);
// The crashing thread's text when its stack cannot be read.
std::string stack_not_accessible_text(std::string_view exception_address_line);
// ">> created by <creator> at:" before the last line of a stack (the thread function).
std::string insert_created_by(std::string_view stack_text, std::string_view creator_title);

// The internal-error text of a step that failed: ">> internal error in GetThreadReport", with
// ":" and the line of the place that raised when it is known.
std::string internal_error_text(std::string_view step, std::string_view raise_line = {});

}  // namespace roadsum
