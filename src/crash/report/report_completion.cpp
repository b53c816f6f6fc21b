#include "crash/report/report_completion.h"

#include <algorithm>
#include <functional>

#include "crash/archive/crc32.h"
#include "crash/report/report_plugins.h"

namespace roadsum {

namespace {

struct Step {
    std::string title;  // of the section it fills
    const char* name;   // named by an internal-error line
    std::function<std::string()> text;
    std::uint64_t weight = 0;  // of the progress: a thread's stack size
};

std::string safe_address_line(ReportSources& sources, std::uint32_t address) {
    if (!address) return {};
    try {
        return sources.FormatAddress(address);
    } catch (...) {
        return {};
    }
}

std::uint32_t extend_crc(std::uint32_t crc, std::uint32_t thread_crc) {
    const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(thread_crc), static_cast<std::uint8_t>(thread_crc >> 8),
                                   static_cast<std::uint8_t>(thread_crc >> 16),
                                   static_cast<std::uint8_t>(thread_crc >> 24)};
    return crc32_update(crc, ByteView(bytes, 4));
}

}  // namespace

std::vector<TThreadReportRecord> order_report_threads(std::vector<TThreadReportRecord> threads,
                                                      std::uint32_t crashing_thread, std::uint32_t main_thread,
                                                      bool list_threads, bool with_reporter_threads) {
    if (!with_reporter_threads)
        std::erase_if(threads, [&](const TThreadReportRecord& t) { return t.Name == "-" && t.ThreadId != crashing_thread; });
    const std::uint32_t first = crashing_thread ? crashing_thread : main_thread;
    std::stable_partition(threads.begin(), threads.end(), [&](const TThreadReportRecord& t) { return t.ThreadId == first; });
    if (crashing_thread && crashing_thread != main_thread)
        std::stable_partition(threads.begin() + (threads.empty() || threads[0].ThreadId != first ? 0 : 1), threads.end(),
                              [&](const TThreadReportRecord& t) { return t.ThreadId == main_thread; });
    if (!list_threads && threads.size() > 1) threads.resize(1);
    for (TThreadReportRecord& t : threads) {
        t.Crashing = crashing_thread && t.ThreadId == crashing_thread;
        if (t.Title.empty()) t.Title = thread_section_title(t);
    }
    return threads;
}

void start_report(TBugReport& report, ReportSources& sources, const SystemFacts& system,
                  std::vector<TThreadReportRecord> threads) {
    INXSettings& settings = report.Settings();
    const std::vector<std::string> names = plugin_names(settings.Get(keys::Plugins));
    std::vector<NamedField> plugin_fields;
    std::vector<std::string> section_plugins;
    for (const std::string& name : names) {
        const std::optional<TReportPlugin> plugin = FindReportPlugin(name);
        if (!plugin) continue;
        if (plugin->Section) {
            section_plugins.push_back(plugin->Name);
            continue;
        }
        try {  // a failing header plug-in is left out
            plugin_fields.emplace_back(plugin->Name, ReportPluginText(*plugin, report));
        } catch (...) {
        }
    }
    fill_header(report.Header(), system, report.Failure().Facts, plugin_fields);

    for (TThreadReportRecord& t : threads)
        if (t.Title.empty()) t.Title = thread_section_title(t);
    INXFields& sections = report.Sections();
    for (const TThreadReportRecord& t : threads)
        sections.Add(t.Title, thread_placeholder(safe_address_line(sources, t.TopAddress)));
    report.SetThreads(std::move(threads));
    for (const std::string& name : section_plugins) sections.Add(name, kSectionPlaceholder);
    const TReportFailure& failure = report.Failure();
    if (failure.Context && settings.Get(keys::CpuRegs)) sections.Add(kCpuRegistersTitle, kSectionPlaceholder);
    if (failure.Context && settings.Get(keys::StackDump)) sections.Add(kStackDumpTitle, kSectionPlaceholder);
    bool listing = false;
    if (!report.Frozen() && failure.Address && settings.Get(keys::ShowDisAsm)) {
        try {
            listing = sources.HasDebugInfo(failure.Address);
        } catch (...) {
        }
    }
    if (listing) sections.Add(kDisassemblingTitle, kSectionPlaceholder);
}

void complete_report(TBugReport& report, ReportSources& sources, ReportProgress* progress) {
    INXSettings& settings = report.Settings();
    const TReportFailure& failure = report.Failure();
    const std::vector<TThreadReportRecord> threads = report.Threads();
    std::uint32_t crc1 = 0, crc2 = 0;
    std::vector<std::uint32_t> further;  // whole-stack checksums of the other threads that count

    auto thread_step = [&](std::size_t index) {
        const TThreadReportRecord& t = threads[index];
        return Step{t.Title, "GetThreadReport", [&, index] {
                        const TThreadTrace trace = sources.TraceThread(report, t);
                        if (!trace.Readable || trace.Text.empty())
                            return t.Crashing ? stack_not_accessible_text(sources.FormatAddress(failure.Address))
                                              : std::string(">> stack not accessible");
                        if (index == 0) {
                            crc1 = trace.Crc1;
                            crc2 = trace.Crc2;
                        } else if (t.OwnModule) {
                            further.push_back(trace.Crc2);
                        }
                        if (t.CreatorThreadId && !t.CreatorTitle.empty())
                            return insert_created_by(trace.Text, t.CreatorTitle);
                        return trace.Text;
                    },
                    std::max<std::uint64_t>(1, t.StackHigh > t.StackLow ? t.StackHigh - t.StackLow : 0)};
    };

    std::vector<Step> steps;
    if (!threads.empty()) steps.push_back(thread_step(0));
    if (failure.Context) {
        const CpuRegisters registers = *failure.Context;
        steps.push_back({kCpuRegistersTitle, "GetCpuRegisters", [registers] { return cpu_registers_text(registers); }});
        steps.push_back({kStackDumpTitle, "GetStackDump", [&sources, registers]() -> std::string {
                             const std::optional<std::uint32_t> end = sources.RegionEnd(registers.Esp);
                             return end ? stack_dump_text(sources.Memory(), registers.Esp, *end) : std::string();
                         }});
    }
    steps.push_back({kDisassemblingTitle, "GetCleartextDisAsm", [&] {
                         return sources.Disassembly(failure.Address, settings.Get(keys::FormatDisAsm),
                                                    settings.Get(keys::LimitDisAsm));
                     }});
    for (const std::string& name : plugin_names(settings.Get(keys::Plugins))) {
        const std::optional<TReportPlugin> plugin = FindReportPlugin(name);
        if (plugin && plugin->Section)
            steps.push_back({plugin->Name, "plugin", [&report, plugin] { return ReportPluginText(*plugin, report); }});
    }
    for (std::size_t i = 1; i < threads.size(); ++i) steps.push_back(thread_step(i));

    // Only the sections whose placeholders the report holds: settings and handlers decide.
    INXFields& sections = report.Sections();
    std::erase_if(steps, [&](const Step& s) { return sections.IndexOf(s.title) < 0; });
    const int total = static_cast<int>(steps.size());
    int done = 0;
    if (progress) {
        std::vector<std::uint64_t> weights;
        for (const Step& step : steps) weights.push_back(step.weight);
        progress->Plan(weights);
        progress->Position(0, total, {});
    }
    for (const Step& step : steps) {
        if (report.Aborted()) {
            report.MarkStopped();
            return;
        }
        std::string text;
        try {
            text = step.text();
        } catch (...) {
            std::string place;
            try {
                place = sources.FailurePlace();
            } catch (...) {
            }
            text = internal_error_text(step.name, place);
        }
        if (report.Aborted()) {  // a trace cut short is no stack
            report.MarkStopped();
            return;
        }
        sections.Add(step.title, text);
        if (progress) progress->Position(++done, total, step.title);
    }
    std::uint32_t crc3 = crc2;
    for (std::uint32_t c : further) crc3 = extend_crc(crc3, c);
    report.MarkComplete(crc1, crc2, crc3);
}

}  // namespace roadsum
