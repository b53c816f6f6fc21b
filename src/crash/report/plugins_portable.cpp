#include "crash/report/report_plugins.h"

namespace roadsum {

// Away from Windows there is no system to list.
std::vector<TReportPlugin> BuiltinReportPlugins() { return {}; }

}  // namespace roadsum
