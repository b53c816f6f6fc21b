// Outcome: an instruction only the system may run (hlt); the program closes.
// expect-exit: 1
// expect-line: exception class  : EPrivilege
// expect-line: exception message: Privileged instruction
// expect-line: TFault.Halt
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static void Halt() { asm volatile("hlt"); }
};

int main() {
    roadsum::faults::Start();
    TFault::Halt();
    roadsum::faults::Say("after the fault");
    return 0;
}
