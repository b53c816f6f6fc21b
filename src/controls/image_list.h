// A list of equal-sized masked pictures, and the drawing of such pictures: the glyph
// button's own picture list and the image lists it may take its pictures from.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "controls/masked_picture.h"
#include "toolkit/control.h"
#include "toolkit/glyph.h"

namespace roadsum {

class TImageList;

// Told when an image list changes and when it goes away, so that holders drop it.
class TImageListObserver {
public:
    virtual void ImageListChanged(TImageList* list) = 0;
    virtual void ImageListGone(TImageList* list) = 0;

protected:
    ~TImageListObserver() = default;
};

class TImageList : public TObject {
public:
    TImageList(int width, int height);
    ~TImageList() override;

    int Width() const { return width_; }
    int Height() const { return height_; }
    int Count() const { return static_cast<int>(pictures_.size()); }
    // The cells of a picture Width() wide, masked by its bottom-left colour; returns the
    // index of the first, or -1 when the picture holds no whole cell of the list's size.
    int Add(const TGlyph& picture);
    void Clear();
    // Null for an index out of range.
    const MaskedPicture* Picture(int index) const;

    void AddObserver(TImageListObserver* observer);
    void RemoveObserver(TImageListObserver* observer);

private:
    void Changed();

    int width_, height_;
    std::vector<MaskedPicture> pictures_;
    std::vector<TImageListObserver*> observers_;
};

// The cell `index` of a glyph of `cells` cells, masked by the glyph's bottom-left colour.
MaskedPicture GlyphCell(const TGlyph& glyph, int index, int cells);

// The platform's disabled look of a shape (1 where it is): on a button-face ground, the shape
// in the highlight colour one pixel right and down, then in the shadow colour at its place,
// both through a monochrome mask with the raster operation DSPDxax. The ground is left out.
MaskedPicture EmbossedPicture(const std::vector<std::uint8_t>& shape, int width, int height);

// Draws the opaque pixels of a picture with its top-left corner at (x, y).
void DrawMaskedPicture(HDC dc, int x, int y, const MaskedPicture& picture);

}  // namespace roadsum
