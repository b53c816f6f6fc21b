// Outcome: a thread of the toolkit's thread class raises a C++ exception. The application's
// exception hook reports it (the thread listed with its class), the rules let the program go
// on, and the thread ends.
// expect-exit: 0
// expect-line: An error occurred in the application.
// expect-line: exception class  : EConvertError
// expect-line: (TFaultThread):
// expect-line: TFault.Raise
// expect-line: main thread went on
#include "fault_program.h"
#include "runtime/exceptions.h"
#include "toolkit/application.h"
#include "toolkit/thread.h"

struct TFault {
    __attribute__((noinline)) static void Raise() { throw roadsum::EConvertError("'y' is not a valid integer value"); }
};

class TFaultThread final : public roadsum::TThread {
public:
    ~TFaultThread() override { Stop(); }

protected:
    void Execute() override { TFault::Raise(); }
};

int main() {
    roadsum::faults::Start();
    roadsum::TApplication application;
    roadsum::WireApplication(application);
    {
        TFaultThread thread;
        thread.Resume();
        thread.WaitFor();
    }
    roadsum::faults::Say("main thread went on");
    return 0;
}
