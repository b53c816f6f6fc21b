// The value formats of the report header: times and durations, memory and disks, the display,
// the process, the command line, file times, the compiler, the checksums and the exception's
// message. Each function returns "" where the header leaves its field out.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "crash/settings/environment.h"

namespace roadsum {

// "2024-03-07, 09:05:04, 42ms": the time of the exception.
std::string exception_time_text(const LocalTime& t);
// "2024-03-07 09:05": a file's last write time.
std::string file_time_text(const LocalTime& t);

// The two largest units from the first non-zero one of days, hours and minutes: "1 day 3 hours",
// "2 hours 5 minutes", "4 minutes 1 second", "12 seconds"; zero parts are left out.
std::string duration_text(std::uint64_t seconds);
// The program's up time: below one second "250 milliseconds", else as duration_text.
std::string up_time_text(std::uint64_t milliseconds);

// "Bob" or "Bob  <admin>".
std::string user_name_text(std::string_view user, bool admin);
// "owner" or "owner / organization".
std::string registered_owner_text(std::string_view owner, std::string_view organization);
// Where the registered owner lives: the Windows 9x family has no " NT" in the key.
std::string registered_owner_key(bool windows_9x);

// The processor name with runs of blanks made one and the ends trimmed.
std::string processor_name_text(std::string_view name);
// "processor" with one processor, "processors" with more.
const char* processor_label(unsigned count);
// The name, or "4x name" with more than one processor.
std::string processor_text(unsigned count, std::string_view name);

// "1234/4096 MB (free/total)", each rounded to the nearest MB.
std::string physical_memory_text(std::uint64_t free_bytes, std::uint64_t total_bytes);
// "85/80 (gdi/user)": the free resources of the Windows 9x family.
std::string system_resources_text(unsigned gdi, unsigned user);
// "(C:) 12,34 GB"; the size as size_text with the separator given.
std::string drive_space_text(char drive, std::int64_t free_bytes, std::string_view decimal_separator);
// "1280x1024, 32 bit".
std::string display_mode_text(unsigned width, unsigned height, unsigned bits_per_pixel);
// "$" and upper-case hexadecimal digits: "$1A4".
std::string dollar_hex(std::uint32_t value);

// Whether a command line holds anything after the program's own name (quoted or not).
bool has_command_line_parameters(std::string_view command_line);

// The compiler family that built a module, told by the linker version in its header: GNU ld
// writes 2, LLVM's linker writes 14 like Microsoft's.
enum class ModuleCompiler { GnuToolchain, LlvmToolchain };
ModuleCompiler compiler_of_module(std::uint8_t major_linker_version);
// The fixed text of each family, with the version of the compiler that built this code when it
// is of that family.
std::string compiled_with_text(ModuleCompiler compiler);

// "$1234ABCD, $00000000, $FFFFFFFF": 31 characters.
std::string callstack_crc_text(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3);
inline constexpr std::size_t kCallstackCrcLength = 31;
inline constexpr const char* kPlaceholderText = "will be calculated soon";

}  // namespace roadsum
