// noxTraceProcess: a report of the whole process on request of another process, which starts
// a thread in this one at this export and reads the text from the shared memory it made.
#include <algorithm>
#include <cstring>

#include "crash/capture/capture_internal_win32.h"
#include "crash/common/clipboard_win32.h"

namespace roadsum::capture {

namespace {

HANDLE open_trace_map() {
    if (HANDLE m = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kTraceProcessMapName)) return m;
    return OpenFileMappingA(FILE_MAP_WRITE, FALSE, kTraceProcessMapFallback);
}

void deliver(const std::string& text, std::uint32_t size) {
    if (static_cast<std::int32_t>(size) < 1) {
        CopyTextToClipboard(text);
        return;
    }
    HANDLE mapping = open_trace_map();
    if (!mapping) return;
    if (auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, size))) {
        const std::size_t n = std::min<std::size_t>(text.size(), size - 1);
        std::memcpy(view, text.data(), n);
        view[n] = '\0';
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
}

}  // namespace

}  // namespace roadsum::capture

extern "C" std::uint32_t noxTraceProcess(std::uint32_t size) {
    using namespace roadsum;
    try {
        capture::ReporterWork inside;
        TReportParams p;
        p.Kind = ekFrozen;
        p.Source = esProgram;
        p.ThreadId = GetCurrentThreadId();
        const Ref<TCrashSettings> settings = RulingSettings();
        const Ref<TCrashException> report = capture::NewReport(std::move(p), settings.get());
        capture::CompleteReport(report, false, true);
        capture::deliver(report->ReportText(), size);
    } catch (...) {
        // Nothing escapes into the thread that another process started here.
    }
    return 0;
}
