// Outcome: a C++ exception escapes the main thread. std::terminate reports it (traced from the
// function that threw it), and as it cannot continue the rules close the program.
// expect-exit: 1
// expect-line: An error occurred in the application.
// expect-line: exception class  : EConvertError
// expect-line: exception message: 'x' is not a valid integer value
// expect-line: main thread (
// expect-line: TFault.Raise
// expect-line: TFault.Caller
// expect-none: after the throw
#include "fault_program.h"
#include "runtime/exceptions.h"

struct TFault {
    __attribute__((noinline)) static void Raise() { throw roadsum::EConvertError("'x' is not a valid integer value"); }
    __attribute__((noinline)) static void Caller() {
        Raise();
        roadsum::faults::g_sink = 1;
    }
};

int main() {
    roadsum::faults::Start();
    TFault::Caller();
    roadsum::faults::Say("after the throw");
    return 0;
}
