// Outcome: a read through a null pointer. The top-level exception filter reports the access
// violation with the processor's context; the thread cannot go on, so the program closes.
// expect-exit: 1
// expect-line: An error occurred in the application.
// expect-line: exception class  : EAccessViolation
// expect-line: Read of address 00000000
// expect-line: TFault.ReadNull
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static int ReadNull(volatile int* p) { return *p; }
};

int main() {
    roadsum::faults::Start();
    roadsum::faults::g_sink = TFault::ReadNull(nullptr);
    roadsum::faults::Say("after the fault");
    return 0;
}
