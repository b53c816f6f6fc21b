// How long Windows programs take from their start to their first visible window, over several
// runs: Roadsum's start-up is the crash reporter's settings and file check, then the window.
//
//   startup_time RUNS PROGRAM...
//
// Each run starts the program, waits for its first visible top-level window, closes the
// window and waits for the process to end. Several programs (two builds, say) take turns run
// by run, so that a busy machine slows them alike. Prints, per program, the minimum, median
// and maximum in ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD process;
    HWND window = nullptr;
};

BOOL CALLBACK visible_window_of(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != s->process || !IsWindowVisible(window)) return TRUE;
    s->window = window;
    return FALSE;
}

double now_ms() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds to the first visible window, or a negative value when there was none in 20 s.
double one_run(const std::string& program) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + program + "\"";
    const double start = now_ms();
    if (!CreateProcessA(program.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    Search s{pi.dwProcessId};
    double shown = -1;
    while (now_ms() - start < 20000 && WaitForSingleObject(pi.hProcess, 0) == WAIT_TIMEOUT) {
        EnumWindows(visible_window_of, reinterpret_cast<LPARAM>(&s));
        if (s.window) {
            shown = now_ms() - start;
            break;
        }
        Sleep(1);
    }
    if (s.window) PostMessageA(s.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return shown;
}

}  // namespace

int main(int argc, char** argv) {
    const int runs = argc >= 3 ? std::atoi(argv[1]) : 0;
    if (runs < 1 || runs > 1000) {
        std::fprintf(stderr, "usage: startup_time RUNS PROGRAM...   (RUNS 1 to 1000)\n");
        return 2;
    }
    std::vector<std::vector<double>> times(static_cast<std::size_t>(argc - 2));
    for (int i = 0; i < runs; ++i)
        for (std::size_t p = 0; p < times.size(); ++p) {
            const char* program = argv[p + 2];
            const double t = one_run(program);
            if (t < 0) {
                std::fprintf(stderr, "startup_time: %s showed no window\n", program);
                return 1;
            }
            times[p].push_back(t);
        }
    for (std::size_t p = 0; p < times.size(); ++p) {
        std::vector<double>& t = times[p];
        std::sort(t.begin(), t.end());
        std::printf("%s: %d runs, first window after min %.1f ms, median %.1f ms, max %.1f ms\n", argv[p + 2], runs,
                    t.front(), t[t.size() / 2], t.back());
    }
    return 0;
}
