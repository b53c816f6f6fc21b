// Restart: a new process with the same command line takes over the exception time ring
// through a shared memory named after it, so that a storm of exceptions is seen across
// restarts; this process then ends.
#include <cstring>
#include <string>

#include "crash/capture/capture_internal_win32.h"

namespace roadsum::capture {

namespace {

// The standard handles go to the new process, so that a console program's output goes on
// where it went.
bool pass_standard_handles(STARTUPINFOW& si) {
    const HANDLE handles[] = {GetStdHandle(STD_INPUT_HANDLE), GetStdHandle(STD_OUTPUT_HANDLE),
                              GetStdHandle(STD_ERROR_HANDLE)};
    bool any = false;
    for (HANDLE h : handles)
        if (h && h != INVALID_HANDLE_VALUE && SetHandleInformation(h, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT)) any = true;
    if (!any) return false;
    si.dwFlags |= STARTF_USESTDHANDLES;
    si.hStdInput = handles[0];
    si.hStdOutput = handles[1];
    si.hStdError = handles[2];
    return true;
}

}  // namespace

void RestartProcess(const TExceptionTimeRing& ring) {
    STARTUPINFOW si{};
    si.cb = sizeof si;
    const bool inherit = pass_standard_handles(si);
    std::wstring command = GetCommandLineW();
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, command.data(), nullptr, nullptr, inherit, CREATE_SUSPENDED, nullptr, nullptr, &si, &pi)) {
        const std::string name = process_object_name(kRestartMappingPrefix, pi.dwProcessId);
        HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                            static_cast<DWORD>(TRestartRecord::kBytes), name.c_str());
        HANDLE given = nullptr;
        if (mapping && DuplicateHandle(GetCurrentProcess(), mapping, pi.hProcess, &given, 0, FALSE, DUPLICATE_SAME_ACCESS)) {
            if (void* view = MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, TRestartRecord::kBytes)) {
                const TRestartRecord record{GetCurrentProcessId(), AddressOf(given), ring};
                const auto bytes = record.Bytes();
                std::memcpy(view, bytes.data(), bytes.size());
                UnmapViewOfFile(view);
            }
        }
        if (mapping) CloseHandle(mapping);  // the new process's handle keeps it
        ResumeThread(pi.hThread);
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
    }
    EndProcess(kRestartExitCode);
}

std::optional<TExceptionTimeRing> TakeOverRestartRing() {
    const std::string name = process_object_name(kRestartMappingPrefix, GetCurrentProcessId());
    HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name.c_str());
    if (!mapping) return std::nullopt;
    std::optional<TRestartRecord> record;
    if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, TRestartRecord::kBytes)) {
        record = TRestartRecord::FromBytes(ByteView(static_cast<const std::uint8_t*>(view), TRestartRecord::kBytes));
        UnmapViewOfFile(view);
    }
    CloseHandle(mapping);
    if (!record || record->ProcessId == 0 || record->ProcessId == GetCurrentProcessId()) return std::nullopt;
    // The handle that the old process gave this one for the mapping.
    CloseHandle(reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(record->MappingHandle)));
    if (HANDLE old = OpenProcess(SYNCHRONIZE, FALSE, record->ProcessId)) {
        WaitForSingleObject(old, 30000);
        CloseHandle(old);
    }
    return record->Ring;
}

}  // namespace roadsum::capture
