// Outcome: the program's file is not where the program was started from when the reporter
// checks it (renamed before the reporter starts). The file cannot be checked, which is not
// held against it: the program runs and the reporter works.
// expect-exit: 0
// expect-line: renamed
// expect-none: seems to be corrupt
// expect-line: An error occurred in the application.
// expect-line: main thread went on
#include "fault_program.h"
#include "runtime/exceptions.h"

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const std::string moved = std::string(path) + ".moved";
    if (MoveFileA(path, moved.c_str())) roadsum::faults::Say("renamed");
    roadsum::faults::Start();
    roadsum::ReportException(std::make_exception_ptr(roadsum::EConvertError("'m' is not a valid integer value")));
    MoveFileA(moved.c_str(), path);
    roadsum::faults::Say("main thread went on");
    return 0;
}
