// Outcome: an integer division by zero, reported as the processor raised it; the program closes.
// expect-exit: 1
// expect-line: exception class  : EDivByZero
// expect-line: exception message: Division by zero
// expect-line: TFault.Divide
// expect-none: after the fault
#include "fault_program.h"

struct TFault {
    __attribute__((noinline)) static int Divide(int a, int b) {
        volatile int divisor = b;
        return a / divisor;
    }
};

int main() {
    roadsum::faults::Start();
    roadsum::faults::g_sink = TFault::Divide(1, 0);
    roadsum::faults::Say("after the fault");
    return 0;
}
