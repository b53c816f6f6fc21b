// The whole reporter in a live process (started from the main thread before the tests): a
// report made on request is the report room's whole report, a handled failure is saved into the
// report file (a second identical one merged into it), a sent report is not saved again, and an
// interactive save is refused while the process is blocked and otherwise saves where the user
// says.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

#include "crash/debuginfo/map_file_win32.h"
#include "crash/report/exception_report_win32.h"
#include "crash/report/header_values.h"
#include "crash/reporter/debug_info_preload_win32.h"
#include "crash/reporter/reporter_win32.h"
#include "crash/settings/settings_win32.h"

namespace roadsum {
namespace {

class ReporterEnvironment : public ::testing::Environment {
public:
    void SetUp() override { StartReporter(); }
    void TearDown() override { ShutdownCrashReporter(); }
};
const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ReporterEnvironment);

std::string beside_program(const std::string& name) {
    const std::string exe = module_file_path(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    return exe.substr(0, exe.rfind('\\') + 1) + name;
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The reports in a report file: its lines that start with "date/time".
std::ptrdiff_t reports_in(const std::string& file) {
    const std::regex start("(^|\\n)date/time ");
    return std::distance(std::sregex_iterator(file.begin(), file.end(), start), std::sregex_iterator());
}

// The value of a header line "label   : value".
std::string field(const std::string& text, const std::string& label) {
    std::smatch m;
    if (!std::regex_search(text, m, std::regex("(^|\\n)" + label + " *: ([^\\r]*)\\r\\n"))) return "<none>";
    return m[2];
}

struct TReportAsker {
    __attribute__((noinline)) static Ref<INXException> Ask() {
        TReportParams p;
        p.Exception.ClassChain = {"EConvertError", "Exception"};
        p.Exception.Message = "asked for";
        return CreateReport(p);
    }
};

TEST(ReporterWin32, AReportMadeOnRequestIsTheWholeReportOfTheThreadThatAsked) {
    const Ref<INXException> report = TReportAsker::Ask();
    ASSERT_TRUE(report);
    EXPECT_TRUE(report->Complete()) << "completed in the calling thread";
    const std::string text = report->ReportText();
    EXPECT_EQ(field(text, "exception class"), "EConvertError") << text;
    EXPECT_EQ(field(text, "exception message"), "asked for") << text;
    EXPECT_NE(field(text, "executable"), "<none>") << text;
    EXPECT_NE(field(text, "noxExcept version"), "<none>") << text;
    EXPECT_EQ(field(text, "callstack crc"),
              callstack_crc_text(report->CallstackCrc(0), report->CallstackCrc(1), report->CallstackCrc(2)));
    EXPECT_NE(report->CallstackCrc(0), 0u);
    // The asking thread first; its top line names the function that asked.
    const std::size_t first = text.find("\r\n\r\n") + 4;
    EXPECT_EQ(text.compare(first, 13, "main thread ("), 0) << text;
    const std::size_t top = text.find("\r\n", first) + 2;
    EXPECT_NE(text.substr(top, text.find("\r\n", top) - top).find("TReportAsker.Ask"), std::string::npos) << text;
    EXPECT_NE(text.find("\r\n\r\nmodules:\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("calculated soon"), std::string::npos) << text;

    TReportParams p;
    p.Exception.ClassChain = {"Exception"};
    const Ref<INXException> later = CreateReport(p, nullptr, true);
    EXPECT_TRUE(later->WaitComplete(30000)) << "a postponed report completes in the background";
}

TEST(ReporterWin32, TheProgramsDebugInformationIsReadAtStartUpByAThreadOfTheReportersOwn) {
    WaitForDebugInfoPreload(60000);
    const std::string exe = module_file_path(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)));
    const std::size_t before = ProcessMapFileCache().Count();
    EXPECT_GE(before, 1u) << "read into the process's cache";
    EXPECT_TRUE(MapFileOfModule(reinterpret_cast<std::uintptr_t>(GetModuleHandleA(nullptr)))->Loaded);
    EXPECT_EQ(ProcessMapFileCache().Count(), before) << "a report finds it there, not read again";
}

__attribute__((noinline)) void FailAndGoOn() {
    try {
        throw std::runtime_error("saved on purpose");
    } catch (...) {
        ReportException(std::current_exception());
    }
}

TEST(ReporterWin32, AHandledFailureIsSavedIntoTheReportFileAndItsTwinMergedIntoIt) {
    const std::string path = beside_program("reporter_test_bugreport.txt");
    DeleteFileA(path.c_str());
    volatile int times = 2;  // not unrolled: the same place twice gives one report, counted
    for (int i = 0; i < times; ++i) FailAndGoOn();
    const std::string file = read_file(path);
    EXPECT_EQ(reports_in(file), 1) << file;
    EXPECT_EQ(field(file, "count"), "2") << file;
    EXPECT_EQ(field(file, "exception class"), "std::runtime_error") << file;
    EXPECT_EQ(field(file, "exception message"), "saved on purpose") << file;
    EXPECT_NE(file.find("FailAndGoOn"), std::string::npos) << file;
    EXPECT_EQ(file.find("calculated soon"), std::string::npos) << file;
    ASSERT_GE(file.size(), 4u);
    EXPECT_EQ(file.substr(file.size() - 4), "\r\n\r\n");
    DeleteFileA(path.c_str());
}

Ref<TCrashException> made_report(const char* message) {
    TReportParams p;
    p.Exception.ClassChain = {"ESaveTest", "Exception"};
    p.Exception.Message = message;
    p.ThreadId = GetCurrentThreadId();
    p.Number = 1;
    p.Time = {2024, 3, 7, 9, 5, 4, 42};
    const Ref<TCrashException> report = make_ref<TCrashException>(*RulingSettings(), std::move(p));
    StartExceptionReport(report, false);  // complete when this returns
    return report;
}

TEST(ReporterWin32, AnActionAskedForWhileTheReportCompletesGetsTheWholeReport) {
    TReportParams p;
    p.Exception.ClassChain = {"EActionTest", "Exception"};
    p.ThreadId = GetCurrentThreadId();
    const Ref<TCrashException> report = make_ref<TCrashException>(*RulingSettings(), std::move(p));
    std::string printed;
    SetReportActionDoer(acPrint, [&](TCrashException& r, void*) {
        printed = r.ReportText();
        return true;
    });
    StartExceptionReport(report, true);  // completed in the background
    EXPECT_TRUE(RunReportAction(*report, acPrint, nullptr));
    SetReportActionDoer(acPrint, nullptr);
    EXPECT_TRUE(report->Complete());
    EXPECT_EQ(printed, report->ReportText());
    EXPECT_EQ(printed.find("\n>> "), std::string::npos) << "no placeholder left: " << printed;
}

TEST(ReporterWin32, AReportThatWasSentIsNotSavedAgainWhenTheSettingsSaySo) {
    const std::string path = beside_program("reporter_test_bugreport.txt");
    DeleteFileA(path.c_str());
    const Ref<TCrashException> sent = made_report("sent");
    sent->MarkSent();
    EXPECT_FALSE(AutoSaveReport(*sent));
    EXPECT_EQ(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES);
    const Ref<TCrashException> kept = made_report("kept");
    ASSERT_TRUE(kept->Complete());
    EXPECT_TRUE(AutoSaveReport(*kept));
    EXPECT_EQ(field(read_file(path), "exception message"), "kept");
    DeleteFileA(path.c_str());
}

// Holds the loader lock in a thread of its own until told to let go.
class LoaderLockHolder {
public:
    LoaderLockHolder() {
        thread_ = std::thread([this] {
            using Lock = LONG(NTAPI*)(ULONG, ULONG*, ULONG_PTR*);
            using Unlock = LONG(NTAPI*)(ULONG, ULONG_PTR);
            const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
            const auto lock = reinterpret_cast<Lock>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrLockLoaderLock")));
            const auto unlock =
                reinterpret_cast<Unlock>(reinterpret_cast<void*>(GetProcAddress(ntdll, "LdrUnlockLoaderLock")));
            ULONG_PTR cookie = 0;
            held_ = lock && unlock && lock(0, nullptr, &cookie) == 0;
            ready_ = true;
            while (!release_) Sleep(5);
            if (held_) unlock(0, cookie);
        });
        while (!ready_) Sleep(5);
    }
    ~LoaderLockHolder() {
        release_ = true;
        thread_.join();
    }
    bool held() const { return held_; }

private:
    std::atomic<bool> ready_{false}, release_{false}, held_{false};
    std::thread thread_;
};

TEST(ReporterWin32, AnInteractiveSaveIsRefusedWhileTheProcessIsBlocked) {
    const Ref<TCrashException> report = made_report("blocked");
    LoaderLockHolder holder;
    ASSERT_TRUE(holder.held());
    // Here, not in a new thread: no thread starts while the loader lock is held. A dialog that
    // came up anyway would hang on the lock, and the test would fail on its time-out.
    const DWORD start = GetTickCount();
    EXPECT_FALSE(SaveReportInteractively(*report, nullptr));
    EXPECT_LT(GetTickCount() - start, 5000u) << "refused at once, without a dialog";
}

BOOL CALLBACK find_dialog(HWND window, LPARAM found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[16] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (pid != GetCurrentProcessId() || !IsWindowVisible(window) || std::string(cls) != "#32770") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

TEST(ReporterWin32, AnInteractiveSaveSavesWhereTheUserSays) {
    const std::string path = beside_program("reporter_test_chosen.txt");
    DeleteFileA(path.c_str());
    const Ref<TCrashException> report = made_report("chosen");
    std::atomic<int> result{-1};
    std::thread saver([&] { result = SaveReportInteractively(*report, nullptr) ? 1 : 0; });
    HWND dialog = nullptr;
    const DWORD deadline = GetTickCount() + 20000;
    while (!dialog && GetTickCount() < deadline) {
        EnumWindows(find_dialog, reinterpret_cast<LPARAM>(&dialog));
        if (!dialog) Sleep(50);
    }
    ASSERT_NE(dialog, nullptr) << "a save dialog came up";
    char text[MAX_PATH] = {};
    GetDlgItemTextA(dialog, 0x471, text, sizeof text);  // "Save in": a name without a folder opens there
    EXPECT_STREQ(text, "Desktop");
    GetDlgItemTextA(dialog, 0x47C, text, sizeof text);  // "File name"
    EXPECT_STREQ(text, "reporter_test_bugreport.txt");
    const HWND name_box = reinterpret_cast<HWND>(SendDlgItemMessageA(dialog, 0x47C, CBEM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(name_box, nullptr);
    SetWindowTextA(name_box, path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    saver.join();
    EXPECT_EQ(result, 1);
    EXPECT_EQ(field(read_file(path), "exception message"), "chosen");
    DeleteFileA(path.c_str());
}

}  // namespace
}  // namespace roadsum
