// Outcome: endless recursion overflows the main thread's stack. A thread with stack to spare
// reports it for the main thread, and the program closes.
// expect-exit: 1
// expect-line: exception class  : EStackOverflow
// expect-line: exception message: Stack overflow
// expect-line: main thread (
// expect-line: TFault.Recurse
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    // Deep enough to run out of any stack; the depth is a variable, so the compiler sees no
    // endless recursion.
    __attribute__((noinline)) static int Recurse(int depth, int limit) {
        volatile char frame[256];
        frame[depth % 256] = static_cast<char>(depth);
        if (depth == limit) return frame[0];
        return Recurse(depth + 1, limit) + frame[0];
    }
};

int main() {
    roadsum::faults::Start();
    roadsum::faults::g_sink = TFault::Recurse(0, roadsum::faults::g_sink - 1);
    roadsum::faults::Say("after the fault");
    return 0;
}
