#include "crash/pages/nv_form.h"

namespace roadsum {

// No windows away from Windows: a page cannot be shown and ends as cancelled.
PageHost* platform_page_host() { return nullptr; }

}  // namespace roadsum
