// The real Roadsum.exe meets the crash reporter: a damaged program file is refused at start,
// and a failure ends as the reporter's settings say (copies of the program carry other
// settings in place of the shipped ones).
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "automation.h"

namespace roadsum::e2e {
namespace {

std::string Beside(const std::string& name) {
    const std::string program = ProgramPath();
    return program.substr(0, program.find_last_of("\\/") + 1) + name;
}

std::vector<char> ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A copy of Roadsum.exe beside it, deleted when the test ends.
class ProgramCopy {
public:
    explicit ProgramCopy(const std::string& name) : path_(Beside(name)) { copied_ = CopyFileA(ProgramPath().c_str(), path_.c_str(), FALSE); }
    ~ProgramCopy() {
        for (int i = 0; i < 50 && !DeleteFileA(path_.c_str()) && GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES; ++i)
            Sleep(100);  // the process may still be going away
    }
    ProgramCopy(const ProgramCopy&) = delete;
    ProgramCopy& operator=(const ProgramCopy&) = delete;

    const std::string& Path() const { return path_; }
    bool Copied() const { return copied_; }

    // Changes one byte near the end of the file, where only the checksum notices.
    bool ChangeOneByte() {
        HANDLE file = CreateFileA(path_.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE) return false;
        const DWORD at = GetFileSize(file, nullptr) - 16;
        unsigned char byte = 0;
        DWORD done = 0;
        SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN);
        bool ok = ReadFile(file, &byte, 1, &done, nullptr) && done == 1;
        byte ^= 0x5A;
        SetFilePointer(file, static_cast<LONG>(at), nullptr, FILE_BEGIN);
        ok = ok && WriteFile(file, &byte, 1, &done, nullptr) && done == 1;
        CloseHandle(file);
        return ok;
    }

    // Puts the settings stream of the file into the copy in place of the shipped settings.
    bool ReplaceSettings(const std::string& stream_file) {
        std::vector<char> stream = ReadWholeFile(stream_file);
        HANDLE update = BeginUpdateResourceA(path_.c_str(), FALSE);
        if (stream.empty() || !update) return false;
        const bool ok = UpdateResourceA(update, RT_RCDATA, "TNOXEXCEPT", MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL),
                                        stream.data(), static_cast<DWORD>(stream.size()));
        return EndUpdateResourceA(update, !ok) && ok;
    }

private:
    std::string path_;
    bool copied_ = false;
};

TEST(RoadsumCrash, ACorruptProgramFileIsToldAndEndsTheProgramBeforeItsWindowAppears) {
    ProgramCopy copy("RoadsumCorrupt.exe");
    ASSERT_TRUE(copy.Copied());
    ASSERT_TRUE(copy.ChangeOneByte());
    RoadsumProcess roadsum(copy.Path(), false);
    HWND box = roadsum.FindMessageBox(10000);
    ASSERT_NE(box, nullptr) << "no message box";
    EXPECT_EQ(RoadsumProcess::MessageBoxText(box), "The file \"RoadsumCorrupt.exe\" seems to be corrupt!");
    char caption[64] = {};
    GetWindowTextA(box, caption, sizeof caption);
    EXPECT_STREQ(caption, "RoadsumCorrupt.exe") << "the box's caption is the expanded TitleBar";
    EXPECT_EQ(FindOtherRoadsumWindow(0, 0), nullptr) << "no main window";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(roadsum.WaitForExit(), 0);
}

// The exception box of a process, once it shows.
HWND FindExceptionBox(DWORD process, int milliseconds) {
    for (int waited = 0; waited < milliseconds; waited += 20) {
        for (HWND w = FindWindowExA(nullptr, nullptr, "noxExceptWndClass", nullptr); w;
             w = FindWindowExA(nullptr, w, "noxExceptWndClass", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            if (owner == process && IsWindowVisible(w)) return w;
        }
        Sleep(20);
    }
    return nullptr;
}

// A real click in the middle of a window of another process.
void ClickWindow(const RoadsumProcess& roadsum, HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    roadsum.ClickAt((r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

std::string WholeText(const std::string& path) {
    const std::vector<char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

TEST(RoadsumCrash, ALetterInANumberFieldShowsTheExceptionBoxAndItsReport) {
    DeleteFileA(Beside("bugreport.txt").c_str());
    RoadsumProcess roadsum;
    ASSERT_NE(roadsum.Window(), nullptr);
    roadsum.TypeInto("DistanceOneWayTb", "12a");
    roadsum.Click("Label6");  // "Calculate"
    const HWND box = FindExceptionBox(roadsum.ProcessId(), 10000);
    ASSERT_NE(box, nullptr) << "no exception box";
    EXPECT_EQ(RoadsumProcess::WindowText(box), "Roadsum.exe");  // TitleBar "%appname%"
    EXPECT_EQ(RoadsumProcess::WindowText(FindWindowExA(box, nullptr, "Static", nullptr)),
              "An error occurred in the application.");
    EXPECT_TRUE(roadsum.WaitUntil([&] { return GetForegroundWindow() == box; })) << "the box comes to the front";
    EXPECT_TRUE(roadsum.SaveScreenshot(ROADSUM_SCREENSHOT_DIR "/roadsum-exception-box.bmp", box));

    const HWND show = FindWindowExA(box, nullptr, "Button", "show bug report");
    ASSERT_NE(show, nullptr);
    ClickWindow(roadsum, show);
    HWND tabs = nullptr;
    EXPECT_TRUE(roadsum.WaitUntil([&] { return (tabs = FindWindowExA(box, nullptr, "SysTabControl32", nullptr)) != nullptr; }))
        << "the details open";
    // The report completes while the box is open: its sections come in as tabs.
    EXPECT_TRUE(roadsum.WaitUntil([&] { return SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0) >= 6; }));
    DWORD_PTR answer = 0;  // the box has handled what came before, and painted
    SendMessageTimeoutA(box, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &answer);
    RedrawWindow(box, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(200);
    EXPECT_TRUE(roadsum.SaveScreenshot(ROADSUM_SCREENSHOT_DIR "/roadsum-exception-box-details.bmp", box));

    const HWND close = FindWindowExA(box, nullptr, "Button", "close application");
    ASSERT_NE(close, nullptr);
    ClickWindow(roadsum, close);
    EXPECT_EQ(roadsum.WaitForExit(), 1) << "close application ends the program";

    const std::string report = WholeText(Beside("bugreport.txt"));
    EXPECT_NE(report.find("exception class  : EConvertError"), std::string::npos) << report;
    EXPECT_NE(report.find("exception message: '012a' is not a valid integer value"), std::string::npos) << report;
    // The crashing thread's stack comes first: from the conversion up to the button's handler.
    const std::size_t stack = report.find("main thread");
    const std::size_t next_section = report.find("\r\n\r\n", stack);
    ASSERT_NE(stack, std::string::npos) << report;
    const std::string crashing = report.substr(stack, next_section - stack);
    EXPECT_NE(crashing.find(" Convert "), std::string::npos) << crashing;  // the conversion ...
    EXPECT_NE(crashing.find(" str_to_int\r\n"), std::string::npos) << crashing;
    EXPECT_NE(crashing.find(" CostModel "), std::string::npos) << crashing;  // ... the cost model calls
    EXPECT_NE(crashing.find("TRoadsumFrm.PricelistBtnClick"), std::string::npos) << crashing;
}

TEST(RoadsumCrash, AFailureClosesOrRestartsTheProgramAsTheSettingsSay) {
    struct Case {
        const char* name;
        const char* stream;
        long exit_code;
        bool restarts;
        const char* report_file;  // saved beside the copy; null: the settings save none
    } cases[] = {
        {"RoadsumAutoClose.exe", ROADSUM_E2E_STREAMS "/auto_close.bin", 1, false, "RoadsumAutoClose-bugreport.txt"},
        {"RoadsumAutoRestart.exe", ROADSUM_E2E_STREAMS "/auto_restart.bin", 2, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.report_file) DeleteFileA(Beside(c.report_file).c_str());
        ProgramCopy copy(c.name);
        ASSERT_TRUE(copy.Copied());
        ASSERT_TRUE(copy.ReplaceSettings(c.stream));
        RoadsumProcess roadsum(copy.Path(), true);
        ASSERT_NE(roadsum.Window(), nullptr);
        roadsum.TypeInto("DistanceOneWayTb", "12.5");
        roadsum.Click("Label6");
        EXPECT_EQ(roadsum.WaitForExit(), c.exit_code);
        if (c.report_file) {
            // The failure's whole report, saved before the program closed.
            const std::vector<char> bytes = ReadWholeFile(Beside(c.report_file));
            const std::string report(bytes.begin(), bytes.end());
            EXPECT_EQ(report.rfind("date/time", 0), 0u) << report;
            EXPECT_NE(report.find("\r\nexecutable       : RoadsumAutoClose.exe\r\n"), std::string::npos) << report;
            EXPECT_NE(report.find("\r\nexception class  : EConvertError\r\n"), std::string::npos) << report;
            EXPECT_NE(report.find("\r\nmain thread ($"), std::string::npos) << report;
            EXPECT_EQ(report.find("calculated soon"), std::string::npos) << report;
            EXPECT_EQ(report.size() - report.rfind("\r\n\r\n"), 4u) << "the report ends with two line ends";
            DeleteFileA(Beside(c.report_file).c_str());
        }
        HWND again = FindOtherRoadsumWindow(roadsum.ProcessId(), c.restarts ? 10000 : 1000);
        EXPECT_EQ(again != nullptr, c.restarts) << "a new process shows the window again";
        if (!again) continue;
        DWORD pid = 0;
        GetWindowThreadProcessId(again, &pid);
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
        PostMessageA(again, WM_CLOSE, 0, 0);
        if (process && WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 99);
        if (process) CloseHandle(process);
    }
}

}  // namespace
}  // namespace roadsum::e2e
