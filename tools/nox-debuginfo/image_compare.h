// The check after the second link: the executable with its debug information must hold the
// same code and data at the same addresses as the one the information was made from, and a
// correct header checksum.
#pragma once

#include <string>
#include <string_view>

namespace roadsum {

// Compares every loaded section except resources and relocations (which lie after code and
// data and may change); result empty when all is equal, else what differs.
std::string compare_images(std::string_view first, std::string_view second);

}  // namespace roadsum
