// The screen's dots per inch and the scaling of layout values given at 96 dots per inch.
#pragma once

namespace roadsum {

class Screen {
public:
    static int PixelsPerInch();
    static int Scale(int layout_pixels);  // to device pixels
    // Tests and special displays may fix the resolution.
    static void SetPixelsPerInchForTesting(int dpi);
};

}  // namespace roadsum
