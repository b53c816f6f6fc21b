// Outcome: registered exception handlers fail in two ways: one throws (it is passed over), one
// asks for a report of its own from inside the handling thread (the request is ignored and
// returns at once). The report they took part in goes on and the program continues.
// expect-exit: 0
// expect-line: handler: throwing
// expect-line: handler: report from the handling thread returned
// expect-line: handler: still called
// expect-count: 1 An error occurred in the application.
// expect-line: exception class  : EConvertError
// expect-line: main thread went on
#include <stdexcept>

#include "fault_program.h"
#include "runtime/exceptions.h"

using namespace roadsum;

int main() {
    faults::Start();
    THandlerRegistry& handlers = ExceptionHandlers();
    handlers.RegisterProcedure(
        heException,
        [](INXException* report, int, bool&) {
            if (report->Phase() != rpCreated) return;
            faults::Say("handler: throwing");
            throw std::runtime_error("a failing handler");
        },
        tmHandlingThread);
    handlers.RegisterProcedure(
        heException,
        [](INXException* report, int, bool&) {
            if (report->Phase() != rpCreated) return;
            ReportException();
            faults::Say("handler: report from the handling thread returned");
        },
        tmHandlingThread);
    handlers.RegisterProcedure(
        heException,
        [](INXException* report, int, bool&) {
            if (report->Phase() == rpCreated) faults::Say("handler: still called");
        },
        tmHandlingThread);
    ReportException(std::make_exception_ptr(EConvertError("'z' is not a valid integer value")));
    faults::Say("main thread went on");
    return 0;
}
