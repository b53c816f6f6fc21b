// The report on Windows: the system's facts of the header, the thread list, the report file on
// disk (folders, files that cannot be written, two processes writing at once), and the whole
// report of a program that fails on purpose.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "crash/report/exception_report_win32.h"
#include "crash/report/report_file_win32.h"
#include "crash/report/report_threads_win32.h"
#include "crash/report/system_facts_win32.h"
#include "crash/settings/settings_win32.h"
#include "crash/report/header_values.h"
#include "report_fault_sample.h"
#include "report_file_texts.h"

namespace roadsum {
namespace {

std::string program_folder() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, n);
    return folder.substr(0, folder.rfind('\\') + 1);
}

// A fresh folder of the test's own.
std::string scratch_folder(const std::string& name) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "roadsum-report-" + name + "-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\";
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void write_file(const std::string& path, const std::string& content) {
    std::ofstream(path, std::ios::binary) << content;
}

// Each report of a report file: from its "date/time" line to the next.
std::vector<std::string> reports_of(const std::string& file) {
    std::vector<std::size_t> starts;
    for (std::size_t p = 0; p != std::string::npos && p < file.size(); p = file.find("\r\ndate/time", p)) {
        if (p > 0) p += 2;
        starts.push_back(p);
        ++p;
    }
    std::vector<std::string> reports;
    for (std::size_t i = 0; i < starts.size(); ++i)
        reports.push_back(file.substr(starts[i], (i + 1 < starts.size() ? starts[i + 1] : file.size()) - starts[i]));
    return reports;
}

DWORD run(const std::string& command_line, DWORD timeout_ms = 120000) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string line = command_line;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return 1000;
    DWORD code = 1001;
    if (WaitForSingleObject(pi.hProcess, timeout_ms) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    else TerminateProcess(pi.hProcess, 1002);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

TEST(ReportWin32, SystemFactsOfThisProgram) {
    const SystemFacts s = GatherSystemFacts(*RulingSettings());
    char computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = sizeof computer;
    GetComputerNameA(computer, &size);
    EXPECT_EQ(s.ComputerName, computer);
    EXPECT_EQ(s.Executable, "report_win32_tests.exe");
    EXPECT_EQ(s.ProcessId, GetCurrentProcessId());
    EXPECT_TRUE(std::regex_search(s.OperatingSystem, std::regex("^Windows .* build [0-9]+$"))) << s.OperatingSystem;
    EXPECT_FALSE(s.UserName.empty());
    EXPECT_FALSE(s.SystemLanguage.empty());
    ASSERT_TRUE(s.TotalMemory && s.FreeMemory);
    EXPECT_LE(*s.FreeMemory, *s.TotalMemory);
    EXPECT_GE(s.ProcessorCount, 1u);
    ASSERT_FALSE(s.Drives.empty());
    EXPECT_GT(s.DisplayWidth, 0u);
    ASSERT_TRUE(s.FileTime);
    EXPECT_GE(s.FileTime->year, 2024);
    EXPECT_EQ(s.CompiledWith.rfind("MinGW-w64 GCC ", 0), 0u) << s.CompiledWith;
    ASSERT_TRUE(s.ProgramUpTimeMs && s.SystemUpTimeMs);
    EXPECT_LE(*s.ProgramUpTimeMs, *s.SystemUpTimeMs);

    // Committed memory outside images grows with what the program commits, images do not count.
    const std::int64_t before = AllocatedMemory();
    void* block = VirtualAlloc(nullptr, 8 << 20, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(block, nullptr);
    const std::int64_t after = AllocatedMemory();
    VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_GE(after - before, 8 << 20);
    EXPECT_LT(after - before, 9 << 20);
}

DWORD WINAPI park(void* event) {
    WaitForSingleObject(static_cast<HANDLE>(event), INFINITE);
    return 0;
}

TEST(ReportWin32, TheThreadListWithMarksAndTheReportersOwnThreads) {
    const HANDLE go = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD suspended_id = 0, busy_id = 0;
    const HANDLE suspended = CreateThread(nullptr, 0, park, go, CREATE_SUSPENDED, &suspended_id);
    const HANDLE busy = CreateThread(nullptr, 0, park, go, 0, &busy_id);
    SetThreadPriority(busy, THREAD_PRIORITY_BELOW_NORMAL);
    EnterReporterThread(busy_id);
    const std::vector<TThreadReportRecord> threads = ListProcessThreads();
    LeaveReporterThread(busy_id);
    std::map<std::uint32_t, TThreadReportRecord> by_id;
    for (const auto& t : threads) by_id[t.ThreadId] = t;
    ASSERT_TRUE(by_id.count(GetCurrentThreadId()));
    ASSERT_TRUE(by_id.count(suspended_id));
    ASSERT_TRUE(by_id.count(busy_id));
    EXPECT_TRUE(by_id[suspended_id].Suspended);
    EXPECT_FALSE(by_id[busy_id].Suspended);
    EXPECT_EQ(by_id[busy_id].Priority, -1);
    EXPECT_EQ(by_id[busy_id].Name, "-");
    EXPECT_EQ(by_id[ReportMainThreadId()].Name, "main thread");
    EXPECT_EQ(by_id[suspended_id].ThreadFunction, static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(&park)));
    EXPECT_TRUE(by_id[suspended_id].OwnModule);
    SetEvent(go);
    ResumeThread(suspended);
    WaitForSingleObject(suspended, 5000);
    WaitForSingleObject(busy, 5000);
    CloseHandle(suspended);
    CloseHandle(busy);
    CloseHandle(go);
}

TEST(ReportWin32, TheReportFileOnDisk) {
    const std::string folder = scratch_folder("file");
    const std::string path = folder + "new\\folders\\bugreport.txt";
    DeleteFileA(path.c_str());  // process ids come again in later runs
    const std::string report = testing::writer_report(1, 1);
    ReportFileRules rules;
    ASSERT_TRUE(SaveReportFile(path, report, rules));
    ASSERT_TRUE(SaveReportFile(path, report, rules));
    const std::string twice = read_file(path);
    ASSERT_EQ(reports_of(twice).size(), 1u);
    EXPECT_NE(twice.find("callstack crc    : $00010001, $00010001, $00000000\r\ncount            : 2\r\n"),
              std::string::npos);
    EXPECT_EQ(twice.substr(twice.size() - 4), "\r\n\r\n");

    // A file that cannot be written is not saved and keeps what it held: one that is read-only
    // (where the system enforces it: Wine run by root writes it anyway), a folder in its place.
    const std::string locked = folder + "readonly.txt";
    write_file(locked, "old content\r\n");
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_READONLY);
    const HANDLE probe = CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (probe == INVALID_HANDLE_VALUE) {
        EXPECT_FALSE(SaveReportFile(locked, report, rules));
        EXPECT_EQ(read_file(locked), "old content\r\n");
    } else {
        CloseHandle(probe);
    }
    SetFileAttributesA(locked.c_str(), FILE_ATTRIBUTE_NORMAL);
    const std::string taken = folder + "taken.txt";
    CreateDirectoryA(taken.c_str(), nullptr);
    EXPECT_FALSE(SaveReportFile(taken, report, rules));
    EXPECT_EQ(GetFileAttributesA(taken.c_str()) & FILE_ATTRIBUTE_DIRECTORY, static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    // Neither is a file below another file, nor one held by another program for longer.
    EXPECT_FALSE(SaveReportFile(locked + "\\below\\bugreport.txt", report, rules));
    const HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    const DWORD start = GetTickCount();
    EXPECT_FALSE(SaveReportFile(path, report, rules));
    EXPECT_GE(GetTickCount() - start, kReportFileWaitMs - 100);
    CloseHandle(held);
    EXPECT_EQ(read_file(path), twice);

    // Overwriting leaves the report alone in the file.
    rules.Append = false;
    ASSERT_TRUE(SaveReportFile(path, testing::writer_report(2, 2), rules));
    EXPECT_EQ(read_file(path), testing::writer_report(2, 2) + "\r\n\r\n");

    // An automatic save lies beside the program by default.
    EXPECT_EQ(AutoSaveReportPath(*RulingSettings()), program_folder() + "bugreport.txt");
}

TEST(ReportWin32, TwoProcessesAppendingAtOnceLoseAndTearNothing) {
    const std::string folder = scratch_folder("writers");
    const std::string writer = program_folder() + "report_file_writer.exe";
    for (const char* mode : {"", " same"}) {
        const std::string path = folder + (*mode ? "same.txt" : "distinct.txt");
        DeleteFileA(path.c_str());
        // Both start before either is done: their appends interleave.
        STARTUPINFOA si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION first{}, second{};
        std::string a = "\"" + writer + "\" \"" + path + "\" 500 A" + mode;
        std::string b = "\"" + writer + "\" \"" + path + "\" 500 B" + mode;
        ASSERT_TRUE(CreateProcessA(nullptr, a.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &first));
        ASSERT_TRUE(CreateProcessA(nullptr, b.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &second));
        HANDLE both[2] = {first.hProcess, second.hProcess};
        ASSERT_EQ(WaitForMultipleObjects(2, both, TRUE, 300000), WAIT_OBJECT_0);
        for (const PROCESS_INFORMATION& pi : {first, second}) {
            DWORD code = 1;
            GetExitCodeProcess(pi.hProcess, &code);
            EXPECT_EQ(code, 0u) << "reports not saved";
            CloseHandle(pi.hThread);
            CloseHandle(pi.hProcess);
        }
        const std::vector<std::string> reports = reports_of(read_file(path));
        if (*mode) {
            // Each writer repeats its own report: one copy of each, counted 500 times.
            ASSERT_EQ(reports.size(), 2u);
            for (const std::string& r : reports) {
                const std::size_t count = r.find("count            : ");
                ASSERT_NE(count, std::string::npos) << r;
                EXPECT_EQ(std::stoull(r.substr(count + 19)), 500u);
            }
            continue;
        }
        ASSERT_EQ(reports.size(), 1000u);
        std::map<std::string, int> seen;
        for (const std::string& r : reports) ++seen[r];
        for (unsigned tag : {0xAu, 0xBu})
            for (int i = 0; i < 500; ++i)
                EXPECT_EQ(seen[testing::writer_report(tag, i) + "\r\n\r\n"], 1) << tag << " " << i;
    }
}

TEST(ReportWin32, AFailingProgramLeavesAWholeReport) {
    const std::string path = scratch_folder("fault") + "bugreport.txt";
    DeleteFileA(path.c_str());
    ASSERT_EQ(run("\"" + program_folder() + "report_fault_sample.exe\" \"" + path + "\""), 3u);
    const std::string text = read_file(path);
    ASSERT_EQ(reports_of(text).size(), 1u) << text;

    // The header's fields in their order.
    std::vector<std::string> labels;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line) && line != "\r") labels.push_back(line.substr(0, line.find(':')));
    for (std::string& l : labels) l.erase(l.find_last_not_of(' ') + 1);
    const std::vector<std::string> expected = {
        "date/time",       "computer name",    "user name",         "operating system", "system language",
        "system up time",  "program up time",  "physical memory",   "free disk space",  "display mode",
        "process id",      "allocated memory", "command line",      "executable",       "exec. date/time",
        "compiled with",   "noxExcept version", "callstack crc",    "exception number", "exception class",
        "exception message"};
    std::vector<std::string> present;
    for (const std::string& l : labels)
        if (std::find(expected.begin(), expected.end(), l) != expected.end()) present.push_back(l);
    EXPECT_EQ(present, expected) << text;
    EXPECT_TRUE(std::regex_search(text, std::regex("\r\ncallstack crc +: \\$[0-9A-F]{8}, \\$[0-9A-F]{8}, \\$[0-9A-F]{8}\r\n")))
        << text;
    EXPECT_NE(text.find("\r\nexception number : 1\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\nexecutable       : report_fault_sample.exe\r\n"), std::string::npos) << text;

    // The sections in their order; the crashing (main) thread first, its top line the fault.
    std::vector<std::string> titles;
    for (std::size_t p = text.find("\r\n\r\n"); p != std::string::npos; p = text.find("\r\n\r\n", p + 4)) {
        const std::size_t end = text.find("\r\n", p + 4);
        if (end != std::string::npos) titles.push_back(text.substr(p + 4, end - p - 4));
    }
    ASSERT_GE(titles.size(), 9u) << text;
    EXPECT_TRUE(std::regex_match(titles[0], std::regex("main thread \\(\\$[0-9A-F]+\\):"))) << titles[0];
    EXPECT_TRUE(std::regex_match(titles[1], std::regex("worker \\(\\$[0-9A-F]+\\) \\(TSampleThread\\):"))) << titles[1];
    EXPECT_TRUE(std::regex_match(titles[2], std::regex("thread \\$[0-9A-F]+: <suspended>"))) << titles[2];
    const std::vector<std::string> tail(titles.end() - 6, titles.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"modules:", "processes:", "hardware:", "cpu registers:", "stack dump:",
                                              "disassembling:"}))
        << text;
    const std::size_t first = text.find(titles[0]) + titles[0].size() + 2;
    const std::string top = text.substr(first, text.find("\r\n", first) - first);
    EXPECT_TRUE(std::regex_search(top, std::regex("^[0-9a-f]{8} \\+[0-9a-f]+ report_fault_sample\\.exe +ReportFaultSample +" +
                                                  std::to_string(testing::kFaultLine) + " +\\+[0-9]+ +TFaultSample\\.CrashOnPurpose$")))
        << top;
    // The worker was created by the main thread, which the line before its thread function says.
    const std::size_t worker = text.find(titles[1]);
    EXPECT_NE(text.substr(worker, text.find("\r\n\r\n", worker) - worker).find(">> created by main thread ($"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("will be calculated soon"), std::string::npos);
    EXPECT_NE(text.find("eip = "), std::string::npos);
    const std::size_t listing = text.find("disassembling:\r\n");
    EXPECT_NE(text.find("TFaultSample.CrashOnPurpose", listing), std::string::npos) << text.substr(listing);
}

void check_exception_report(TReportParams params);

struct TRaiser {
    static void Fail(void (*then)(TReportParams));
};

// The place a report is about: its registers and its stack from here on, which stay as they
// are while `then` makes the report, as a failing thread waits for its report.
__attribute__((noinline)) void TRaiser::Fail(void (*then)(TReportParams)) {
    std::uint32_t eip, esp, ebp;
    asm volatile("call 1f\n1: popl %0\n\tmovl %%esp, %1\n\tmovl %%ebp, %2" : "=r"(eip), "=r"(esp), "=r"(ebp));
    TReportParams p;
    p.Exception.ClassChain = {"EReportTest", "Exception"};
    p.Exception.Message = "raised\r\non purpose";
    p.Exception.External = true;  // at this very address, as a processor exception is
    asm volatile("movl %%fs:4, %0" : "=r"(p.Exception.StackBase));  // the thread's stack base
    p.ExceptAddress = eip;
    p.Context = TProcessorContext{1, 2, 3, 4, 5, 6, eip, esp, ebp};
    p.StackPointer = esp;
    p.FramePointer = ebp;
    p.ThreadId = GetCurrentThreadId();
    p.Time = {2024, 3, 7, 9, 5, 4, 42};
    p.Number = 7;
    then(std::move(p));
    asm volatile("" ::: "memory");  // no tail call: the frame stays
}

void check_exception_report(TReportParams params) {
    const Ref<TCrashException> exception = make_ref<TCrashException>(*RulingSettings(), std::move(params));
    const Ref<TBugReport> report = StartExceptionReport(exception, true);
    ASSERT_TRUE(exception->WaitComplete(60000));
    const std::string text = exception->ReportText();
    EXPECT_EQ(text, report->Text());
    EXPECT_EQ(text.rfind("date/time        : 2024-03-07, 09:05:04, 42ms\r\n", 0), 0u) << text;
    for (const char* line : {"\r\nexception number : 7\r\n", "\r\nexception class  : EReportTest\r\n",
                             "\r\nexception message: raised on purpose\r\n\r\n"})
        EXPECT_NE(text.find(line), std::string::npos) << line << text;
    EXPECT_NE(text.find("callstack crc    : " + callstack_crc_text(exception->CallstackCrc(0), exception->CallstackCrc(1),
                                                                  exception->CallstackCrc(2))),
              std::string::npos)
        << text;
    EXPECT_NE(exception->CallstackCrc(0), 0u);
    // The failing thread first, its stack from the place of the failure.
    const std::size_t first = text.find("\r\n\r\n") + 4;
    const std::string section = text.substr(first, text.find("\r\n\r\n", first) - first);
    const std::size_t top = section.find("\r\n") + 2;
    EXPECT_NE(section.substr(top, section.find("\r\n", top) - top).find(" TRaiser.Fail"), std::string::npos) << section;
    EXPECT_NE(section.find(" testing.Test.Run\r\n"), std::string::npos) << section;  // the test's callers
    for (const char* title : {"\r\nmodules:\r\n", "\r\ncpu registers:\r\n", "\r\nstack dump:\r\n", "\r\ndisassembling:\r\n"})
        EXPECT_NE(text.find(title), std::string::npos) << title;

    const std::string path = scratch_folder("exception") + "bugreport.txt";
    DeleteFileA(path.c_str());
    ASSERT_TRUE(SaveExceptionReport(*exception, path));
    ASSERT_TRUE(SaveExceptionReport(*exception, path));
    const std::string file = read_file(path);
    ASSERT_EQ(reports_of(file).size(), 1u);
    EXPECT_NE(file.find("\r\ncount            : 2\r\n"), std::string::npos);
    // Only a save into the report file itself marks the report saved (a send's copy of that
    // file holds it then).
    EXPECT_FALSE(exception->Saved());
    exception->Set(keys::BugRepFile, path);
    ASSERT_TRUE(SaveExceptionReport(*exception));
    EXPECT_TRUE(exception->Saved());
    EXPECT_EQ(reports_of(read_file(path)).size(), 1u);
}

TEST(ReportWin32, AnExceptionObjectOfTheCaptureGetsTheWholeReport) { TRaiser::Fail(check_exception_report); }

}  // namespace
}  // namespace roadsum
