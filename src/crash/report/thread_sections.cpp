#include "crash/report/thread_sections.h"

#include "crash/report/header_values.h"

namespace roadsum {

std::string thread_title(std::uint32_t thread_id, std::string_view name, std::string_view class_name) {
    std::string title = name.empty() ? "thread " + dollar_hex(thread_id)
                                     : std::string(name) + " (" + dollar_hex(thread_id) + ")";
    if (!class_name.empty()) title += " (" + std::string(class_name) + ")";
    return title;
}

std::string thread_section_title(const TThreadReportRecord& thread) {
    std::string title = thread_title(thread.ThreadId, thread.Name, thread.ClassName) + ":";
    if (thread.Suspended) title += " <suspended>";
    if (thread.Priority != 0) title += " <priority:" + std::to_string(thread.Priority) + ">";
    return title;
}

std::string thread_placeholder(std::string_view top_address_line) {
    if (top_address_line.empty()) return kStackPlaceholder;
    return std::string(top_address_line) + "\r\n" + kStackPlaceholder;
}

std::string stack_not_accessible_text(std::string_view exception_address_line) {
    return ">> stack not accessible, exception location:\r\n" + std::string(exception_address_line);
}

std::string insert_created_by(std::string_view stack_text, std::string_view creator_title) {
    const std::string line = ">> created by " + std::string(creator_title) + " at:";
    const std::size_t last = stack_text.rfind('\n');
    if (last == std::string_view::npos) return line + "\r\n" + std::string(stack_text);
    return std::string(stack_text.substr(0, last + 1)) + line + "\r\n" + std::string(stack_text.substr(last + 1));
}

std::string internal_error_text(std::string_view step, std::string_view raise_line) {
    std::string text = ">> internal error in " + std::string(step);
    if (!raise_line.empty()) text += ":\r\n" + std::string(raise_line);
    return text;
}

}  // namespace roadsum
