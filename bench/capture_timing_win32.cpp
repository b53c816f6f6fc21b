// Two measurements of the crash reporter in a real process (run under Wine or on Windows):
//
// 1. Its start-up (the settings, the checksum of the program file, the hooks, the handling
//    thread, the reserve) as a share of the time from the process's start to the first paint
//    of the Roadsum main window, in a program that carries Roadsum's window, its shipped
//    settings and the whole reporter;
// 2. the time from a fault to the handling thread starting its report: a C++ exception caught
//    by the application's hook, and an access violation through the top-level filter;
// 3. what every throw of the program costs now that its raise is recorded.
//
//   capture_timing_win32 [RUNS]
//
// Without a mode the program runs itself once per measurement and prints minimum, median and
// maximum of each.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/crash_wiring.h"
#include "crash/capture/capture_win32.h"
#include "runtime/exceptions.h"
#include "toolkit/application.h"
#include "toolkit/form.h"
#include "ui/roadsum_frm.h"

namespace {

using namespace roadsum;

double now_ms() {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart);
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / frequency;
}

double filetime_ms(const FILETIME& t) {
    return static_cast<double>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 10000.0;
}

// Milliseconds since this process was created, by the system clock.
double since_process_start() {
    FILETIME created, exited, kernel, user, now;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&now);
    return filetime_ms(now) - filetime_ms(created);
}

int measure_startup() {
    const double begin = now_ms();
    StartCrashReporting();
    const double reporter = now_ms() - begin;
    TApplication application;
    WireApplication(application);
    application.Initialize();
    application.SetTitle("Roadsum");
    application.CreateForm<TRoadsumFrm>();
    application.MainForm()->Show();
    UpdateWindow(application.MainForm()->Handle());  // paints now
    const double total = since_process_start();
    std::printf("%.3f %.3f\n", reporter, total);
    return 0;
}

volatile double g_fault_at = 0;
int* volatile g_nowhere = reinterpret_cast<int*>(0x10);
volatile double g_handled_at = 0;

void note_handling_start(INXException* report, int, bool& handled) {
    if (report->Phase() != rpCreated) return;
    g_handled_at = now_ms();
    // The report itself is not what is measured here.
    handled = true;
    if (report->ExceptObject().External) {
        std::printf("%.3f\n", g_handled_at - g_fault_at);
        std::fflush(stdout);
    }
}

int measure_cpp_faults(int runs) {
    StartCrashReporting();
    TApplication application;
    WireApplication(application);
    ExceptionHandlers().RegisterProcedure(heException, note_handling_start, tmHandlingThread);
    for (int i = 0; i < runs; ++i) {
        g_fault_at = now_ms();
        try {
            throw EConvertError("'x' is not a valid integer value");
        } catch (...) {
            application.HandleException(std::current_exception());
        }
        std::printf("%.3f\n", g_handled_at - g_fault_at);
    }
    return 0;
}

// A throw caught at once costs this much more with the throw wrapper's record than without.
int measure_throws(int runs) {
    StartCrashReporting();
    for (int i = 0; i < runs; ++i) {
        const double begin = now_ms();
        try {
            throw EConvertError("caught at once");
        } catch (const Exception&) {
        }
        std::printf("%.3f\n", now_ms() - begin);
    }
    return 0;
}

int measure_access_violation() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    StartCrashReporting();
    ExceptionHandlers().RegisterProcedure(heException, note_handling_start, tmHandlingThread);
    g_fault_at = now_ms();
    *g_nowhere = 1;
    return 0;
}

// Runs this program with the mode and returns the numbers it printed, one per line or per
// blank.
std::vector<double> run_self(const std::string& mode) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE read, write;
    CreatePipe(&read, &write, &inherit, 0);
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = write;
    si.hStdError = write;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + std::string(self) + "\" " + mode;
    std::vector<double> numbers;
    if (!CreateProcessA(self, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) return numbers;
    CloseHandle(write);
    std::string text;
    char buffer[512];
    DWORD got = 0;
    while (ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) text.append(buffer, got);
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    CloseHandle(read);
    for (char* p = text.data(); *p;) {
        char* end = nullptr;
        const double v = std::strtod(p, &end);
        if (end == p) break;
        numbers.push_back(v);
        p = end;
    }
    return numbers;
}

void print(const char* what, std::vector<double> values, const char* unit) {
    if (values.empty()) {
        std::printf("%-58s no values\n", what);
        return;
    }
    std::sort(values.begin(), values.end());
    std::printf("%-58s min %8.2f  median %8.2f  max %8.2f %s (%zu runs)\n", what, values.front(),
                values[values.size() / 2], values.back(), unit, values.size());
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "startup") return measure_startup();
    if (mode == "cpp") return measure_cpp_faults(argc > 2 ? std::atoi(argv[2]) : 20);
    if (mode == "av") return measure_access_violation();
    if (mode == "throws") return measure_throws(argc > 2 ? std::atoi(argv[2]) : 20);

    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    std::vector<double> reporter, total, share, cpp, av;
    for (int i = 0; i < runs; ++i) {
        const std::vector<double> v = run_self("startup");
        if (v.size() != 2) continue;
        reporter.push_back(v[0]);
        total.push_back(v[1]);
        share.push_back(100.0 * v[0] / v[1]);
    }
    cpp = run_self("cpp " + std::to_string(runs * 2));
    for (int i = 0; i < runs; ++i)
        for (double v : run_self("av")) av.push_back(v);
    const std::vector<double> throws = run_self("throws " + std::to_string(runs * 10));
    print("reporter start-up", reporter, "ms");
    print("process start to the main window's first paint", total, "ms");
    print("reporter start-up as a share of that", share, "%");
    print("C++ exception to the handling thread starting the report", cpp, "ms");
    print("access violation to the handling thread starting the report", av, "ms");
    print("a throw caught at once (the raise recorded)", throws, "ms");
    return 0;
}
