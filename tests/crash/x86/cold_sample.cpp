// A program whose throwing path the compiler moves into a cold part of its function
// (".text.unlikely", "checked_ratio ... [clone .cold]"), and a function that ends in a tail jump.
// The disassembler's tests read it; it is never run.
#include <stdexcept>
#include <string>

__attribute__((noipa)) int checked_ratio(int a, int b) {
    if (b == 0) throw std::invalid_argument("zero divisor for " + std::to_string(a));
    return a / b;
}

__attribute__((noipa)) int forward_ratio(int a, int b) { return checked_ratio(a, b); }

int main(int argc, char**) {
    try {
        return forward_ratio(10, argc - 1);
    } catch (const std::exception&) {
        return 3;
    }
}
