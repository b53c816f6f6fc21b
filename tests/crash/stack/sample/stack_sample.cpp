// A program that is never run: its calls are what the stack tracer's native tests put on fake
// stacks. It is cross-compiled with frame pointers and without inlining or sibling calls, so
// that every call below is a real call instruction with a return address after it.
extern "C" __declspec(dllimport) int DllOuter(int (*callback)(int), int x);

namespace roadsum {

volatile int sink;

struct TSample {
    static int Leaf(int x);
    static int Callback(int x);
    static int Middle(int x);
    static int Outer(int x);
    static int PingA(int n);
    static int PingB(int n);
    static int RaiseError(int x);
    static int Thrower(int x);
    static int Dispatch(int (*handler)(int), int x);
};

__attribute__((noinline)) int TSample::Leaf(int x) {
    sink = x;
    return sink * 2;
}

__attribute__((noinline)) int TSample::Callback(int x) {
    const int r = Leaf(x + 1);
    sink = r;
    return r + 3;
}

__attribute__((noinline)) int TSample::Middle(int x) {
    const int r = DllOuter(&TSample::Callback, x);
    sink = r;
    return r - 1;
}

__attribute__((noinline)) int TSample::Outer(int x) {
    const int r = Middle(x * 2);
    sink = r;
    return r + 5;
}

__attribute__((noinline)) int TSample::PingA(int n) {
    const int r = n > 0 ? PingB(n - 1) : Leaf(n);
    sink = r;
    return r + 1;
}

__attribute__((noinline)) int TSample::PingB(int n) {
    const int r = PingA(n);
    sink = r;
    return r + 2;
}

__attribute__((noinline)) int TSample::RaiseError(int x) {
    sink = x;
    return sink;
}

__attribute__((noinline)) int TSample::Thrower(int x) {
    const int r = RaiseError(x);
    sink = r;
    return r * 7;
}

__attribute__((noinline)) int TSample::Dispatch(int (*handler)(int), int x) {
    const int r = handler(x);
    sink = r;
    return r;
}

}  // namespace roadsum

int main(int argc, char**) {
    using roadsum::TSample;
    return TSample::Outer(argc) + TSample::PingA(argc) + TSample::Thrower(argc) + TSample::Dispatch(&TSample::Leaf, argc);
}
