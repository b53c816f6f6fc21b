#include "crash/capture/report_completion.h"

#include <cstdio>

#include "crash/archive/crc32.h"
#include "crash/common/little_endian.h"

namespace roadsum {

namespace {

std::string dollar_hex(std::uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "$%0*X", digits, static_cast<unsigned>(value));
    return text;
}

std::string date_time_text(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d, %02d:%02d:%02d, %dms", t.year, t.month, t.day, t.hour, t.minute,
                  t.second, t.millisecond);
    return text;
}

std::string section_title(const TThreadStackRecord& thread) { return thread.Title; }

}  // namespace

std::string CallstackCrcText(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3) {
    return dollar_hex(crc1, 8) + ", " + dollar_hex(crc2, 8) + ", " + dollar_hex(crc3, 8);
}

std::uint32_t ExtendCallstackCrc(std::uint32_t crc, std::uint32_t thread_crc) {
    std::uint8_t bytes[4];
    put_le32(bytes, thread_crc);
    return crc32_update(crc, ByteView(bytes, 4));
}

std::vector<TThreadStackRecord> TReportCompletion::ThreadsOf(const TCrashException& report, bool all_threads) const {
    std::vector<TThreadStackRecord> threads;
    // The reporter's own threads are left out, unless the thread is the report's subject.
    const auto add = [&](std::uint32_t id, bool subject) {
        for (const TThreadStackRecord& t : threads)
            if (t.ThreadId == id) return;
        const std::optional<TThreadNameEntry> name = process_.ThreadName(id);
        if (!subject && !all_threads && name && name->Name == kReporterThreadName) return;
        TThreadStackRecord t;
        t.ThreadId = id;
        t.Title = ThreadTitle(id, name);
        if (name) {
            t.ThreadFunction = name->ThreadFunction;
            t.CreatorThreadId = name->CreatorId;
        }
        threads.push_back(std::move(t));
    };

    const bool exception = report.Kind() != ekFrozen && report.CrashedThreadId() != 0;
    if (exception) {
        add(report.CrashedThreadId(), true);
        TThreadStackRecord& crashing = threads.back();
        crashing.Crashing = true;
        crashing.TopAddress = report.ExceptAddress();
        crashing.External = report.ExceptObject().External;
        crashing.PreparedStack = report.PreparedStack();
        crashing.FramePointer = report.FramePointer();
        crashing.StackLow = report.StackPointer();
        crashing.StackHigh = report.ExceptObject().StackBase;
    }
    const bool list_all = all_threads || report.Get(keys::ListThreads);
    if (exception && !list_all) return threads;
    add(process_.MainThreadId(), !exception);
    if (!list_all) return threads;
    for (std::uint32_t id : process_.ThreadIds()) add(id, false);
    return threads;
}

void TReportCompletion::Start(const Ref<TCrashException>& report, bool background, bool all_threads) {
    TCrashException& r = *report;
    Ref<INXFields> fields = r.Fields();
    fields->Add("date/time", date_time_text(r.ExceptTime()));
    fields->Add("process id", dollar_hex(process_.ProcessId(), 1));
    const int before_crc = fields->Count();
    fields->Add("callstack crc", kCrcPlaceholder);
    fields->Add("exception number", std::to_string(r.Params().Number));
    if (r.Kind() == ekFrozen) {
        fields->Add("exception message", r.Get(keys::FrozenMsg));
    } else {
        fields->Add("exception class", r.ExceptClass());
        if (r.ExceptMessage() != r.ExceptClass()) fields->Add("exception message", r.ExceptMessage());
    }
    // Fields that handlers add later go before the checksums.
    fields->SetInsertIndex(before_crc);

    std::vector<TThreadStackRecord> threads = ThreadsOf(r, all_threads);
    Ref<INXFields> sections = r.Sections();
    for (const TThreadStackRecord& t : threads) sections->Add(section_title(t), kStackPlaceholder);
    r.SetThreads(std::move(threads));

    if (background) {
        process_.RunInBackground([this, report] { Complete(*report); });
    } else {
        Complete(r);
    }
}

std::string TReportCompletion::SectionText(TCrashException& report, const TThreadStackRecord& thread,
                                           const TThreadTrace& trace) {
    if (!trace.Readable && thread.Crashing)
        return ">> stack not accessible, exception location: " + process_.FormatAddress(report, thread.TopAddress);
    if (!trace.Readable || trace.Text.empty()) return ">> stack not accessible";
    std::string text = trace.Text;
    if (thread.CreatorThreadId != 0) {
        // Before the last line, which is the thread's function.
        const std::size_t last = text.rfind("\r\n");
        const std::string line =
            ">> created by " + ThreadTitle(thread.CreatorThreadId, process_.ThreadName(thread.CreatorThreadId)) + " at:";
        if (last == std::string::npos)
            text = line + "\r\n" + text;
        else
            text.insert(last, "\r\n" + line);
    }
    return text;
}

void TReportCompletion::Complete(TCrashException& report) {
    try {
        std::uint32_t crc1 = 0, crc2 = 0, crc3 = 0;
        bool first = true;
        Ref<INXFields> sections = report.Sections();
        for (const TThreadStackRecord& thread : report.Threads()) {
            if (report.AbortFlag()) return;
            TThreadTrace trace;
            try {
                trace = process_.Trace(report, thread);
            } catch (...) {
                trace.Readable = false;
            }
            sections->Add(section_title(thread), SectionText(report, thread, trace));
            if (first) {
                crc1 = trace.Crc1;
                crc2 = crc3 = trace.Crc2;
                first = false;
            } else {
                crc3 = ExtendCallstackCrc(crc3, trace.Crc2);
            }
        }
        report.SetCallstackCrcs(crc1, crc2, crc3);
        report.Fields()->Add("callstack crc", CallstackCrcText(crc1, crc2, crc3));
    } catch (...) {
        // What was traced so far stays; the report counts as complete all the same, so that
        // nothing waits for it for ever.
    }
    report.MarkComplete();
}

}  // namespace roadsum
