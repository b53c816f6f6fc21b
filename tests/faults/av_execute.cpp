// Outcome: a call to an address where no code is: an access violation at that address, in no
// module, reported with that address on top of the stack; the program closes.
// expect-exit: 1
// expect-line: exception class  : EAccessViolation
// expect-line: exception message: Access violation at address 00000010. Execute of address 00000010
// expect-line: 00000010 +0000 ???
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static void CallNowhere(void (*target)()) {
        target();
        roadsum::faults::g_sink = 2;
    }
};

int main() {
    roadsum::faults::Start();
    TFault::CallNowhere(reinterpret_cast<void (*)()>(0x10));
    roadsum::faults::Say("after the fault");
    return 0;
}
