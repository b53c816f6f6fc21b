// A font description in layout pixels (96 dots per inch) with its handle made on demand,
// scaled to the screen's dots per inch.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/color.h"
#include "toolkit/gdi.h"

namespace roadsum {

enum class TFontPitch { fpDefault, fpFixed, fpVariable };

struct TFontStyle {
    bool Bold = false, Italic = false, Underline = false, StrikeOut = false;
    bool operator==(const TFontStyle&) const = default;
};

class TFont {
public:
    TFont() = default;
    TFont(std::string name, int height, TColor color = clWindowText, TFontStyle style = {});
    // Copies describe the same font; each makes its own handle.
    TFont(const TFont& other) { *this = other; }
    TFont& operator=(const TFont& other);

    const std::string& Name() const { return name_; }
    int Height() const { return height_; }  // character height in layout pixels
    TColor Color() const { return color_; }
    const TFontStyle& Style() const { return style_; }
    BYTE Charset() const { return charset_; }
    int Escapement() const { return escapement_; }  // tenths of a degree, counter-clockwise
    TFontPitch Pitch() const { return pitch_; }

    void SetName(std::string name);
    void SetHeight(int height);
    void SetColor(TColor color) { color_ = color; }
    void SetStyle(TFontStyle style);
    void SetCharset(BYTE charset);
    void SetEscapement(int tenths);  // orientation follows
    void SetPitch(TFontPitch pitch);

    bool SameAs(const TFont& other) const;

    HFONT Handle() const;  // owned by this object

private:
    void Changed() { handle_.reset(); }

    std::string name_ = "Tahoma";
    int height_ = 11;
    TColor color_ = clWindowText;
    TFontStyle style_;
    BYTE charset_ = DEFAULT_CHARSET;
    int escapement_ = 0;
    TFontPitch pitch_ = TFontPitch::fpDefault;
    mutable Font handle_;
};

}  // namespace roadsum
