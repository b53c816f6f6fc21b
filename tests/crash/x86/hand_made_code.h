// A small image of hand-assembled functions in fake memory, shared by the analyser and listing
// tests. Bytes are written with the instructions they encode.
#pragma once

#include "crash/x86/function_info.h"
#include "fake_memory.h"

namespace roadsum::testing {

constexpr std::uint32_t kImage = 0x00400000;
constexpr std::uint32_t kFuncA = 0x00401000;      // branches, a direct, an imported and an indirect call
constexpr std::uint32_t kCallee = 0x00402000;
constexpr std::uint32_t kImportSlot = 0x00403000;
constexpr std::uint32_t kMessageBox = 0x10001000;
constexpr std::uint32_t kFuncCase = 0x00401100;   // a case jump table in the code
constexpr std::uint32_t kFuncOn = 0x00401300;     // an exception handler table
constexpr std::uint32_t kFuncFinally = 0x00401400;  // try..finally: handler from the push before the jump
constexpr std::uint32_t kFuncInvalid = 0x00401500;
constexpr std::uint32_t kFuncHookable = 0x00401600;
constexpr std::uint32_t kFuncTail = 0x00401700;   // ends in a jump to another function
constexpr std::uint32_t kFuncLong = 0x00401800;   // thirty nops
constexpr std::uint32_t kFuncWithCold = 0x00401900;  // branches to its cold part, placed apart
constexpr std::uint32_t kColdPart = 0x00401E00;      // ends in a call that does not return
constexpr std::uint32_t kAfterCold = 0x00401E0E;     // the next function, right behind it
constexpr std::uint32_t kHandleOnException = 0x00405000;
constexpr std::uint32_t kHandleFinally = 0x00405100;
constexpr std::uint32_t kExceptionClass = 0x00406100;
constexpr std::uint32_t kText = 0x00406200;

struct HandMadeCode {
    FakeMemory memory;
    FakeSymbols symbols;
    RuntimeRoutines routines;

    HandMadeCode() {
        memory.add(0x00401000, std::vector<std::uint8_t>(0x1000, 0xCC));
        memory.add(0x00402000, std::vector<std::uint8_t>(0x10, 0xC3));
        memory.add(0x00403000, std::vector<std::uint8_t>(0x10, 0x00));
        memory.add(0x00405000, std::vector<std::uint8_t>(0x200, 0xC3));
        memory.add(0x00406000, std::vector<std::uint8_t>(0x400, 0x00));
        memory.add(kMessageBox, {0x55, 0xC3});

        memory.poke(kFuncA, {
            0x55,                                // push ebp
            0x8B, 0xEC,                          // mov ebp, esp
            0x85, 0xC0,                          // test eax, eax
            0x74, 0x07,                          // je 0040100e
            0xE8, 0xF4, 0x0F, 0x00, 0x00,        // call 00402000
            0xEB, 0x06,                          // jmp 00401014
            0xFF, 0x15, 0x00, 0x30, 0x40, 0x00,  // 0040100e: call [00403000]
            0xFF, 0xD0,                          // 00401014: call eax
            0x5D,                                // pop ebp
            0xC3,                                // ret
        });
        memory.poke_dword(kImportSlot, kMessageBox);

        memory.poke(kFuncCase, {
            0x83, 0xF8, 0x02,                          // cmp eax, 2
            0x77, 0x19,                                // ja 0040111e
            0xFF, 0x24, 0x85, 0x0C, 0x11, 0x40, 0x00,  // jmp [eax*4+0040110c]
            0x18, 0x11, 0x40, 0x00,                    // 0040110c: dd 00401118
            0x1A, 0x11, 0x40, 0x00,                    //           dd 0040111a
            0x1C, 0x11, 0x40, 0x00,                    //           dd 0040111c
            0x40, 0xC3,                                // 00401118: inc eax; ret
            0x48, 0xC3,                                // 0040111a: dec eax; ret
            0x33, 0xC0,                                // 0040111c: xor eax, eax
            0xC3,                                      // 0040111e: ret
        });

        memory.poke(kFuncOn, {
            0xE9, 0xFB, 0x3C, 0x00, 0x00,  // jmp 00405000 (HandleOnException)
            0x02, 0x00, 0x00, 0x00,        // 00401305: two entries
            0x00, 0x61, 0x40, 0x00,        //   class at 00406100
            0x20, 0x13, 0x40, 0x00,        //   handler 00401320
            0x00, 0x00, 0x00, 0x00,        //   any other class
            0x22, 0x13, 0x40, 0x00,        //   handler 00401322
        });
        memory.poke(0x00401320, {0x40, 0xC3, 0x48, 0xC3});  // inc eax; ret / dec eax; ret
        memory.poke(0x00401324, {0x41, 0xC3});               // inc ecx; ret: reached only by continuing
        // The class's name: a pointer 44 bytes before the class leads to a length-prefixed text.
        memory.poke_dword(kExceptionClass - 44, kExceptionClass + 0x40);
        memory.poke(kExceptionClass + 0x40, {13});
        memory.poke_text(kExceptionClass + 0x41, "EConvertError");

        memory.poke(kFuncFinally, {
            0x68, 0x0A, 0x14, 0x40, 0x00,  // push 0040140a
            0xE9, 0xF6, 0x3C, 0x00, 0x00,  // jmp 00405100 (HandleFinally)
            0x33, 0xC0, 0xC3,              // 0040140a: xor eax, eax; ret
        });

        memory.poke(kFuncInvalid, {0x40, 0x0F, 0x04});  // inc eax; then an undefined opcode

        memory.poke(kFuncHookable, {0x55, 0x8B, 0xEC, 0x83, 0xEC, 0x10, 0xC9, 0xC3});  // push; mov; sub esp,10; leave; ret

        memory.poke(kFuncTail, {0x40, 0xE9, 0xFA, 0x08, 0x00, 0x00});  // inc eax; jmp 00402000
        memory.poke(kFuncWithCold, {
            0x85, 0xC0,                          // test eax, eax
            0x0F, 0x85, 0xF8, 0x04, 0x00, 0x00,  // jne 00401e00
            0xC3,                                // ret
        });
        memory.poke(kColdPart, {
            0x85, 0xDB,                          // test ebx, ebx
            0x74, 0x05,                          // je 00401e09
            0xE8, 0xF7, 0x01, 0x00, 0x00,        // call 00402000
            0xE8, 0xF2, 0x01, 0x00, 0x00,        // 00401e09: call 00402000 (does not return)
            0x55, 0x8B, 0xEC, 0x5D, 0xC3,        // 00401e0e: the next function
        });
        memory.poke(kFuncLong, std::vector<std::uint8_t>(30, 0x90));
        memory.poke(kFuncLong + 30, {0xC3});

        memory.poke_text(kText, "Hello, world");
        memory.poke_dword(kText + 0x40, kText);  // a pointer to the text

        symbols.add_module({kImage, kImage + 0x10000, 0x00401000, 0x00408000, "Roadsum.exe", true});
        symbols.add_module({0x10000000, 0x10010000, 0x10001000, 0x10008000, "user32.dll", false});
        symbols.add_name(kFuncA, "FuncA");
        symbols.add_name(kCallee, "Callee");
        symbols.add_name(kMessageBox, "MessageBoxA");
        symbols.add_name(kFuncTail, "TailCaller");
        symbols.add_name(kFuncWithCold, "Parent");
        symbols.add_name(kColdPart, "Parent.cold");
        symbols.add_name(kAfterCold, "Other");
        symbols.add_name(kImportSlot, "__imp_MessageBoxA");
        symbols.add_name(kHandleOnException, "@HandleOnException");
        symbols.add_name(kHandleFinally, "@HandleFinally");
        routines.HandleOnException = kHandleOnException;
        routines.HandleFinally = kHandleFinally;
    }
};

}  // namespace roadsum::testing
