// The process the fault-to-report measurements fail in: the main thread and nine workers that
// recurse to depths of their own and wait, and a fault of the main thread (a write to address
// 0 from a function of its own).
#pragma once

#include <windows.h>

namespace roadsum::bench {

inline double now_ms() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

struct TWorker {
    static constexpr int kCount = 9;
    static inline volatile int sink;
    static inline HANDLE release_event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    static inline volatile LONG ready;

    __attribute__((noinline)) static int Descend(int depth) {
        if (depth == 0) {
            InterlockedIncrement(&ready);
            return static_cast<int>(WaitForSingleObject(release_event, INFINITE));
        }
        const int r = Descend(depth - 1);
        sink = r;
        return r + 1;
    }
    static DWORD WINAPI Run(void* depth) {
        return static_cast<DWORD>(Descend(static_cast<int>(reinterpret_cast<INT_PTR>(depth))));
    }
    __attribute__((noinline)) static void Fault(volatile int* target) { *target = sink; }

    // Starts the nine workers and returns once each waits at its depth.
    static void StartAll() {
        for (int i = 0; i < kCount; ++i)
            CloseHandle(CreateThread(nullptr, 0, Run, reinterpret_cast<void*>(static_cast<INT_PTR>(5 + 3 * i)), 0, nullptr));
        while (ready < kCount) Sleep(1);
    }
};

}  // namespace roadsum::bench
