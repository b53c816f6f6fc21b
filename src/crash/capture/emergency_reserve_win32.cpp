// The emergency reserve: address space and committed memory held back, so that a report can
// still be built when the program has run out of memory. It is let go while an exception is
// handled and taken again afterwards.
#include "crash/capture/capture_internal_win32.h"

namespace roadsum::capture {

namespace {

constexpr int kBlocks = 4;
constexpr SIZE_T kReserved = 4 * 1024 * 1024;
constexpr SIZE_T kCommitted = 512 * 1024;

struct Reserve {
    SRWLOCK lock = SRWLOCK_INIT;
    void* reserved[kBlocks] = {};
    void* committed[kBlocks] = {};
    int released = 0;  // how many handlings have it let go now
    bool wanted = false;
};

Reserve g_reserve;

void take_locked() {
    for (int i = 0; i < kBlocks; ++i) {
        if (!g_reserve.reserved[i]) g_reserve.reserved[i] = VirtualAlloc(nullptr, kReserved, MEM_RESERVE, PAGE_NOACCESS);
        if (!g_reserve.committed[i])
            g_reserve.committed[i] = VirtualAlloc(nullptr, kCommitted, MEM_RESERVE | MEM_COMMIT, PAGE_NOACCESS);
    }
}

void free_locked() {
    for (int i = 0; i < kBlocks; ++i) {
        for (void** block : {&g_reserve.reserved[i], &g_reserve.committed[i]}) {
            if (*block) VirtualFree(*block, 0, MEM_RELEASE);
            *block = nullptr;
        }
    }
}

}  // namespace

void TakeEmergencyReserve() {
    AcquireSRWLockExclusive(&g_reserve.lock);
    if (g_reserve.released > 0) --g_reserve.released;
    g_reserve.wanted = true;
    if (g_reserve.released == 0) take_locked();
    ReleaseSRWLockExclusive(&g_reserve.lock);
}

void ReleaseEmergencyReserve() {
    AcquireSRWLockExclusive(&g_reserve.lock);
    if (g_reserve.wanted) {
        ++g_reserve.released;
        free_locked();
    }
    ReleaseSRWLockExclusive(&g_reserve.lock);
}

void FreeEmergencyReserve() {
    AcquireSRWLockExclusive(&g_reserve.lock);
    g_reserve.wanted = false;
    g_reserve.released = 0;
    free_locked();
    ReleaseSRWLockExclusive(&g_reserve.lock);
}

}  // namespace roadsum::capture
