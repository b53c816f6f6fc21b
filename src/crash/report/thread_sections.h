// The thread sections of a report: each reported thread's record, its title with the marks for a
// suspended thread and an unusual priority, and the texts that stand in for a stack.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crash/stack/thread_stack_record.h"

namespace roadsum {

// The report's name for the record of one listed thread.
using TThreadReportRecord = TThreadStackRecord;

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
