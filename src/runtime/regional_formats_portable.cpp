#include "runtime/regional_formats.h"

namespace roadsum {

RegionalFormats user_regional_formats() { return {}; }

}  // namespace roadsum
