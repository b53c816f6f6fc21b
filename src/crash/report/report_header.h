// The report header: what the system, the program and the failure tell, put into the header
// fields in their fixed order and formats. Facts that are missing leave their field out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "crash/settings/environment.h"
#include "crash/settings/report_fields.h"

namespace roadsum {

struct DriveSpace {
    char Drive = 'C';
    std::int64_t FreeBytes = 0;
};

// What the header says about the machine and the program, gathered by the Windows side.
struct SystemFacts {
    std::string ComputerName;
    std::string WtsClientName;  // only in a remote session
    std::string UserName;
    bool UserIsAdmin = false;
    std::string RegisteredOwner, RegisteredOrganization;
    std::string OperatingSystem;  // name, service pack and build
    std::string SystemLanguage;
    std::optional<std::uint64_t> SystemUpTimeMs, ProgramUpTimeMs;
    unsigned ProcessorCount = 1;
    std::string ProcessorName;
    std::optional<std::uint64_t> FreeMemory, TotalMemory;
    std::optional<std::pair<unsigned, unsigned>> FreeResources;  // gdi, user: the Windows 9x family only
    std::vector<DriveSpace> Drives;  // the Windows drive, then the executable's when it is another
    unsigned DisplayWidth = 0, DisplayHeight = 0, DisplayBits = 0;
    std::uint32_t ProcessId = 0;
    std::optional<std::int64_t> AllocatedMemory;
    std::string CommandLine;  // shown only when it holds parameters; "" when the program turned it off
    std::string Executable;  // file names without folders
    std::string CurrentModule;  // the module that carries the reporter, when it is not the executable
    std::optional<LocalTime> FileTime;  // of the module examined: the current one, else the executable
    std::string Version;
    std::string BdeVersion;  // when the database engine is loaded
    std::string CompiledWith;
    std::string ReporterVersion;
    std::string DecimalSeparator = ",";
};

// What the header says about the failure.
struct FailureFacts {
    LocalTime Time;
    std::uint64_t Number = 0;  // of the report in this process, from 1
    bool Frozen = false;
    std::string FrozenMessage;  // expanded
    std::string ClassName, Message;
};

inline constexpr const char* kCallstackCrcLabel = "callstack crc";
inline constexpr const char* kDateTimeLabel = "date/time";

// Fills the header in its order; header plug-ins come before "callstack crc", which holds the
// placeholder until the report is complete. Fields added afterwards go before "callstack crc".
void fill_header(INXFields& header, const SystemFacts& system, const FailureFacts& failure,
                 const std::vector<NamedField>& plugin_fields);

}  // namespace roadsum
