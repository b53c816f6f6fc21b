#include "crash/picture/bitmap.h"

namespace roadsum {

// There is no device to draw on away from Windows.
bool TINVBitmap::Draw(NativeDC, int, int) const { return false; }

}  // namespace roadsum
