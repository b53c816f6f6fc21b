#include "crash/report/report_header.h"

#include "crash/common/text_lists.h"
#include "crash/report/header_values.h"
#include "crash/settings/report_text.h"
#include "crash/sysinfo/size_text.h"

namespace roadsum {

void fill_header(INXFields& header, const SystemFacts& s, const FailureFacts& f,
                 const std::vector<NamedField>& plugin_fields) {
    header.Add(kDateTimeLabel, exception_time_text(f.Time));
    header.Add("computer name", s.ComputerName);
    header.Add("wts client name", s.WtsClientName);
    header.Add("user name", user_name_text(s.UserName, s.UserIsAdmin));
    header.Add("registered owner", registered_owner_text(s.RegisteredOwner, s.RegisteredOrganization));
    header.Add("operating system", s.OperatingSystem);
    header.Add("system language", s.SystemLanguage);
    if (s.SystemUpTimeMs) header.Add("system up time", duration_text(*s.SystemUpTimeMs / 1000));
    if (s.ProgramUpTimeMs) header.Add("program up time", up_time_text(*s.ProgramUpTimeMs));
    header.Add(processor_label(s.ProcessorCount), processor_text(s.ProcessorCount, s.ProcessorName));
    if (s.FreeMemory && s.TotalMemory) header.Add("physical memory", physical_memory_text(*s.FreeMemory, *s.TotalMemory));
    if (s.FreeResources)
        header.Add("system resources", system_resources_text(s.FreeResources->first, s.FreeResources->second));
    std::string disks;
    for (const DriveSpace& d : s.Drives) {
        if (!disks.empty()) disks += ' ';
        disks += drive_space_text(d.Drive, d.FreeBytes, s.DecimalSeparator);
    }
    header.Add("free disk space", disks);
    header.Add("display mode", display_mode_text(s.DisplayWidth, s.DisplayHeight, s.DisplayBits));
    if (s.ProcessId) header.Add("process id", dollar_hex(s.ProcessId));
    if (s.AllocatedMemory) header.Add("allocated memory", size_text(*s.AllocatedMemory, s.DecimalSeparator));
    if (has_command_line_parameters(s.CommandLine)) header.Add("command line", s.CommandLine);
    header.Add("executable", s.Executable);
    header.Add("current module", s.CurrentModule);
    if (s.FileTime) header.Add(s.CurrentModule.empty() ? "exec. date/time" : "module date/time", file_time_text(*s.FileTime));
    header.Add("version", s.Version);
    header.Add("bde version", s.BdeVersion);
    header.Add("compiled with", s.CompiledWith);
    header.Add("noxExcept version", s.ReporterVersion);
    for (const NamedField& plugin : plugin_fields) header.Add(plugin.first, plugin.second);
    header.Add(kCallstackCrcLabel, kPlaceholderText);
    header.Add("exception number", f.Number ? std::to_string(f.Number) : std::string());
    if (f.Frozen) {
        header.Add("exception message", f.FrozenMessage);
    } else {
        header.Add("exception class", f.ClassName);
        const std::string message(trim_blanks(single_line_text(f.Message)));
        if (message != f.ClassName) header.Add("exception message", message);
    }
    // Fields that handlers and assistants add later go before the checksums.
    header.SetInsertIndex(header.IndexOf(kCallstackCrcLabel));
}

}  // namespace roadsum
