// Tracing every thread of a process with ten threads, under Wine or on Windows: each thread
// recurses to its own depth and waits; the main thread suspends each in turn, traces it and
// lets it go. Prints the milliseconds of the first pass (empty caches: every module read,
// every function analysed) and of the passes after it.
//
// Usage: stack_threads_win32.exe [passes]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "crash/stack/stack_trace_win32.h"

namespace {

constexpr int kThreads = 10;
volatile int sink;
HANDLE release_event;
volatile LONG ready;

struct TWorker {
    static int Descend(int depth);
    static int Wait();
    static DWORD WINAPI Run(void* depth);
};

__attribute__((noinline)) int TWorker::Wait() {
    InterlockedIncrement(&ready);
    const int r = static_cast<int>(WaitForSingleObject(release_event, INFINITE));
    sink = r;
    return r;
}

__attribute__((noinline)) int TWorker::Descend(int depth) {
    const int r = depth > 0 ? Descend(depth - 1) : Wait();
    sink = r;
    return r + 1;
}

DWORD WINAPI TWorker::Run(void* depth) { return static_cast<DWORD>(Descend(static_cast<int>(reinterpret_cast<INT_PTR>(depth)))); }

double now_ms() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::size_t lines_of(const std::string& text) {
    if (text.empty()) return 0;
    std::size_t lines = 1;
    for (char c : text) lines += c == '\n';
    return lines;
}

}  // namespace

int main(int argc, char** argv) {
    const int passes = argc > 1 ? std::max(2, std::atoi(argv[1])) : 5;
    release_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<HANDLE> threads;
    for (int i = 0; i < kThreads; ++i)
        threads.push_back(CreateThread(nullptr, 0, &TWorker::Run, reinterpret_cast<void*>(static_cast<INT_PTR>(10 + 20 * i)), 0, nullptr));
    while (ready < kThreads) Sleep(10);
    Sleep(100);  // until every thread is blocked in its wait

    std::printf("pass  all threads (ms)  per thread (ms)  lines\n");
    for (int pass = 0; pass < passes; ++pass) {
        std::size_t lines = 0;
        const double start = now_ms();
        for (HANDLE thread : threads) {
            SuspendThread(thread);
            roadsum::TraceStackOptions o;
            lines += lines_of(roadsum::TraceThreadStack(thread, o));
            ResumeThread(thread);
        }
        const double elapsed = now_ms() - start;
        std::printf("%4d  %16.2f  %15.2f  %5zu\n", pass + 1, elapsed, elapsed / kThreads, lines);
    }
    SetEvent(release_event);
    WaitForMultipleObjects(kThreads, threads.data(), TRUE, 10000);
    for (HANDLE thread : threads) CloseHandle(thread);
    CloseHandle(release_event);
    return 0;
}
