// Points and rectangles of the portable drawing code; the painters turn them into the
// platform's own.
#pragma once

namespace roadsum {

struct Point {
    int x = 0, y = 0;
    bool operator==(const Point&) const = default;
};

// Right and bottom are exclusive, as the platform's rectangles are.
struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    Rect Inflated(int by) const { return {left - by, top - by, right + by, bottom + by}; }
    Rect Offset(int dx, int dy) const { return {left + dx, top + dy, right + dx, bottom + dy}; }
    bool operator==(const Rect&) const = default;
};

}  // namespace roadsum
