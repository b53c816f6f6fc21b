#include "crash/settings/filter_groups.h"

#include "crash/common/text_lists.h"

namespace roadsum {

namespace {

bool names_any(const std::string& list, const std::vector<std::string_view>& class_chain) {
    for (std::string_view name : split_list(list, ',')) {
        name = trim_blanks(name);
        if (name.empty()) continue;
        for (std::string_view c : class_chain)
            if (c == name) return true;
    }
    return false;
}

const FilterGroupKeys& keys_of(FilterGroup group) {
    switch (group) {
        case FilterGroup::First: return keys::F1Group;
        case FilterGroup::Second: return keys::F2Group;
        case FilterGroup::General: break;
    }
    return keys::GnGroup;
}

}  // namespace

FilterGroup find_filter_group(const INXSettings& settings, const std::vector<std::string_view>& class_chain) {
    if (names_any(settings.Get(keys::F1Classes), class_chain)) return FilterGroup::First;
    if (names_any(settings.Get(keys::F2Classes), class_chain)) return FilterGroup::Second;
    return FilterGroup::General;
}

FilterDecision decide_filter_group(const INXSettings& settings, const std::vector<std::string_view>& class_chain) {
    FilterDecision d;
    d.group = find_filter_group(settings, class_chain);
    const FilterGroupKeys& k = keys_of(d.group);
    d.create_report = !settings.Get(k.no_bug_rep);
    d.create_screenshot = !settings.Get(k.no_scr_shot) && settings.Get(keys::ScrShotDepth) > 0;
    d.suspend_threads = !settings.Get(k.no_suspend) && settings.Get(keys::PauseThreads);
    d.call_handlers = !settings.Get(k.no_handlers);
    d.box_kind = settings.Get(k.show_cfg);
    d.assistant = settings.Get(k.assis);
    return d;
}

}  // namespace roadsum
