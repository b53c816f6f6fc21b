#include "crash/assistants/address_check.h"

namespace roadsum {
namespace {

bool allowed(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("!#$%&'*+-/=?^_`{|}~.@").find(c) != std::string_view::npos;
}

}  // namespace

bool IsValidMailAddress(std::string_view address) {
    if (address.empty() || address.front() == '.' || address.back() == '.') return false;
    const std::size_t at = address.find('@');
    // A second "@" belongs only in a quoted local part, which nobody types here.
    if (at == std::string_view::npos || at == 0 || address.find('@', at + 1) != std::string_view::npos) return false;
    const std::size_t dot = address.find('.', at + 1);
    if (dot == std::string_view::npos || dot == at + 1) return false;
    if (address.find("..") != std::string_view::npos) return false;
    for (char c : address)
        if (!allowed(c)) return false;  // blanks included, at the ends or within
    return true;
}

}  // namespace roadsum
