// Stands in for the mail program: writes the command line it was started with into the file
// its first argument names, so a test can read what the mailto method handed over.
#include <windows.h>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    HANDLE file = CreateFileA(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    const char* line = GetCommandLineA();
    DWORD written = 0;
    const BOOL ok = WriteFile(file, line, lstrlenA(line), &written, nullptr);
    CloseHandle(file);
    return ok ? 0 : 1;
}
