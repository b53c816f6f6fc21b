// Display names of stored symbol names. "::" becomes "."; a name of the form
// "@Unit@Class@Method$encoding" gives the unit and "Class.Method"; a constructor or destructor
// whose name ends at the class ("@Unit@Class@$ctor...") gets "Create" or "Destroy".
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

struct UnmangledName {
    std::string name;
    std::string unit;  // empty when the stored name does not carry one
};

UnmangledName Unmangle(std::string_view stored);

}  // namespace roadsum
