#include "toolkit/font.h"

#include <cstring>

#include "toolkit/property.h"
#include "toolkit/screen.h"

namespace roadsum {

TFont::TFont(std::string name, int height, TColor color, TFontStyle style)
    : name_(std::move(name)), height_(height), color_(color), style_(style) {}

TFont& TFont::operator=(const TFont& other) {
    if (this != &other) {
        name_ = other.name_;
        height_ = other.height_;
        color_ = other.color_;
        style_ = other.style_;
        charset_ = other.charset_;
        escapement_ = other.escapement_;
        pitch_ = other.pitch_;
        Changed();
    }
    return *this;
}

void TFont::SetName(std::string name) { SetProperty(name_, std::move(name), [this] { Changed(); }); }
void TFont::SetHeight(int height) { SetProperty(height_, height, [this] { Changed(); }); }
void TFont::SetStyle(TFontStyle style) { SetProperty(style_, style, [this] { Changed(); }); }
void TFont::SetCharset(BYTE charset) { SetProperty(charset_, charset, [this] { Changed(); }); }
void TFont::SetEscapement(int tenths) { SetProperty(escapement_, tenths, [this] { Changed(); }); }
void TFont::SetPitch(TFontPitch pitch) { SetProperty(pitch_, pitch, [this] { Changed(); }); }

bool TFont::SameAs(const TFont& o) const {
    return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
           charset_ == o.charset_ && escapement_ == o.escapement_ && pitch_ == o.pitch_;
}

HFONT TFont::Handle() const {
    if (!handle_) {
        LOGFONTA lf{};
        // A negative height asks for the character height rather than the cell height.
        lf.lfHeight = -Screen::Scale(height_);
        lf.lfEscapement = escapement_;
        lf.lfOrientation = escapement_;
        lf.lfWeight = style_.Bold ? FW_BOLD : FW_NORMAL;
        lf.lfItalic = style_.Italic;
        lf.lfUnderline = style_.Underline;
        lf.lfStrikeOut = style_.StrikeOut;
        lf.lfCharSet = charset_;
        lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
        lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
        lf.lfQuality = DEFAULT_QUALITY;
        lf.lfPitchAndFamily = pitch_ == TFontPitch::fpFixed      ? FIXED_PITCH
                              : pitch_ == TFontPitch::fpVariable ? VARIABLE_PITCH
                                                                 : DEFAULT_PITCH;
        std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
        handle_.reset(CreateFontIndirectA(&lf));
    }
    return handle_.get();
}

}  // namespace roadsum
