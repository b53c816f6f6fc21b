#include "controls/image_list.h"

#include <algorithm>

#include "toolkit/dib.h"

namespace roadsum {

TImageList::TImageList(int width, int height) : width_(std::max(width, 1)), height_(std::max(height, 1)) {}

TImageList::~TImageList() {
    // Observers may unregister while they hear of it.
    std::vector<TImageListObserver*> observers = std::move(observers_);
    observers_.clear();
    observers.erase(std::unique(observers.begin(), observers.end()), observers.end());
    for (TImageListObserver* o : observers) o->ImageListGone(this);
}

int TImageList::Add(const TGlyph& picture) {
    if (picture.Empty() || picture.Height() != height_ || picture.Width() < width_) return -1;
    int first = Count();
    int cells = picture.Width() / width_;
    for (int i = 0; i < cells; ++i) pictures_.push_back(GlyphCell(picture, i, cells));
    Changed();
    return first;
}

void TImageList::Clear() {
    if (pictures_.empty()) return;
    pictures_.clear();
    Changed();
}

const MaskedPicture* TImageList::Picture(int index) const {
    return index >= 0 && index < Count() ? &pictures_[index] : nullptr;
}

void TImageList::AddObserver(TImageListObserver* observer) { observers_.push_back(observer); }

void TImageList::RemoveObserver(TImageListObserver* observer) {
    auto it = std::find(observers_.begin(), observers_.end(), observer);
    if (it != observers_.end()) observers_.erase(it);
}

void TImageList::Changed() {
    std::vector<TImageListObserver*> observers = observers_;
    observers.erase(std::unique(observers.begin(), observers.end()), observers.end());
    for (TImageListObserver* o : observers) o->ImageListChanged(this);
}

MaskedPicture GlyphCell(const TGlyph& glyph, int index, int cells) {
    if (glyph.Empty() || cells < 1) return {};
    int cell_width = glyph.Width() / cells;
    return CutCell(glyph.Pixels(), glyph.Width(), glyph.Height(), index * cell_width, cell_width, glyph.TransparentColor());
}

MaskedPicture EmbossedPicture(const std::vector<std::uint8_t>& shape, int width, int height) {
    if (width <= 0 || height <= 0 || shape.size() < static_cast<std::size_t>(width) * height) return {};
    // The monochrome mask: rows padded to 16 bits, 1 bits where the shape is.
    int stride = (width + 15) / 16 * 2;
    std::vector<BYTE> bits(static_cast<std::size_t>(stride) * height, 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (shape[static_cast<std::size_t>(y) * width + x]) bits[y * stride + x / 8] |= 0x80 >> (x % 8);
    Bitmap mask(CreateBitmap(width, height, 1, 1, bits.data()));
    MemoryDC mask_dc;
    SelectObjectScope select_mask(mask_dc.get(), mask.get());

    TDib24 picture(width, height);
    COLORREF face = ColorToRGB(clBtnFace);
    picture.Fill(static_cast<TColor>(face));
    // A monochrome source shows its 1 bits in the background colour, white here, so that
    // DSPDxax puts the brush exactly where the shape is and leaves the rest.
    SetBkColor(picture.DC(), RGB(255, 255, 255));
    SetTextColor(picture.DC(), RGB(0, 0, 0));
    constexpr DWORD kDSPDxax = 0x00E20746;
    for (TColor color : {clBtnHighlight, clBtnShadow}) {
        int shift = color == clBtnHighlight ? 1 : 0;
        Brush brush(CreateSolidBrush(ColorToRGB(color)));
        SelectObjectScope select_brush(picture.DC(), brush.get());
        BitBlt(picture.DC(), shift, shift, width, height, mask_dc.get(), 0, 0, kDSPDxax);
    }
    MaskedPicture result;
    result.width = width;
    result.height = height;
    TColor ground = static_cast<TColor>(face) & 0xFFFFFF;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            TColor c = picture.Pixel(x, y);
            result.pixels.push_back(c);
            result.opaque.push_back(c != ground);
        }
    return result;
}

void DrawMaskedPicture(HDC dc, int x, int y, const MaskedPicture& picture) {
    for (int row = 0; row < picture.height; ++row)
        for (int col = 0; col < picture.width; ++col)
            if (picture.Opaque(col, row)) SetPixelV(dc, x + col, y + row, static_cast<COLORREF>(picture.Pixel(col, row)));
}

}  // namespace roadsum
