// The library beside the stack sample: no debug information of its own, so the tracer names
// its functions by their exports.
extern "C" __declspec(dllexport) int DllInner(int (*callback)(int), int x);

volatile int dll_sink;

extern "C" __declspec(dllexport) __attribute__((noinline)) int DllInner(int (*callback)(int), int x) {
    const int r = callback(x);
    dll_sink = r;
    return r * 3 + 1;
}

extern "C" __declspec(dllexport) __attribute__((noinline)) int DllOuter(int (*callback)(int), int x) {
    const int r = DllInner(callback, x + 1);
    dll_sink = r;
    return r + 2;
}
