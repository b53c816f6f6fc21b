#include "controls/shapebutton/shape_caption.h"

#include <cmath>

#include "controls/shapebutton/contour_math.h"

namespace roadsum {
namespace {

using contour_math::round_even;
using contour_math::saturate;

// The caption keeps this far inside the bevel.
constexpr std::int64_t kMargin = 4;

}  // namespace

std::vector<std::string> CaptionPieces(std::string_view rest) {
    std::vector<std::string> pieces;
    for (;;) {
        const std::size_t amp = rest.find('&');
        if (amp == std::string_view::npos) {
            pieces.emplace_back(rest);
            return pieces;
        }
        if (amp + 1 < rest.size() && rest[amp + 1] == '&') {
            pieces.emplace_back(rest.substr(0, amp + 1));
            rest.remove_prefix(amp + 2);
        } else {
            // The marked character stays at the start of the rest.
            pieces.emplace_back(rest.substr(0, amp));
            rest.remove_prefix(amp + 1);
        }
    }
}

TextExtent MeasureCaption(std::string_view caption, const MeasureText& measure) {
    TextExtent total;
    for (const std::string& piece : CaptionPieces(caption)) {
        const TextExtent e = measure(piece);
        total.width = saturate(static_cast<std::int64_t>(total.width) + e.width);
        if (total.height == 0) total.height = e.height;
    }
    return total;
}

std::vector<CaptionRun> CaptionRuns(std::string_view rest) {
    std::vector<CaptionRun> runs;
    auto add = [&](std::string_view text, bool underline) {
        if (!text.empty()) runs.push_back({std::string(text), underline});
    };
    for (;;) {
        const std::size_t amp = rest.find('&');
        if (amp == std::string_view::npos) {
            add(rest, false);
            return runs;
        }
        if (amp + 1 < rest.size() && rest[amp + 1] == '&') {
            add(rest.substr(0, amp + 1), false);
            rest.remove_prefix(amp + 2);
            continue;
        }
        add(rest.substr(0, amp), false);
        if (amp + 1 == rest.size()) {
            add(" ", true);
            return runs;
        }
        add(rest.substr(amp + 1, 1), true);
        rest.remove_prefix(amp + 2);
    }
}

std::vector<CaptionPass> CaptionPasses(TShapeCaption3dKind kind, bool pressed) {
    std::vector<CaptionPass> passes;
    switch (kind) {
        case TShapeCaption3dKind::ckSimple: passes = {{0, 0}}; break;
        case TShapeCaption3dKind::ckEmbossed: passes = {{1, -1}, {0, 0}, {-1, 1}}; break;
        case TShapeCaption3dKind::ckPressed: passes = {{-1, -1}, {1, 1}, {0, 0}}; break;
    }
    if (pressed)
        for (CaptionPass& p : passes) ++p.offset;
    return passes;
}

Point CaptionOrigin(const CaptionLayout& l) {
    const double phi = AngleRadians(l.fixed ? static_cast<std::int64_t>(l.caption_angle) - l.button_angle : l.caption_angle);
    const double s = std::sin(phi), c = std::cos(phi), as = std::abs(s), ac = std::abs(c);
    const double tw = l.text.width, th = l.text.height;
    const std::int32_t bw = round_even(ac * tw + as * th), bh = round_even(as * tw + ac * th);
    // The origin's place in the turned text's bounding box depends on the quadrant.
    std::int32_t ox = 0, oy = 0;
    if (s > 0 && c > 0) {
        oy = round_even(as * tw);
    } else if (s > 0) {
        ox = round_even(ac * tw);
        oy = bh;
    } else if (c > 0) {
        ox = round_even(as * th);
    } else {
        ox = bw;
        oy = round_even(ac * th);
    }
    const FrameSize area = l.fixed ? l.button : l.frame;
    const std::int32_t inset = saturate(l.depth + kMargin);
    const std::int64_t x = static_cast<std::int64_t>(AlignedOffset(l.halign, area.width, bw, inset, l.left)) + ox;
    const std::int64_t y = static_cast<std::int64_t>(AlignedOffset(l.valign, area.height, bh, inset, l.top)) + oy;
    if (!l.fixed) return {saturate(x), saturate(y)};
    // Laid out on the unturned button: turned with it and centred in the frame.
    const double a = AngleRadians(l.button_angle), ca = std::cos(a), sa = std::sin(a);
    const double hw = l.button.width / 2.0, hh = l.button.height / 2.0;
    return {saturate(l.frame.width / 2 + static_cast<std::int64_t>(round_even(ca * x + sa * y)) - round_even(ca * hw + sa * hh)),
            saturate(l.frame.height / 2 + static_cast<std::int64_t>(round_even(ca * y - sa * x)) - round_even(ca * hh - sa * hw))};
}

Point AdvancePen(Point pen, std::int32_t angle, std::int32_t width) {
    const double t = AngleRadians(angle);
    return {saturate(static_cast<std::int64_t>(pen.x) + round_even(std::cos(t) * width)),
            saturate(static_cast<std::int64_t>(pen.y) - round_even(std::sin(t) * width))};
}

}  // namespace roadsum
