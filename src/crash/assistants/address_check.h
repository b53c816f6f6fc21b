// Whether a text is a mail address the contact page accepts.
#pragma once

#include <string_view>

namespace roadsum {

// True for "local@domain.tld": no blanks around it, one "@" with something before it, a "."
// in the domain but not right after the "@", no "." at either end, no run of dots, and only
// letters, digits and the other characters a plain (unquoted) address may hold.
bool IsValidMailAddress(std::string_view address);

}  // namespace roadsum
