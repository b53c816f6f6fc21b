// Outcome: the program file has one byte changed. At start the reporter finds that the file
// does not sum to its header's checksum, says BitFaultMsg (a console program prints it) and
// ends the program with code 0 before anything else runs.
// mode: corrupt-copy
// expect-exit: 0
// expect-line: The file "fault_corrupt_file_corrupt.exe" seems to be corrupt!
// expect-none: main ran
#include "fault_program.h"

int main() {
    roadsum::faults::Start();
    roadsum::faults::Say("main ran");
    return 0;
}
