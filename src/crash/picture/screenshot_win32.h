// The screenshot that goes with a bug report: the whole screen (all monitors), or only the
// application's own windows on white, with the mouse cursor drawn in.
#pragma once

#include <memory>

#include "crash/picture/bitmap.h"

namespace roadsum {

// Null when nothing could be captured: no display context, a failed copy, or (app_only)
// no visible, non-minimised top-level window of this process.
std::shared_ptr<INVBitmap> TakeScreenshot(bool app_only);

}  // namespace roadsum
