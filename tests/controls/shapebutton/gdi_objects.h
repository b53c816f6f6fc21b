// The number of GDI objects the process holds, for leak checks. The system reports it through
// GetGuiResources; Wine does not implement that, so there the entries of its GDI handle table
// (which the process environment block points to) that are in use and not stock are counted.
#pragma once

#include <windows.h>
#include <winternl.h>

#include <cstdint>

namespace roadsum::test {

namespace detail {

// One entry of Wine's GDI handle table; the layout is the same in 32- and 64-bit processes.
struct WineGdiEntry {
    std::uint64_t object;
    std::uint32_t owner;
    std::uint16_t unique;  // bit 7: a stock object
    std::uint8_t type;     // 0: a free entry
    std::uint8_t flags;
    std::uint64_t user;
};
static_assert(sizeof(WineGdiEntry) == 24);

inline bool OnWine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version");
}

}  // namespace detail

// -1 when it cannot be told.
inline long GdiObjectCount() {
    SetLastError(0);
    const DWORD reported = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (reported != 0 || GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return static_cast<long>(reported);
    if (!detail::OnWine()) return -1;
    constexpr std::size_t kGdiSharedHandleTable = 0x94;  // offset in the 32-bit process environment block
    static_assert(sizeof(void*) == 4, "the offset is the 32-bit one");
    using Query = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
    const auto query = reinterpret_cast<Query>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQueryInformationProcess")));
    PROCESS_BASIC_INFORMATION info{};
    if (!query || query(GetCurrentProcess(), ProcessBasicInformation, &info, sizeof info, nullptr) != 0) return -1;
    const auto* peb = reinterpret_cast<const unsigned char*>(info.PebBaseAddress);
    const auto* table = *reinterpret_cast<const detail::WineGdiEntry* const*>(peb + kGdiSharedHandleTable);
    if (!table) return -1;
    long count = 0;
    for (std::size_t i = 0; i < 0x10000; ++i)
        if (table[i].type != 0 && (table[i].unique & 0x80) == 0) ++count;
    return count;
}

}  // namespace roadsum::test
