#include "crash/report/report_plugins.h"
#include "crash/sysinfo/section_plugins.h"

namespace roadsum {

std::vector<TReportPlugin> BuiltinReportPlugins() {
    std::vector<TReportPlugin> plugins;
    for (const SectionPlugin& p : section_plugins())
        plugins.push_back({p.Name, p.Description, p.Section, PluginAnsiText(p.Text)});
    return plugins;
}

}  // namespace roadsum
