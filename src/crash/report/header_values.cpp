#include "crash/report/header_values.h"

#include <cstdio>

#include "crash/common/text_lists.h"
#include "crash/settings/expand.h"
#include "crash/sysinfo/size_text.h"

namespace roadsum {

namespace {

std::string unit_count(std::uint64_t n, const char* unit) {
    std::string text = std::to_string(n) + " " + unit;
    if (n != 1) text += 's';
    return text;
}

}  // namespace

std::string exception_time_text(const LocalTime& t) { return local_date_text(t) + ", " + local_time_text(t); }

std::string file_time_text(const LocalTime& t) {
    // The time's "hh:mm" of "hh:mm:ss, nms".
    return local_date_text(t) + " " + local_time_text(t).substr(0, 5);
}

std::string duration_text(std::uint64_t seconds) {
    const std::uint64_t parts[4] = {seconds / 86400, seconds / 3600 % 24, seconds / 60 % 60, seconds % 60};
    static const char* const units[4] = {"day", "hour", "minute", "second"};
    int first = 0;
    while (first < 2 && parts[first] == 0) ++first;
    std::string text;
    for (int i = first; i < first + 2; ++i) {
        if (parts[i] == 0) continue;
        if (!text.empty()) text += ' ';
        text += unit_count(parts[i], units[i]);
    }
    return text;
}

std::string up_time_text(std::uint64_t milliseconds) {
    if (milliseconds < 1000) return std::to_string(milliseconds) + " milliseconds";
    return duration_text(milliseconds / 1000);
}

std::string user_name_text(std::string_view user, bool admin) {
    if (user.empty()) return {};
    std::string text(user);
    if (admin) text += "  <admin>";
    return text;
}

std::string registered_owner_text(std::string_view owner, std::string_view organization) {
    std::string text(owner);
    if (!organization.empty()) text += " / " + std::string(organization);
    return text;
}

std::string registered_owner_key(bool windows_9x) {
    return std::string("Software\\Microsoft\\Windows") + (windows_9x ? "" : " NT") + "\\CurrentVersion";
}

std::string processor_name_text(std::string_view name) {
    std::string text;
    for (char c : trim_blanks(name)) {
        if (c == ' ' && !text.empty() && text.back() == ' ') continue;
        text += c;
    }
    return text;
}

const char* processor_label(unsigned count) { return count > 1 ? "processors" : "processor"; }

std::string processor_text(unsigned count, std::string_view name) {
    std::string clean = processor_name_text(name);
    if (count <= 1 || clean.empty()) return clean;
    return std::to_string(count) + "x " + clean;
}

std::string physical_memory_text(std::uint64_t free_bytes, std::uint64_t total_bytes) {
    // The nearest MB, an exact half going to the even neighbour.
    auto megabytes = [](std::uint64_t bytes) {
        constexpr std::uint64_t kMega = 1024 * 1024;
        std::uint64_t whole = bytes / kMega, rest = bytes % kMega;
        if (rest > kMega / 2 || (rest == kMega / 2 && whole % 2 == 1)) ++whole;
        return whole;
    };
    if (total_bytes == 0) return {};
    return std::to_string(megabytes(free_bytes)) + "/" + std::to_string(megabytes(total_bytes)) + " MB (free/total)";
}

std::string system_resources_text(unsigned gdi, unsigned user) {
    return std::to_string(gdi) + "/" + std::to_string(user) + " (gdi/user)";
}

std::string drive_space_text(char drive, std::int64_t free_bytes, std::string_view decimal_separator) {
    return std::string("(") + drive + ":) " + size_text(free_bytes, decimal_separator);
}

std::string display_mode_text(unsigned width, unsigned height, unsigned bits_per_pixel) {
    if (width == 0 || height == 0) return {};
    return std::to_string(width) + "x" + std::to_string(height) + ", " + std::to_string(bits_per_pixel) + " bit";
}

std::string dollar_hex(std::uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "$%X", static_cast<unsigned>(value));
    return buffer;
}

bool has_command_line_parameters(std::string_view line) {
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    // The program's name: up to the closing quote when quoted, else up to the first blank.
    if (i < line.size() && line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) return false;
        i = close + 1;
    } else {
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    }
    return !trim_blanks(line.substr(i)).empty();
}

ModuleCompiler compiler_of_module(std::uint8_t major_linker_version) {
    return major_linker_version == 2 ? ModuleCompiler::GnuToolchain : ModuleCompiler::LlvmToolchain;
}

std::string compiled_with_text(ModuleCompiler compiler) {
#if defined(__clang__)
    constexpr bool kBuiltByClang = true;
    const std::string version = std::to_string(__clang_major__) + "." + std::to_string(__clang_minor__);
#elif defined(__GNUC__)
    constexpr bool kBuiltByClang = false;
    const std::string version = std::to_string(__GNUC__) + "." + std::to_string(__GNUC_MINOR__);
#else
    constexpr bool kBuiltByClang = false;
    const std::string version;
#endif
    if (compiler == ModuleCompiler::GnuToolchain)
        return kBuiltByClang || version.empty() ? "MinGW-w64 GCC" : "MinGW-w64 GCC " + version;
    return kBuiltByClang ? "MinGW-w64 Clang " + version : "MinGW-w64 Clang";
}

std::string callstack_crc_text(std::uint32_t crc1, std::uint32_t crc2, std::uint32_t crc3) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "$%08X, $%08X, $%08X", static_cast<unsigned>(crc1),
                  static_cast<unsigned>(crc2), static_cast<unsigned>(crc3));
    return buffer;
}

}  // namespace roadsum
