#include <windows.h>

#include "crash/picture/bitmap.h"
#include "crash/common/pixel_image_win32.h"

namespace roadsum {

bool TINVBitmap::Draw(NativeDC dc, int x, int y) const {
    if (!dc || pixels_.empty()) return false;
    return draw_pixels(static_cast<HDC>(dc), pixels_, x, y, pixels_.width, pixels_.height);
}

}  // namespace roadsum
