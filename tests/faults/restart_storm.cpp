// Outcome: with AutoRestart = 60, nine exceptions within a minute let the program go on; the
// tenth restarts it (exit code 2), and the new process, started with the same command line,
// has the old process's exception times.
// expect-exit: 2
// expect-line: exception 9 handled, 9 times in the ring
// expect-count: 10 An error occurred in the application.
// expect-line: restarted with 10 exception times, the newest first
// expect-none: exception 10 handled
// timeout: 90
// mode: restarts
#include "fault_program.h"
#include "runtime/exceptions.h"

using namespace roadsum;

int main() {
    faults::Start();
    const TExceptionTimeRing ring = ExceptionTimes();
    if (ring.Filled() > 0) {
        bool newest_first = true;
        for (std::size_t i = 1; i < ring.Filled(); ++i) newest_first = newest_first && ring.Slot(i - 1) >= ring.Slot(i);
        faults::Say("restarted with " + std::to_string(ring.Filled()) + " exception times" +
                    (newest_first ? ", the newest first" : ", out of order"));
        return 0;
    }
    for (int i = 1; i <= 10; ++i) {
        ReportException(std::make_exception_ptr(EConvertError("'" + std::to_string(i) + "x' is not a valid integer value")));
        faults::Say("exception " + std::to_string(i) + " handled, " + std::to_string(ExceptionTimes().Filled()) +
                    " times in the ring");
    }
    return 0;
}
