// Outcome: the settings resource is damaged (a value type that no component stream has). The
// reporter says so in a message box and keeps the settings read before the damage: it is
// enabled and reports a failure as those settings say.
// expect-exit: 0
// expect-box: Internal error: Invalid settings resource ($07).
// expect-line: An error occurred in the application.
// expect-line: exception class  : EConvertError
// expect-line: main thread went on
#include "fault_program.h"
#include "runtime/exceptions.h"

int main() {
    roadsum::faults::Start();
    roadsum::ReportException(std::make_exception_ptr(roadsum::EConvertError("'d' is not a valid integer value")));
    roadsum::faults::Say("main thread went on");
    return 0;
}
