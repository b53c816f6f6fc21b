// Where the fault sample fails: the test finds this line at the top of the crashing thread.
#pragma once

namespace roadsum::testing {

inline constexpr int kFaultLine = 47;

}  // namespace roadsum::testing
