// The process-wide list of report plug-ins. A header plug-in is asked at once and its text
// becomes a header field named after it; a section plug-in is asked while the report completes
// and its text becomes a section of its own. The Plugins setting names which run, in order.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace roadsum {

class TBugReport;

using PluginAnsiText = std::string (*)();
using PluginWideText = std::u16string (*)();
using PluginAnsiReportText = std::string (*)(TBugReport& report);
using PluginWideReportText = std::u16string (*)(TBugReport& report);
using PluginCallback = std::variant<PluginAnsiText, PluginWideText, PluginAnsiReportText, PluginWideReportText>;

struct TReportPlugin {
    std::string Name;  // compared ignoring case
    std::string Description;
    bool Section = true;
    PluginCallback Callback;
};

// A plug-in of the same name is replaced. False for an empty name or callback.
bool RegisterReportPlugin(const TReportPlugin& plugin);
bool UnregisterReportPlugin(std::string_view name);
std::optional<TReportPlugin> FindReportPlugin(std::string_view name);

// The plug-in's text in the system's code page; it may throw whatever the plug-in throws.
std::string ReportPluginText(const TReportPlugin& plugin, TBugReport& report);

// The names of the Plugins setting, in order, trimmed, empty ones left out.
std::vector<std::string> plugin_names(std::string_view setting);

// The plug-ins every process has: on Windows "modules", "processes" and "hardware". The list
// starts with them.
std::vector<TReportPlugin> BuiltinReportPlugins();

}  // namespace roadsum
