// Colours as the controls store them: an RGB value $00BBGGRR, a system colour constant
// (high bit set, low byte the system colour index) or clNone.
#pragma once

#include <cstdint>

namespace roadsum {

using TColor = std::int32_t;

constexpr TColor RGBColor(int r, int g, int b) { return r | (g << 8) | (b << 16); }
constexpr int RedOf(TColor c) { return c & 0xFF; }
constexpr int GreenOf(TColor c) { return (c >> 8) & 0xFF; }
constexpr int BlueOf(TColor c) { return (c >> 16) & 0xFF; }

constexpr TColor kSystemColorBit = static_cast<TColor>(0x80000000u);
constexpr bool IsSystemColor(TColor c) { return (c & kSystemColorBit) != 0; }

constexpr TColor clNone = 0x1FFFFFFF;

constexpr TColor clBlack = RGBColor(0, 0, 0);
constexpr TColor clWhite = RGBColor(255, 255, 255);
constexpr TColor clGray = RGBColor(128, 128, 128);
constexpr TColor clSilver = RGBColor(192, 192, 192);
constexpr TColor clRed = RGBColor(255, 0, 0);
constexpr TColor clYellow = RGBColor(255, 255, 0);
constexpr TColor clNavy = RGBColor(0, 0, 128);
constexpr TColor clTeal = RGBColor(0, 128, 128);

// System colours; the low byte is the platform's colour index.
constexpr TColor SystemColor(int index) { return kSystemColorBit | index; }
constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor cl3DDkShadow = SystemColor(21);
constexpr TColor cl3DLight = SystemColor(22);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);

}  // namespace roadsum
