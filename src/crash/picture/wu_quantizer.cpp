#include "crash/picture/wu_quantizer.h"

#include <algorithm>
#include <array>
#include <limits>

namespace roadsum {
namespace {

constexpr int kSide = 33;  // 32 cells per channel and a zero plane for the cumulative sums
constexpr int kCells = kSide * kSide * kSide;

constexpr int at(int r, int g, int b) { return (r * kSide + g) * kSide + b; }

// The five moments of every cell: pixel count, the sums of each channel and of the squares.
struct Moments {
    std::vector<std::int64_t> w, r, g, b;
    std::vector<double> q;
    Moments() : w(kCells), r(kCells), g(kCells), b(kCells), q(kCells) {}
};

// A box of cells: r0 < r <= r1 and so on (the lower bounds are exclusive).
struct Box {
    int lo[3] = {0, 0, 0};
    int hi[3] = {32, 32, 32};
    int cells() const { return (hi[0] - lo[0]) * (hi[1] - lo[1]) * (hi[2] - lo[2]); }
};

// Running sums in all three directions, so that any box's moment is eight table reads.
template <class T>
void accumulate(std::vector<T>& m) {
    for (int r = 1; r < kSide; ++r) {
        std::array<T, kSide> area{};
        for (int g = 1; g < kSide; ++g) {
            T line{};
            for (int b = 1; b < kSide; ++b) {
                line += m[at(r, g, b)];
                area[b] += line;
                m[at(r, g, b)] = m[at(r - 1, g, b)] + area[b];
            }
        }
    }
}

// The sum over the box's other two axes with `axis` fixed at `pos`: the moment of the slab
// (0, pos] along that axis, so that the box's moment between two positions is a difference.
template <class T>
T plane(const std::vector<T>& m, const Box& box, int axis, int pos) {
    auto corner = [&](int i, int j) {
        int c[3];
        c[axis] = pos;
        const int a1 = (axis + 1) % 3, a2 = (axis + 2) % 3;
        c[a1] = i ? box.hi[a1] : box.lo[a1];
        c[a2] = j ? box.hi[a2] : box.lo[a2];
        return m[at(c[0], c[1], c[2])];
    };
    return corner(1, 1) - corner(1, 0) - corner(0, 1) + corner(0, 0);
}

template <class T>
T volume(const std::vector<T>& m, const Box& box) {
    return plane(m, box, 0, box.hi[0]) - plane(m, box, 0, box.lo[0]);
}

struct Sums {
    std::int64_t w = 0, r = 0, g = 0, b = 0;
    double spread() const {  // |sum|^2 / count, the part of the squared error a box removes
        return w == 0 ? 0.0 : (double(r) * double(r) + double(g) * double(g) + double(b) * double(b)) / double(w);
    }
};

class WuQuantizer {
public:
    explicit WuQuantizer(const PixelImage& image) {
        for (std::uint32_t p : image.pixels) {
            const unsigned r = red_of(p), g = green_of(p), b = blue_of(p);
            const int cell = at(int(r >> 3) + 1, int(g >> 3) + 1, int(b >> 3) + 1);
            ++m_.w[cell];
            m_.r[cell] += r;
            m_.g[cell] += g;
            m_.b[cell] += b;
            m_.q[cell] += double(r * r + g * g + b * b);
        }
        // The cells themselves are kept for the lookup table; the boxes need the sums.
        cell_w_ = m_.w;
        cell_r_ = m_.r;
        cell_g_ = m_.g;
        cell_b_ = m_.b;
        accumulate(m_.w);
        accumulate(m_.r);
        accumulate(m_.g);
        accumulate(m_.b);
        accumulate(m_.q);
    }

    std::vector<std::uint32_t> palette(int max_colours) {
        std::vector<Box> boxes(1);
        std::vector<double> error(1, 0.0);
        if (sums(boxes[0]).w == 0) return {};
        error[0] = variance(boxes[0]);
        std::size_t next = 0;
        while (boxes.size() < static_cast<std::size_t>(max_colours)) {
            Box upper;
            if (cut(boxes[next], upper)) {
                boxes.push_back(upper);
                error[next] = boxes[next].cells() > 1 ? variance(boxes[next]) : 0.0;
                error.push_back(upper.cells() > 1 ? variance(upper) : 0.0);
            } else {
                error[next] = 0.0;  // cannot be split: never try it again
            }
            next = static_cast<std::size_t>(std::max_element(error.begin(), error.end()) - error.begin());
            if (error[next] <= 0.0) break;
        }
        std::vector<std::uint32_t> colours;
        for (const Box& box : boxes) {
            const Sums s = sums(box);
            auto mean = [&](std::int64_t sum) { return unsigned((sum + s.w / 2) / s.w); };
            colours.push_back(rgb_pixel(mean(s.r), mean(s.g), mean(s.b)));
        }
        return colours;
    }

    // The palette entry nearest to the mean colour of each occupied cell, by 15-bit colour.
    std::vector<std::uint8_t> lookup(const std::vector<std::uint32_t>& palette) const {
        std::vector<std::uint8_t> table(32768, 0);
        for (int r = 1; r < kSide; ++r)
            for (int g = 1; g < kSide; ++g)
                for (int b = 1; b < kSide; ++b) {
                    const int cell = at(r, g, b);
                    const std::int64_t w = cell_w_[cell];
                    if (w == 0) continue;
                    const std::int64_t cr = (cell_r_[cell] + w / 2) / w, cg = (cell_g_[cell] + w / 2) / w,
                                       cb = (cell_b_[cell] + w / 2) / w;
                    std::int64_t best = std::numeric_limits<std::int64_t>::max();
                    std::size_t best_index = 0;
                    for (std::size_t i = 0; i < palette.size() && best != 0; ++i) {
                        const std::int64_t dr = cr - red_of(palette[i]), dg = cg - green_of(palette[i]),
                                           db = cb - blue_of(palette[i]);
                        const std::int64_t d = dr * dr + dg * dg + db * db;
                        if (d < best) best = d, best_index = i;
                    }
                    table[(r - 1) << 10 | (g - 1) << 5 | (b - 1)] = static_cast<std::uint8_t>(best_index);
                }
        return table;
    }

private:
    Sums sums(const Box& box) const {
        return {volume(m_.w, box), volume(m_.r, box), volume(m_.g, box), volume(m_.b, box)};
    }
    Sums slab(const Box& box, int axis, int pos) const {
        return {plane(m_.w, box, axis, pos), plane(m_.r, box, axis, pos), plane(m_.g, box, axis, pos),
                plane(m_.b, box, axis, pos)};
    }
    // The summed squared distance of the box's pixels from their mean.
    double variance(const Box& box) const { return volume(m_.q, box) - sums(box).spread(); }

    // The best cut along one axis: the position whose two halves, both holding pixels, remove
    // the most squared error; -1 when there is none.
    int best_cut(const Box& box, int axis, const Sums& whole, double& gain) const {
        const Sums base = slab(box, axis, box.lo[axis]);
        int cut_at = -1;
        gain = 0.0;
        for (int pos = box.lo[axis] + 1; pos < box.hi[axis]; ++pos) {
            const Sums s = slab(box, axis, pos);
            const Sums lower{s.w - base.w, s.r - base.r, s.g - base.g, s.b - base.b};
            if (lower.w == 0) continue;
            const Sums upper{whole.w - lower.w, whole.r - lower.r, whole.g - lower.g, whole.b - lower.b};
            if (upper.w == 0) break;
            const double value = lower.spread() + upper.spread();
            if (value > gain) gain = value, cut_at = pos;
        }
        return cut_at;
    }

    bool cut(Box& box, Box& upper) const {
        const Sums whole = sums(box);
        int best_axis = -1, best_pos = -1;
        double best_gain = 0.0;
        for (int axis = 0; axis < 3; ++axis) {
            double gain;
            const int pos = best_cut(box, axis, whole, gain);
            if (pos >= 0 && gain > best_gain) best_gain = gain, best_axis = axis, best_pos = pos;
        }
        if (best_axis < 0) return false;
        upper = box;
        box.hi[best_axis] = best_pos;
        upper.lo[best_axis] = best_pos;
        return true;
    }

    Moments m_;
    std::vector<std::int64_t> cell_w_, cell_r_, cell_g_, cell_b_;
};

}  // namespace

IndexedImage quantize_wu(const PixelImage& image, int max_colours) {
    IndexedImage out;
    if (image.empty()) return out;
    max_colours = std::clamp(max_colours, 1, 256);
    WuQuantizer wu(image);
    out.width = image.width;
    out.height = image.height;
    out.palette = wu.palette(max_colours);
    const std::vector<std::uint8_t> table = wu.lookup(out.palette);
    out.indices.resize(image.pixels.size());
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const std::uint32_t p = image.pixels[i];
        out.indices[i] = table[(p >> 9 & 0x7C00) | (p >> 6 & 0x3E0) | (p >> 3 & 0x1F)];
    }
    return out;
}

}  // namespace roadsum
