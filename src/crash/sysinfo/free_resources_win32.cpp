// The free system resources of the Windows 9x family live in the 16-bit user library; a 32-bit
// program reaches them through the kernel's flat thunk.
#include <windows.h>

#include <cstdint>

#include "crash/sysinfo/os_info_win32.h"

// Calls a 16-bit routine that takes one word, through QT_Thunk. The thunk copies the bytes
// between the stack pointer and 0x40 bytes below the frame pointer to the 16-bit stack, so the
// frame here is laid out exactly: 0x40 bytes of room, then the word argument.
//   unsigned roadsum_thunk16_word(void* qt_thunk, std::uint32_t target16, std::uint32_t word)
extern "C" unsigned roadsum_thunk16_word(void* qt_thunk, std::uint32_t target16, std::uint32_t word);
asm(".text\n"
    ".globl _roadsum_thunk16_word\n"
    "_roadsum_thunk16_word:\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  subl $0x40, %esp\n"
    "  movl 28(%ebp), %eax\n"
    "  pushw %ax\n"
    "  movl 24(%ebp), %edx\n"
    "  movl 20(%ebp), %ecx\n"
    "  call *%ecx\n"
    "  movzwl %ax, %eax\n"
    "  movl %ebp, %esp\n"
    "  popl %ebp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  ret\n");

namespace roadsum {

namespace {

// Windows 9x refuses to look up the kernel's ordinal-only exports by ordinal, so the export
// table is read directly when the lookup fails. Forwarded exports are not followed.
void* kernel_export(HMODULE kernel, WORD ordinal) {
    if (FARPROC found = GetProcAddress(kernel, MAKEINTRESOURCEA(ordinal))) return reinterpret_cast<void*>(found);
    const auto* base = reinterpret_cast<const BYTE*>(kernel);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    if (dos->e_magic != IMAGE_DOS_SIGNATURE) return nullptr;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(base + dos->e_lfanew);
    if (nt->Signature != IMAGE_NT_SIGNATURE) return nullptr;
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    if (!dir.VirtualAddress) return nullptr;
    const auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + dir.VirtualAddress);
    if (ordinal < exports->Base || ordinal - exports->Base >= exports->NumberOfFunctions) return nullptr;
    const DWORD rva = reinterpret_cast<const DWORD*>(base + exports->AddressOfFunctions)[ordinal - exports->Base];
    if (!rva || (rva >= dir.VirtualAddress && rva < dir.VirtualAddress + dir.Size)) return nullptr;
    return const_cast<BYTE*>(base + rva);
}

struct UserThunk {
    void* qt_thunk = nullptr;
    DWORD target = 0;  // 16:16 address of GetFreeSystemResources
};

UserThunk find_user_thunk() {
    using LoadLibrary16Function = DWORD(WINAPI*)(LPCSTR);
    using GetProcAddress16Function = DWORD(WINAPI*)(DWORD, LPCSTR);
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return {};
    auto load16 = reinterpret_cast<LoadLibrary16Function>(kernel_export(kernel, 35));
    auto address16 = reinterpret_cast<GetProcAddress16Function>(kernel_export(kernel, 37));
    void* qt_thunk = reinterpret_cast<void*>(GetProcAddress(kernel, "QT_Thunk"));
    if (!load16 || !address16 || !qt_thunk) return {};
    const WORD user16 = LOWORD(load16("user.exe"));
    if (user16 < 32) return {};  // 16-bit loader errors are below 32
    const DWORD target = address16(user16, "GetFreeSystemResources");
    return target ? UserThunk{qt_thunk, target} : UserThunk{};
}

}  // namespace

std::optional<int> free_system_resources(FreeResources kind) {
    if (!os_info().Is9x) return std::nullopt;
    static const UserThunk thunk = find_user_thunk();
    if (!thunk.qt_thunk) return std::nullopt;
    return static_cast<int>(roadsum_thunk16_word(thunk.qt_thunk, thunk.target, static_cast<std::uint32_t>(kind)));
}

}  // namespace roadsum
