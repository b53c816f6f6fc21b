// Outcome: the program takes memory until there is none and the std::bad_alloc escapes. The
// emergency reserve, let go while the failure is handled, leaves room to build the report;
// the program closes. (The message equals the class name, so the header has no message line.)
// expect-exit: 1
// expect-line: out of memory after
// expect-line: An error occurred in the application.
// expect-line: exception class  : std::bad_alloc
// expect-line: TFault.Exhaust
// timeout: 60
#include <new>
#include <vector>

#include "fault_program.h"

struct TFault {
    // Blocks of 1 MB, never touched: address space runs out, not the machine's memory.
    __attribute__((noinline)) static void Exhaust(std::vector<char*>& blocks) {
        for (;;) blocks.push_back(new char[1 << 20]);
    }
};

int main() {
    roadsum::faults::Start();
    std::vector<char*> blocks;
    blocks.reserve(4096);
    try {
        TFault::Exhaust(blocks);
    } catch (const std::bad_alloc&) {
        roadsum::faults::Say("out of memory after " + std::to_string(blocks.size()) + " MB");
        throw;
    }
    return 0;
}
