// Outcome: a write to an address where nothing is mapped: an access violation, reported with
// the address written, and the program closes.
// expect-exit: 1
// expect-line: exception class  : EAccessViolation
// expect-line: Write of address 00000010
// expect-line: TFault.WriteLow
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static void WriteLow(volatile int* p) { *p = 1; }
};

int main() {
    roadsum::faults::Start();
    TFault::WriteLow(reinterpret_cast<volatile int*>(0x10));
    roadsum::faults::Say("after the fault");
    return 0;
}
