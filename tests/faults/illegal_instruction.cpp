// Outcome: an instruction the processor does not know (ud2): an external exception with the
// system's code; the program closes.
// expect-exit: 1
// expect-line: exception class  : EExternalException
// expect-line: exception message: External exception C000001D
// expect-line: TFault.Undefined
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static void Undefined() { asm volatile("ud2"); }
};

int main() {
    roadsum::faults::Start();
    TFault::Undefined();
    roadsum::faults::Say("after the fault");
    return 0;
}
