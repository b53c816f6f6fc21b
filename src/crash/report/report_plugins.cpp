#include "crash/report/report_plugins.h"

#include <algorithm>
#include <mutex>

#include "crash/common/text_lists.h"
#include "crash/settings/ansi_code_page.h"

namespace roadsum {

namespace {

struct PluginList {
    std::mutex lock;
    std::vector<TReportPlugin> plugins;
};

PluginList& plugin_list() {
    static PluginList* list = [] {
        // Never destroyed: a report may be made while the program's statics go away.
        auto* made = new PluginList;
        made->plugins = BuiltinReportPlugins();
        return made;
    }();
    return *list;
}

bool empty_callback(const PluginCallback& callback) {
    return std::visit([](auto function) { return function == nullptr; }, callback);
}

}  // namespace

bool RegisterReportPlugin(const TReportPlugin& plugin) {
    if (plugin.Name.empty() || empty_callback(plugin.Callback)) return false;
    PluginList& list = plugin_list();
    std::lock_guard guard(list.lock);
    auto same = [&](const TReportPlugin& p) { return equal_ignoring_case(p.Name, plugin.Name); };
    if (auto it = std::find_if(list.plugins.begin(), list.plugins.end(), same); it != list.plugins.end())
        *it = plugin;
    else
        list.plugins.push_back(plugin);
    return true;
}

bool UnregisterReportPlugin(std::string_view name) {
    PluginList& list = plugin_list();
    std::lock_guard guard(list.lock);
    return std::erase_if(list.plugins, [&](const TReportPlugin& p) { return equal_ignoring_case(p.Name, name); }) > 0;
}

std::optional<TReportPlugin> FindReportPlugin(std::string_view name) {
    PluginList& list = plugin_list();
    std::lock_guard guard(list.lock);
    for (const TReportPlugin& p : list.plugins)
        if (equal_ignoring_case(p.Name, name)) return p;
    return std::nullopt;
}

std::string ReportPluginText(const TReportPlugin& plugin, TBugReport& report) {
    struct Call {
        TBugReport& report;
        std::string operator()(PluginAnsiText f) const { return f(); }
        std::string operator()(PluginWideText f) const { return system_ansi_code_page().from_utf16(f()); }
        std::string operator()(PluginAnsiReportText f) const { return f(report); }
        std::string operator()(PluginWideReportText f) const { return system_ansi_code_page().from_utf16(f(report)); }
    };
    return std::visit(Call{report}, plugin.Callback);
}

std::vector<std::string> plugin_names(std::string_view setting) {
    std::vector<std::string> names;
    for (std::string_view item : split_list(setting, '|')) {
        item = trim_blanks(item);
        if (!item.empty()) names.emplace_back(item);
    }
    return names;
}

}  // namespace roadsum
