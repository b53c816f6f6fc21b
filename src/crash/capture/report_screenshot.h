// The screenshot that goes with a report: taken as the settings ask (the application's windows
// or the whole screen, ScrShotDepth bits per pixel) and kept with the report object, where the
// assistants show it and sending attaches it.
#pragma once

#include "crash/common/pixel_image.h"

namespace roadsum {

class TCrashException;

// The picture with no more colours than `depth` bits per pixel hold: 24 and more keep every
// colour, 15 and 16 keep 5 (green 6) bits per channel, 8 keeps 3-3-2, and less turns it into
// 2^depth grey levels. Each kept channel is stretched back over 0..255, so white stays white.
PixelImage ReduceColourDepth(PixelImage picture, int depth);

// Takes the screenshot for the report (nothing with ScrShotDepth 0 or when nothing could be
// captured) and hands it to the report.
void TakeReportScreenshot(TCrashException& report);

}  // namespace roadsum
