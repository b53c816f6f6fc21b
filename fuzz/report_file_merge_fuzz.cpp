#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "crash/report/report_file_merge.h"

// Input: one byte of rules (append, the duplicate definitions, a size limit), then the old
// file and the new report, split at the first 0xFF byte. Nothing may crash; the plan may only
// remove ascending ranges of the old file, the file afterwards is exactly the kept bytes in
// their order followed by the written text, and that text holds the report whole.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t r = data[0];
    roadsum::ReportFileRules rules;
    rules.Append = (r & 1) == 0;
    rules.Exceptions = static_cast<roadsum::DuplicateDefinition>(static_cast<int>((r >> 1) & 3) - 1);
    rules.Freezes = static_cast<roadsum::DuplicateDefinition>(static_cast<int>((r >> 3) & 3) - 1);
    rules.SizeLimit = (r >> 5) * 97;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t split = rest.find('\xff');
    const std::string_view file = rest.substr(0, split);
    const std::string_view report = split == std::string_view::npos ? std::string_view() : rest.substr(split + 1);

    const roadsum::ReportFileMerge plan = roadsum::plan_report_merge(file, report, rules);
    std::string kept;
    std::size_t from = 0;
    for (const auto& [first, second] : plan.Removed) {
        if (first < from || second <= first || second > file.size()) std::abort();
        kept += file.substr(from, first - from);
        from = second;
    }
    kept += file.substr(from);
    if (!rules.Append && !kept.empty()) std::abort();
    if (plan.NewSize != kept.size() + plan.Written.size()) std::abort();
    if (plan.Count == 1 && plan.Written.find(report) == std::string::npos) std::abort();
    if (plan.Written.size() < 4 || plan.Written.compare(plan.Written.size() - 4, 4, "\r\n\r\n") != 0) std::abort();

    std::vector<std::uint8_t> buffer(file.begin(), file.end());
    buffer.resize(std::max(file.size(), plan.NewSize));
    roadsum::apply_report_merge(buffer.data(), file.size(), plan);
    if (std::string_view(reinterpret_cast<const char*>(buffer.data()), plan.NewSize) != kept + plan.Written) std::abort();
    return 0;
}
