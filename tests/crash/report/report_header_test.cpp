// The report header: every field in its order and format, the fields left out, and the values'
// rules at their edges (durations, memory rounding, command lines, processors, messages).
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "crash/report/header_values.h"
#include "crash/report/report_header.h"
#include "crash/settings/report_text.h"

namespace roadsum {
namespace {

SystemFacts full_system() {
    SystemFacts s;
    s.ComputerName = "WORKSHOP-PC";
    s.WtsClientName = "THINCLIENT7";
    s.UserName = "ann";
    s.UserIsAdmin = true;
    s.RegisteredOwner = "Ann Smith";
    s.RegisteredOrganization = "Pelwin";
    s.OperatingSystem = "Windows XP Service Pack 2 build 2600";
    s.SystemLanguage = "English";
    s.SystemUpTimeMs = (2 * 86400 + 3 * 3600 + 59 * 60 + 59) * 1000ull + 999;
    s.ProgramUpTimeMs = 250;
    s.ProcessorCount = 2;
    s.ProcessorName = "  Intel(R)   Core(TM)2 CPU      6600  @ 2.40GHz ";
    s.FreeMemory = 1536ull * 1024 * 1024 + 512 * 1024;  // an exact half: to the even 1536
    s.TotalMemory = 4095ull * 1024 * 1024 + 512 * 1024 + 1;
    s.Drives = {{'C', 12LL * 1024 * 1024 * 1024 + 345LL * 1024 * 1024 * 1024 / 1000}, {'D', 1536}};
    s.DisplayWidth = 1280, s.DisplayHeight = 1024, s.DisplayBits = 32;
    s.ProcessId = 0x1a4;
    s.AllocatedMemory = 5 * 1024 * 1024 + 512 * 1024;
    s.CommandLine = "\"C:\\Program Files\\Roadsum\\Roadsum.exe\"  /debug";
    s.Executable = "Roadsum.exe";
    s.FileTime = LocalTime{2024, 2, 29, 7, 3, 0, 0};
    s.Version = "1.0.0.0";
    s.CompiledWith = "MinGW-w64 GCC 12.2";
    s.ReporterVersion = "1.0.0.0";
    return s;
}

FailureFacts conversion_error() {
    FailureFacts f;
    f.Time = {2024, 3, 7, 9, 5, 4, 42};
    f.Number = 1;
    f.ClassName = "EConvertError";
    f.Message = "'x'\r\nis   not a valid\rinteger value";
    return f;
}

std::string header_text(const SystemFacts& s, const FailureFacts& f, const std::vector<NamedField>& plugins = {}) {
    TReportFields header;
    fill_header(header, s, f, plugins);
    return assemble_report_text(header.Items(), {});
}

TEST(ReportHeader, EveryFieldInItsOrderAndFormat) {
    EXPECT_EQ(header_text(full_system(), conversion_error(), {{"contract", "gold"}}),
              "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
              "computer name    : WORKSHOP-PC\r\n"
              "wts client name  : THINCLIENT7\r\n"
              "user name        : ann <admin>\r\n"  // the two blanks become one on the line
              "registered owner : Ann Smith / Pelwin\r\n"
              "operating system : Windows XP Service Pack 2 build 2600\r\n"
              "system language  : English\r\n"
              "system up time   : 2 days 3 hours\r\n"
              "program up time  : 250 milliseconds\r\n"
              "processors       : 2x Intel(R) Core(TM)2 CPU 6600 @ 2.40GHz\r\n"
              "physical memory  : 1536/4096 MB (free/total)\r\n"
              "free disk space  : (C:) 12,34 GB (D:) 1,50 KB\r\n"
              "display mode     : 1280x1024, 32 bit\r\n"
              "process id       : $1A4\r\n"
              "allocated memory : 5,50 MB\r\n"
              "command line     : \"C:\\Program Files\\Roadsum\\Roadsum.exe\" /debug\r\n"
              "executable       : Roadsum.exe\r\n"
              "exec. date/time  : 2024-02-29 07:03\r\n"
              "version          : 1.0.0.0\r\n"
              "compiled with    : MinGW-w64 GCC 12.2\r\n"
              "noxExcept version: 1.0.0.0\r\n"
              "contract         : gold\r\n"
              "callstack crc    : will be calculated soon\r\n"
              "exception number : 1\r\n"
              "exception class  : EConvertError\r\n"
              "exception message: 'x' is not a valid integer value");
}

TEST(ReportHeader, MissingFactsLeaveTheirFieldsOut) {
    SystemFacts s;
    s.ComputerName = "PC";
    s.ProcessorName = "Pentium";
    s.CommandLine = "Roadsum.exe   ";  // no parameters
    s.Executable = "Roadsum.exe";
    s.CurrentModule = "Plugin.dll";  // the file examined is the library
    s.FileTime = LocalTime{2023, 12, 1, 23, 59, 0, 0};
    s.FreeResources = std::make_pair(85u, 80u);
    FailureFacts f = conversion_error();
    f.Number = 12345678901234ull;
    f.Message = "EConvertError";  // the message equals the class: left out
    EXPECT_EQ(header_text(s, f),
              "date/time       : 2024-03-07, 09:05:04, 42ms\r\n"
              "computer name   : PC\r\n"
              "processor       : Pentium\r\n"
              "system resources: 85/80 (gdi/user)\r\n"
              "executable      : Roadsum.exe\r\n"
              "current module  : Plugin.dll\r\n"
              "module date/time: 2023-12-01 23:59\r\n"
              "callstack crc   : will be calculated soon\r\n"
              "exception number: 12345678901234\r\n"
              "exception class : EConvertError");
}

TEST(ReportHeader, AFreezeHasAMessageAndNoClass) {
    FailureFacts f = conversion_error();
    f.Frozen = true;
    f.FrozenMessage = "The application seems to be frozen.";
    SystemFacts s;
    s.Executable = "Roadsum.exe";
    EXPECT_EQ(header_text(s, f),
              "date/time        : 2024-03-07, 09:05:04, 42ms\r\n"
              "executable       : Roadsum.exe\r\n"
              "callstack crc    : will be calculated soon\r\n"
              "exception number : 1\r\n"
              "exception message: The application seems to be frozen.");
}

TEST(ReportHeader, FieldsAddedLaterGoBeforeTheChecksumsInTheirOrder) {
    TReportFields header;
    fill_header(header, full_system(), conversion_error(), {});
    header.Add("contact name", "Ann");
    header.Add("contact email", "ann@example.org");
    header.Add("user name", "bob");  // a known label keeps its place
    std::vector<std::string> labels;
    for (const NamedField& f : header.Items()) labels.push_back(f.first);
    const auto at = [&](const char* label) { return std::find(labels.begin(), labels.end(), label) - labels.begin(); };
    EXPECT_EQ(at("contact name") + 1, at("contact email"));
    EXPECT_EQ(at("contact email") + 1, at("callstack crc"));
    EXPECT_EQ(at("user name"), 3);
}

TEST(HeaderValues, Durations) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, ""},
        {1, "1 second"},
        {59, "59 seconds"},
        {60, "1 minute"},
        {61, "1 minute 1 second"},
        {3599, "59 minutes 59 seconds"},
        {3600, "1 hour"},
        {3600 + 59, "1 hour"},  // seconds are past the two largest units
        {2 * 3600 + 60, "2 hours 1 minute"},
        {86400, "1 day"},
        {86400 + 3599, "1 day"},
        {86400 + 3600 + 61, "1 day 1 hour"},
        {400 * 86400ull + 23 * 3600, "400 days 23 hours"},
    };
    for (const auto& [seconds, text] : cases) EXPECT_EQ(duration_text(seconds), text) << seconds;
    EXPECT_EQ(up_time_text(0), "0 milliseconds");
    EXPECT_EQ(up_time_text(999), "999 milliseconds");
    EXPECT_EQ(up_time_text(1000), "1 second");
    EXPECT_EQ(up_time_text(3 * 60 * 1000 + 7999), "3 minutes 7 seconds");
}

TEST(HeaderValues, MemoryRoundsToTheNearestMegabyteHalfToEven) {
    constexpr std::uint64_t M = 1024 * 1024;
    EXPECT_EQ(physical_memory_text(M / 2, 2 * M + M / 2), "0/2 MB (free/total)");
    EXPECT_EQ(physical_memory_text(M + M / 2, 3 * M + M / 2 + 1), "2/4 MB (free/total)");
    EXPECT_EQ(physical_memory_text(M / 2 - 1, 64ull * 1024 * M), "0/65536 MB (free/total)");
    EXPECT_EQ(physical_memory_text(0, 0), "");
}

TEST(HeaderValues, CommandLineParametersAfterTheProgramsName) {
    const std::pair<const char*, bool> cases[] = {
        {"", false},
        {"Roadsum.exe", false},
        {"  Roadsum.exe \t ", false},
        {"\"C:\\Program Files\\Roadsum.exe\"", false},
        {"\"C:\\Program Files\\Roadsum.exe\"  ", false},
        {"\"C:\\Program Files\\Roadsum.exe\" x", true},
        {"\"C:\\Program Files\\Roadsum.exe\"x", true},
        {"Roadsum.exe /x", true},
        {"\"unclosed quote /x", false},
    };
    for (const auto& [line, has] : cases) EXPECT_EQ(has_command_line_parameters(line), has) << line;
}

TEST(HeaderValues, SmallFormats) {
    EXPECT_EQ(registered_owner_key(false), "Software\\Microsoft\\Windows NT\\CurrentVersion");
    EXPECT_EQ(registered_owner_key(true), "Software\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(registered_owner_text("Ann", ""), "Ann");
    EXPECT_EQ(user_name_text("ann", false), "ann");
    EXPECT_EQ(user_name_text("ann", true), "ann  <admin>");
    EXPECT_EQ(processor_text(1, " AMD  Athlon "), "AMD Athlon");
    EXPECT_EQ(processor_text(16, "AMD"), "16x AMD");
    EXPECT_STREQ(processor_label(0), "processor");
    EXPECT_EQ(dollar_hex(0xdeadbeef), "$DEADBEEF");
    EXPECT_EQ(display_mode_text(800, 600, 16), "800x600, 16 bit");
    EXPECT_EQ(file_time_text({1999, 1, 2, 3, 4, 5, 6}), "1999-01-02 03:04");
    EXPECT_EQ(exception_time_text({2000, 12, 31, 23, 59, 59, 7}), "2000-12-31, 23:59:59, 7ms");
    EXPECT_EQ(compiler_of_module(2), ModuleCompiler::GnuToolchain);
    EXPECT_EQ(compiler_of_module(14), ModuleCompiler::LlvmToolchain);
    EXPECT_EQ(compiled_with_text(ModuleCompiler::GnuToolchain).rfind("MinGW-w64 GCC", 0), 0u);
    EXPECT_EQ(compiled_with_text(ModuleCompiler::LlvmToolchain).rfind("MinGW-w64 Clang", 0), 0u);
}

TEST(HeaderValues, TheChecksumsTakeThirtyOneCharacters) {
    const std::string text = callstack_crc_text(0x1234abcd, 0, 0xffffffff);
    EXPECT_EQ(text, "$1234ABCD, $00000000, $FFFFFFFF");
    EXPECT_EQ(text.size(), kCallstackCrcLength);
}

}  // namespace
}  // namespace roadsum
