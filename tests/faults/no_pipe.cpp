// Outcome: the handling thread's pipe cannot be made (the program makes the system call fail
// before the reporter starts). There is no handling thread then, and a failure is handled in
// the thread where it happens.
// expect-exit: 0
// expect-line: handler: in the failing thread
// expect-line: An error occurred in the application.
// expect-line: main thread went on
#include "fault_program.h"
#include "runtime/exceptions.h"

using namespace roadsum;

BOOL WINAPI FailingCreatePipe(PHANDLE, PHANDLE, LPSECURITY_ATTRIBUTES, DWORD) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return FALSE;
}

// Points this program's import of CreatePipe at a function that fails.
bool BreakCreatePipe() {
    auto* base = reinterpret_cast<std::uint8_t*>(GetModuleHandleA(nullptr));
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name; ++d) {
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA32*>(base + d->OriginalFirstThunk);
        auto* slots = reinterpret_cast<void**>(base + d->FirstThunk);
        for (int i = 0; names[i].u1.AddressOfData; ++i) {
            if (names[i].u1.Ordinal & IMAGE_ORDINAL_FLAG32) continue;
            auto* name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names[i].u1.AddressOfData);
            if (std::string(reinterpret_cast<char*>(name->Name)) != "CreatePipe") continue;
            DWORD old;
            VirtualProtect(&slots[i], sizeof(void*), PAGE_READWRITE, &old);
            slots[i] = reinterpret_cast<void*>(FailingCreatePipe);
            VirtualProtect(&slots[i], sizeof(void*), old, &old);
            return true;
        }
    }
    return false;
}

int main() {
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    if (!BreakCreatePipe()) faults::Say("CreatePipe is not imported");
    faults::Start();
    faults::SayWhereHandlersRun(GetCurrentThreadId());
    ReportException(std::make_exception_ptr(EConvertError("'p' is not a valid integer value")));
    faults::Say("main thread went on");
    return 0;
}
