// The program's debug information read at the reporter's start-up, in a low-priority thread of
// the reporter's own, so that the first failure does not wait for the first read and start-up
// does not grow by it.
#pragma once

#include <cstdint>

namespace roadsum {

// Starts reading the executable's debug information into the process-wide cache. Once only.
void StartDebugInfoPreload();

// A failure that needs the debug information waits for the read still running (at most
// `milliseconds`), raising the reading thread to its own priority meanwhile. Returns at once
// when the read has ended or never started.
void WaitForDebugInfoPreload(std::uint32_t milliseconds);

}  // namespace roadsum
