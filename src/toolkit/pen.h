// A pen description (colour, width, style) that tells its owner when it changes, so that a
// control repaints when a property of its pen is set.
#pragma once

#include <functional>

#include "toolkit/color.h"
#include "toolkit/property.h"

namespace roadsum {

enum class TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen {
public:
    TPen() = default;
    // Copies take the values, not the owner's notice.
    TPen(const TPen& o) : color_(o.color_), width_(o.width_), style_(o.style_) {}
    TPen& operator=(const TPen& o) {
        Assign(o);
        return *this;
    }

    TColor Color() const { return color_; }
    int Width() const { return width_; }
    TPenStyle Style() const { return style_; }
    void SetColor(TColor color) { Set(color_, color); }
    // Widths below 1 or above kMaxPixels are ignored.
    void SetWidth(int width) {
        if (width >= 1 && width <= kMaxPixels) Set(width_, width);
    }
    void SetStyle(TPenStyle style) { Set(style_, style); }
    void Assign(const TPen& other) {
        bool changed = !(*this == other);
        color_ = other.color_, width_ = other.width_, style_ = other.style_;
        if (changed && OnChange) OnChange();
    }
    bool operator==(const TPen& o) const { return color_ == o.color_ && width_ == o.width_ && style_ == o.style_; }

    std::function<void()> OnChange;

private:
    template <typename V>
    void Set(V& field, V value) {
        SetProperty(field, value, [this] {
            if (OnChange) OnChange();
        });
    }

    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = TPenStyle::psSolid;
};

}  // namespace roadsum
