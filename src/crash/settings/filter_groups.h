// Filter groups: an exception whose class, or one of its ancestors, is named in F1Classes or
// F2Classes is handled by the rules of that group; every other exception by the general group.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "crash/settings/crash_settings.h"

namespace roadsum {

enum class FilterGroup { General = 0, First = 1, Second = 2 };

struct FilterDecision {
    FilterGroup group = FilterGroup::General;
    bool create_report = true;
    bool create_screenshot = false;
    bool suspend_threads = false;
    bool call_handlers = true;
    int box_kind = 0;  // 0 full box, 1 assistant only, 2 simple box with details, 3 simple box, 4 nothing
    std::string assistant;

    friend bool operator==(const FilterDecision&, const FilterDecision&) = default;
};

// The group of an exception; class_chain is the class name followed by its ancestors.
FilterGroup find_filter_group(const INXSettings& settings, const std::vector<std::string_view>& class_chain);

// What the group decides for the exception.
FilterDecision decide_filter_group(const INXSettings& settings, const std::vector<std::string_view>& class_chain);

}  // namespace roadsum
