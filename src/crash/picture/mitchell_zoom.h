// Resampling a picture to another size with the Mitchell-Netravali cubic (B = C = 1/3, support
// radius 2), separably: every output column gets a list of weighted source columns, every
// output row one of source rows. When shrinking, the filter widens by the shrink factor so
// that every source pixel counts.
#pragma once

#include <vector>

#include "crash/common/pixel_image.h"

namespace roadsum {

// The filter's value at distance x.
double mitchell_filter(double x);

struct Contribution {
    int source = 0;
    float weight = 0;
};

// For each of `target` output positions the source positions (within 0..source-1) that make
// it and their weights, which add up to 1.
std::vector<std::vector<Contribution>> mitchell_contributions(int source, int target);

// Empty when the picture is empty or a target size is not positive. Throws std::bad_alloc when
// memory runs out.
PixelImage zoom_mitchell(const PixelImage& image, int width, int height);

}  // namespace roadsum
