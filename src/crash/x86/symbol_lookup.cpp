#include "crash/x86/symbol_lookup.h"

namespace roadsum {

bool SymbolLookup::has_cold_suffix(std::string_view parent, std::string_view name) {
    if (parent.empty() || name.size() <= parent.size() || name.substr(0, parent.size()) != parent) return false;
    std::string_view rest = name.substr(parent.size());
    const bool bracketed = rest.starts_with(" [clone .cold");
    if (!bracketed && !rest.starts_with(".cold")) return false;
    rest.remove_prefix(bracketed ? 13 : 5);
    if (rest.starts_with(".") && rest.size() > 1 && rest[1] >= '0' && rest[1] <= '9') {
        rest.remove_prefix(1);
        while (!rest.empty() && rest[0] >= '0' && rest[0] <= '9') rest.remove_prefix(1);
    }
    return bracketed ? rest == "]" : rest.empty();
}

}  // namespace roadsum
