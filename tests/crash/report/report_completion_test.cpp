// Making and completing a report over a fake process: the placeholders at once, the completion
// in its order with progress, the plug-ins, the checksums, failing steps and the abort flag.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "crash/archive/crc32.h"
#include "crash/report/header_values.h"
#include "crash/report/report_completion.h"
#include "crash/report/report_plugins.h"
#include "settings_fakes.h"

namespace roadsum {
namespace {

using testing::kExe;
using testing::SettingsWorld;

TThreadReportRecord thread(std::uint32_t id, const char* name, bool own = true) {
    TThreadReportRecord t;
    t.ThreadId = id;
    t.Name = name;
    t.TopAddress = 0x401000 + id;
    t.OwnModule = own;
    return t;
}

class FakeSources final : public ReportSources, public MemoryReader {
public:
    std::vector<std::string> log;
    TBugReport* abort_during_trace = nullptr;

    TThreadTrace TraceThread(const TBugReport&, const TThreadReportRecord& t) override {
        log.push_back("trace " + std::to_string(t.ThreadId));
        if (abort_during_trace) abort_during_trace->Abort();
        if (t.ThreadId == 7) throw std::runtime_error("tracer failed");
        if (t.ThreadId == 8) return {};  // unreadable
        return {true, "top of " + std::to_string(t.ThreadId) + "\r\nthread function", 0x1000u + t.ThreadId,
                0x2000u + t.ThreadId};
    }
    std::string FormatAddress(std::uint32_t address) override {
        char line[32];
        std::snprintf(line, sizeof line, "%08x +0 ???", address);
        return line;
    }
    const MemoryReader& Memory() override { return *this; }
    bool try_read(std::uint32_t address, void* buffer, std::uint32_t count) const override {
        std::memset(buffer, 'S', count);
        return address >= 0x12ff00;
    }
    std::optional<std::uint32_t> RegionEnd(std::uint32_t) override {
        log.push_back("region");
        return 0x12ff10;
    }
    bool HasDebugInfo(std::uint32_t address) override { return address == 0x401234; }
    std::string Disassembly(std::uint32_t address, bool format, int limit) override {
        log.push_back("disassembly");
        return "listing of " + FormatAddress(address) + (format ? " formatted" : "") + " limit " + std::to_string(limit);
    }
    std::string FailurePlace() override { return "00409999 +0 ???"; }
};

class Progress final : public ReportProgress {
public:
    std::vector<std::pair<int, int>> positions;
    std::vector<std::string> sections;
    std::vector<std::uint64_t> weights;
    void Plan(const std::vector<std::uint64_t>& w) override { weights = w; }
    void Position(int done, int total, std::string_view section) override {
        positions.emplace_back(done, total);
        sections.emplace_back(section);
    }
};

std::string text_of_plugin() { return "00400000 roadsum.exe\r\n"; }
std::u16string wide_header(TBugReport& report) {
    return u"for #" + std::u16string(1, static_cast<char16_t>('0' + report.Failure().Facts.Number)) + u" \u00e9t\u00e9";
}
std::string failing() { throw std::runtime_error("plug-in failed"); }

class ReportCompletion : public ::testing::Test {
protected:
    SettingsWorld world;

    void SetUp() override {
        RegisterReportPlugin({"modules", "list of loaded modules", true, PluginAnsiText(text_of_plugin)});
        RegisterReportPlugin({"Contract", "a header field", false, PluginWideReportText(wide_header)});
        RegisterReportPlugin({"broken", "fails", true, PluginAnsiText(failing)});
        RegisterReportPlugin({"broken header", "fails", false, PluginAnsiText(failing)});
    }
    void TearDown() override {
        for (const char* name : {"modules", "contract", "broken", "broken header"}) UnregisterReportPlugin(name);
    }

    Ref<TBugReport> report(const std::string& settings) {
        world.give(kExe, settings);
        TReportFailure failure;
        failure.Facts.Time = {2024, 3, 7, 9, 5, 4, 42};
        failure.Facts.Number = 3;
        failure.Facts.ClassName = "EAccessViolation";
        failure.Facts.Message = "Access violation";
        failure.Address = 0x401234;
        failure.ThreadId = 5;
        failure.Context = CpuRegisters{1, 2, 3, 4, 5, 6, 0x401234, 0x12ff00, 0x12ff88};
        Ref<TCrashSettings> s = world.context.SettingsOf(kExe);
        return make_ref<TBugReport>(Ref<INXSettings>(s.get()), failure);
    }
};

TEST_F(ReportCompletion, PlaceholdersAtOnceThenEverySectionInItsOrder) {
    Ref<TBugReport> r = report("Plugins = \"modules|NoSuchPlugin|contract|broken|broken header\"\nLimitDisAsm = 7");
    FakeSources sources;
    SystemFacts system;
    system.Executable = "Roadsum.exe";
    std::vector<TThreadReportRecord> threads = {thread(1, "main thread"), thread(9, "-"), thread(5, ""),
                                                thread(7, "worker", false), thread(8, "")};
    threads[4].CreatorThreadId = 1;
    threads[4].CreatorTitle = "main thread ($1)";
    threads[2].Suspended = true;
    threads[0].StackLow = 0x10000;
    threads[0].StackHigh = 0x30000;
    threads[2].StackLow = 0x50000;
    threads[2].StackHigh = 0x51000;
    start_report(*r, sources, system, order_report_threads(threads, 5, 1, true, false));
    EXPECT_EQ(r->Text(),
              "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
              "executable       : Roadsum.exe\r\n"
              "Contract         : for #3 \xe9t\xe9\r\n"
              "callstack crc    : will be calculated soon\r\n"
              "exception number : 3\r\n"
              "exception class  : EAccessViolation\r\n"
              "exception message: Access violation\r\n\r\n"
              "thread $5: <suspended>\r\n00401005 +0 ???\r\n>> stack will be calculated soon\r\n\r\n"
              "main thread ($1):\r\n00401001 +0 ???\r\n>> stack will be calculated soon\r\n\r\n"
              "worker ($7):\r\n00401007 +0 ???\r\n>> stack will be calculated soon\r\n\r\n"
              "thread $8:\r\n00401008 +0 ???\r\n>> stack will be calculated soon\r\n\r\n"
              "modules:\r\n>> will be calculated soon\r\n\r\n"
              "broken:\r\n>> will be calculated soon\r\n\r\n"
              "cpu registers:\r\n>> will be calculated soon\r\n\r\n"
              "stack dump:\r\n>> will be calculated soon\r\n\r\n"
              "disassembling:\r\n>> will be calculated soon");
    EXPECT_FALSE(r->Complete());

    Progress progress;
    complete_report(*r, sources, &progress);
    EXPECT_EQ(sources.log, (std::vector<std::string>{"trace 5", "region", "disassembly", "trace 1", "trace 7", "trace 8"}));
    // The please-wait window weighs each thread by its stack (at least 1), other steps not.
    EXPECT_EQ(progress.weights, (std::vector<std::uint64_t>{0x1000, 0, 0, 0, 0, 0, 0x20000, 1, 1}));
    ASSERT_EQ(progress.positions.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(progress.positions[i], std::make_pair(i, 9));
    EXPECT_EQ(progress.sections, (std::vector<std::string>{"", "thread $5: <suspended>", "cpu registers", "stack dump",
                                                           "disassembling", "modules", "broken", "main thread ($1):",
                                                           "worker ($7):", "thread $8:"}));
    ASSERT_TRUE(r->Complete());
    EXPECT_TRUE(r->WaitComplete(0));

    // The third checksum extends the second by the threads of the reporter's modules only.
    const std::uint8_t main_crc[4] = {0x01, 0x20, 0, 0};
    const std::uint32_t crc3 = crc32_update(0x2005, ByteView(main_crc, 4));
    EXPECT_EQ(r->CallstackCrc(0), 0x1005u);
    EXPECT_EQ(r->CallstackCrc(1), 0x2005u);
    EXPECT_EQ(r->CallstackCrc(2), crc3);
    const std::string text = r->Text();
    EXPECT_NE(text.find("callstack crc    : " + callstack_crc_text(0x1005, 0x2005, crc3) + "\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.find("thread $5")),
              "thread $5: <suspended>\r\ntop of 5\r\nthread function\r\n\r\n"
              "main thread ($1):\r\ntop of 1\r\nthread function\r\n\r\n"
              "worker ($7):\r\n>> internal error in GetThreadReport:\r\n00409999 +0 ???\r\n\r\n"
              "thread $8:\r\n>> stack not accessible\r\n\r\n"
              "modules:\r\n00400000 roadsum.exe\r\n\r\n"
              "broken:\r\n>> internal error in plugin:\r\n00409999 +0 ???\r\n\r\n"
              "cpu registers:\r\neax = 00000001\r\nebx = 00000002\r\necx = 00000003\r\nedx = 00000004\r\n"
              "esi = 00000005\r\nedi = 00000006\r\neip = 00401234\r\nesp = 0012FF00\r\nebp = 0012FF88\r\n\r\n"
              "stack dump:\r\n0012ff00  53 53 53 53 53 53 53 53 - 53 53 53 53 53 53 53 53  SSSSSSSSSSSSSSSS\r\n\r\n"
              "disassembling:\r\nlisting of 00401234 +0 ??? limit 7");
}

TEST_F(ReportCompletion, TheCreatorLineAndTheUnreadableCrashingThread) {
    Ref<TBugReport> r = report("Plugins = \"\"\nCpuRegs = false\nStackDump = false\nShowDisAsm = false");
    FakeSources sources;
    std::vector<TThreadReportRecord> threads = {thread(8, ""), thread(4, "")};
    threads[1].CreatorThreadId = 8;
    threads[1].CreatorTitle = "thread $8";
    start_report(*r, sources, {}, order_report_threads(threads, 8, 1, true, false));
    complete_report(*r, sources);
    const std::string text = r->Text();
    EXPECT_EQ(text.substr(text.find("\r\n\r\n") + 4),
              "thread $8:\r\n>> stack not accessible, exception location:\r\n00401234 +0 ???\r\n\r\n"
              "thread $4:\r\ntop of 4\r\n>> created by thread $8 at:\r\nthread function");
}

TEST_F(ReportCompletion, AnAbortStopsBetweenSteps) {
    Ref<TBugReport> r = report("ListThreads = true");
    FakeSources sources;
    sources.abort_during_trace = r.get();
    start_report(*r, sources, {}, order_report_threads({thread(5, ""), thread(1, "main thread")}, 5, 1, true, false));
    complete_report(*r, sources);
    EXPECT_EQ(sources.log, (std::vector<std::string>{"trace 5"}));
    EXPECT_FALSE(r->Complete());
    EXPECT_FALSE(r->WaitComplete(1000));  // returns at once: the completion has stopped
    EXPECT_NE(r->Text().find("callstack crc    : will be calculated soon"), std::string::npos);
    EXPECT_NE(r->Text().find(">> stack will be calculated soon"), std::string::npos);
}

TEST(ReportThreads, WhichThreadsInWhichOrder) {
    auto ids = [](const std::vector<TThreadReportRecord>& threads) {
        std::vector<std::uint32_t> out;
        for (const auto& t : threads) out.push_back(t.ThreadId);
        return out;
    };
    const std::vector<TThreadReportRecord> system = {thread(3, ""), thread(1, "main thread"), thread(9, "-"),
                                                     thread(5, ""), thread(6, "")};
    EXPECT_EQ(ids(order_report_threads(system, 5, 1, true, false)), (std::vector<std::uint32_t>{5, 1, 3, 6}));
    EXPECT_EQ(ids(order_report_threads(system, 1, 1, true, false)), (std::vector<std::uint32_t>{1, 3, 5, 6}));
    EXPECT_EQ(ids(order_report_threads(system, 0, 1, true, false)), (std::vector<std::uint32_t>{1, 3, 5, 6}));
    EXPECT_EQ(ids(order_report_threads(system, 0, 1, true, true)), (std::vector<std::uint32_t>{1, 3, 9, 5, 6}));
    EXPECT_EQ(ids(order_report_threads(system, 5, 1, false, false)), (std::vector<std::uint32_t>{5}));
    const std::vector<TThreadReportRecord> ordered = order_report_threads(system, 6, 1, true, false);
    EXPECT_TRUE(ordered[0].Crashing);
    EXPECT_FALSE(ordered[1].Crashing);
    EXPECT_EQ(ordered[1].Title, "main thread ($1):");
}

TEST(ReportPlugins, NamesIgnoreCaseAndAnotherRegistrationReplaces) {
    EXPECT_FALSE(RegisterReportPlugin({"", "", true, PluginAnsiText(text_of_plugin)}));
    EXPECT_FALSE(RegisterReportPlugin({"empty", "", true, PluginAnsiText(nullptr)}));
    ASSERT_TRUE(RegisterReportPlugin({"Hardware", "first", true, PluginAnsiText(text_of_plugin)}));
    ASSERT_TRUE(RegisterReportPlugin({"HARDWARE", "second", false, PluginAnsiText(failing)}));
    const std::optional<TReportPlugin> found = FindReportPlugin("hardware");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->Description, "second");
    EXPECT_TRUE(UnregisterReportPlugin("hArDwArE"));
    EXPECT_FALSE(FindReportPlugin("hardware"));
    EXPECT_FALSE(UnregisterReportPlugin("hardware"));
    EXPECT_EQ(plugin_names(" modules | processes||hardware "),
              (std::vector<std::string>{"modules", "processes", "hardware"}));
}

}  // namespace
}  // namespace roadsum
